#include "validation/sky_fade_check.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "app/settings.h"
#include "render/frame_state.h"
#include "validation/check_scene.h"

namespace {

constexpr double fadeTolerance = 3.0;

} // namespace

FadeFigures fadeFigures(const Picture& faded, const Picture& sky, const std::uint8_t (&clear)[3],
                        const std::vector<bool>& covered, int n)
{
    FadeFigures figures;
    for (std::size_t p = 0; p < faded.pixels(); ++p) {
        if (covered[p])
            continue;
        ++figures.pixels;
        for (int c = 0; c < 3; ++c) {
            const double expected = (sky.rgb[p * 3 + c] + (n - 1.0) * clear[c]) / n;
            figures.worst = std::max(figures.worst, std::abs(faded.rgb[p * 3 + c] - expected));
        }
    }
    return figures;
}

CheckResult checkSkyFade(int n)
{
    const std::string name = "sky fade n=" + std::to_string(n);
    if (const auto skip = skipBelowEightBits(name))
        return *skip;
    prepareScene(SceneKind::Goblet);
    useEnvironmentImage(rampImage(), GL_LINEAR_MIPMAP_LINEAR);
    startSpin();
    float start[16];
    std::memcpy(start, frameState.objectOrientation, sizeof start);

    settings.showObject = 0;
    const Picture clearOnly = composeAndRead();
    std::uint8_t clear[3];
    std::copy(clearOnly.at(0, 0), clearOnly.at(0, 0) + 3, clear);
    settings.showSky = 1;
    const Picture sky = composeAndRead();
    settings.showObject = 1;
    frameState.blurSteps = n;
    const Picture faded = composeAndRead();

    // Where the object is: wherever one of its sub-frames, drawn alone, is not
    // the clear colour (no texel has it).
    std::memcpy(frameState.objectOrientation, start, sizeof start);
    settings.showSky = 0;
    frameState.blurSteps = 0;
    frameState.spinVelocity[0] /= static_cast<float>(n);
    frameState.spinVelocity[1] /= static_cast<float>(n);
    std::vector<bool> covered(faded.pixels(), false);
    for (int k = 1; k <= n; ++k) {
        const Picture sub = composeAndRead();
        for (std::size_t p = 0; p < covered.size(); ++p)
            covered[p] = covered[p] || !isColour(&sub.rgb[p * 3], clear);
    }

    const FadeFigures figures = fadeFigures(faded, sky, clear, covered, n);
    const std::string text = name + " worst=" + figure(figures.worst) +
                             " bound=" + figure(fadeTolerance) + " pixels=" + std::to_string(figures.pixels);
    if (figures.pixels == 0)
        return {Outcome::Fail, text + "; the object covers the whole frame"};
    return {figures.worst <= fadeTolerance ? Outcome::Pass : Outcome::Fail, text};
}
