#include "validation/blur_check.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "render/frame_state.h"
#include "validation/check_scene.h"

namespace {

bool sameOrientation(const Orientation& a, const Orientation& b)
{
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::fabs(a[i] - b[i]) > 1e-4f)
            return false;
    }
    return true;
}

// x * y / 255 rounded, as an 8-bit blend unit computes a product.
int product(int x, int y)
{
    return (x * y * 2 + 255) / 510;
}

std::string pixelText(const std::uint8_t* pixel)
{
    return std::to_string(pixel[0]) + " " + std::to_string(pixel[1]) + " " + std::to_string(pixel[2]);
}

// Sub-frames less different than this prove nothing about the mean.
constexpr int fewestDifferingPixels = 500;

} // namespace

double blurErrorBound(int n)
{
    double bound = 0.0;
    for (int i = 2; i <= n; ++i)
        bound += static_cast<double>(i) / n;
    return bound;
}

BlurFigures blurFigures(const Picture& blurred, const std::vector<Picture>& subFrames)
{
    BlurFigures figures;
    const int n = static_cast<int>(subFrames.size());
    double total = 0.0;
    for (std::size_t i = 0; i < blurred.rgb.size(); ++i) {
        double sum = 0.0;
        for (const Picture& sub : subFrames)
            sum += sub.rgb[i];
        const double error = std::abs(blurred.rgb[i] - sum / n);
        if (error > figures.worst) {
            figures.worst = error;
            figures.worstPixel = static_cast<int>(i / 3);
        }
        total += error;

        int average = subFrames[0].rgb[i];
        for (int k = 2; k <= n; ++k) {
            const int alpha = (510 / k + 1) / 2;
            average = std::min(255, product(average, 255 - alpha) + product(subFrames[k - 1].rgb[i], alpha));
        }
        figures.model = std::max(figures.model, std::abs(blurred.rgb[i] - average));
    }
    figures.mean = blurred.rgb.empty() ? 0.0 : total / static_cast<double>(blurred.rgb.size());
    return figures;
}

CheckResult checkBlur(int n)
{
    const std::string name = "blur n=" + std::to_string(n);
    if (const auto skip = skipBelowEightBits("blur", "n=" + std::to_string(n) + " "))
        return *skip;

    prepareScene(SceneKind::Goblet);
    useEnvironmentImage(rampImage(), GL_LINEAR_MIPMAP_LINEAR);
    startSpin();
    const Orientation start = orientationOf(frameState);
    frameState.blurSteps = n;
    const Picture blurred = composeAndRead();
    const Orientation afterBlur = orientationOf(frameState);

    // One opaque single-pass frame per sub-frame, each a blur step further on.
    setOrientation(frameState, start);
    frameState.blurSteps = 0;
    frameState.spinVelocity[0] /= static_cast<float>(n);
    frameState.spinVelocity[1] /= static_cast<float>(n);
    std::vector<Picture> subFrames;
    for (int k = 1; k <= n; ++k)
        subFrames.push_back(composeAndRead());

    if (!sameOrientation(afterBlur, orientationOf(frameState)))
        return {Outcome::Fail, name + " the blurred frame and its sub-frames end at different orientations"};
    const int differing = differingPixels(subFrames.front(), subFrames.back());
    if (differing < fewestDifferingPixels)
        return {Outcome::Fail, name + " the first and last sub-frames differ in only " + std::to_string(differing) +
                                   " pixels"};

    const BlurFigures figures = blurFigures(blurred, subFrames);
    const double bound = blurErrorBound(n);
    std::string text = name + " worst=" + figure(figures.worst) + " bound=" + figure(bound) +
                       " mean=" + figure(figures.mean) + " model=" + std::to_string(figures.model);
    if (figures.worst <= bound)
        return {Outcome::Pass, text};

    const int x = figures.worstPixel % checkSide;
    const int y = figures.worstPixel / checkSide;
    std::string mean;
    for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (const Picture& sub : subFrames)
            sum += sub.at(x, y)[c];
        mean += (c ? " " : "") + figure(sum / n, 1);
    }
    text += "; at " + std::to_string(x) + "," + std::to_string(y) + " from the bottom left the frame holds " +
            pixelText(blurred.at(x, y)) + ", the mean of its sub-frames is " + mean;
    return {Outcome::Fail, text};
}
