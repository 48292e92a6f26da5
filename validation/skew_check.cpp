#include "validation/skew_check.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "validation/check_scene.h"

namespace {

constexpr int colourTolerance = 6;

PnmImage makeProbeImage()
{
    PnmImage image;
    image.width = probeColumns;
    image.height = probeRows;
    image.pixels.reset(static_cast<std::uint8_t*>(std::calloc(probeColumns * probeRows, 3)));
    for (int i = 0; i < probeColumns * probeRows; ++i) {
        image.pixels[i * 3] = static_cast<std::uint8_t>((i * 53 + 20) % 256);
        image.pixels[i * 3 + 1] = static_cast<std::uint8_t>(235 - i * 15);
        image.pixels[i * 3 + 2] = static_cast<std::uint8_t>((i * 101 + 90) % 256);
    }
    return image;
}

bool nearColour(const std::uint8_t* a, const std::uint8_t* b)
{
    for (int c = 0; c < 3; ++c) {
        if (std::abs(int(a[c]) - int(b[c])) > colourTolerance)
            return false;
    }
    return true;
}

std::string colourText(const std::uint8_t* pixel)
{
    return std::to_string(pixel[0]) + " " + std::to_string(pixel[1]) + " " + std::to_string(pixel[2]);
}

const char* glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

const PnmImage& probeImage()
{
    static const PnmImage image = makeProbeImage();
    return image;
}

std::pair<int, int> texelCentre(int column, int row, int side)
{
    const double halfView = 16.0 * std::tan(25.0 * 3.14159265358979 / 180.0);
    const double objectX = (column + 0.5) / probeColumns * 16.0 - 8.0;
    const double objectY = (row + 0.5) / probeRows * 16.0 - 8.0;
    const double half = side / 2.0;
    return {static_cast<int>(std::lround((objectX / halfView + 1.0) * half - 0.5)),
            static_cast<int>(std::lround((objectY / halfView + 1.0) * half - 0.5))};
}

ProbeFigures probeFigures(const Picture& picture)
{
    ProbeFigures figures;
    for (int row = 0; row < probeRows; ++row) {
        for (int column = 0; column < probeColumns; ++column) {
            const auto [x, y] = texelCentre(column, row, picture.width);
            const std::uint8_t* seen = picture.at(x, y);
            const std::uint8_t* texel = &probeImage().pixels[static_cast<std::size_t>(row * probeColumns + column) * 3];
            if (nearColour(seen, texel)) {
                ++figures.matched;
            } else if (figures.firstMiss.empty()) {
                figures.firstMiss = "texel " + std::to_string(column) + "," + std::to_string(row) + " shows " +
                                    colourText(seen) + ", the image holds " + colourText(texel);
            }
        }
    }
    return figures;
}

bool takesAnyTextureSize(const char* version, const char* extensions)
{
    return std::atoi(version) >= 2 || std::strstr(extensions, "GL_ARB_texture_non_power_of_two") != nullptr;
}

CheckResult checkSkew()
{
    if (!takesAnyTextureSize(glText(GL_VERSION), glText(GL_EXTENSIONS)))
        return skipped("skew", "the driver takes textures only of sizes that are powers of two");
    // A shallower buffer rounds the probe's colours by more than the tolerance.
    if (const auto skip = skipBelowEightBits("skew"))
        return *skip;

    prepareScene(SceneKind::TexturedQuad);
    std::string text = "skew probe=5x3";
    std::string misses;
    bool allMatched = true;
    for (const auto& [filter, name] : {std::pair{GL_NEAREST, "nearest"}, std::pair{GL_LINEAR, "linear"}}) {
        useEnvironmentImage(probeImage(), filter);
        const ProbeFigures figures = probeFigures(composeAndRead());
        text += std::string(" ") + name + "=" + std::to_string(figures.matched) + "/" +
                std::to_string(probeColumns * probeRows);
        if (!figures.firstMiss.empty()) {
            allMatched = false;
            misses += std::string("; ") + name + ": " + figures.firstMiss;
        }
    }
    return {allMatched ? Outcome::Pass : Outcome::Fail, text + misses};
}
