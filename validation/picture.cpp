#include "validation/picture.h"

#include <GL/gl.h>
#include <algorithm>

Picture readPicture(int width, int height)
{
    Picture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    // Whatever buffer the frame went to: the back one of a window or a pbuffer,
    // the front one of a single-buffered window.
    GLint drawn = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawn);
    glReadBuffer(static_cast<GLenum>(drawn));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

int differingPixels(const Picture& a, const Picture& b)
{
    int count = 0;
    for (std::size_t i = 0; i < a.rgb.size(); i += 3)
        count += !std::equal(&a.rgb[i], &a.rgb[i] + 3, &b.rgb[i]);
    return count;
}

std::optional<CheckResult> skipBelowEightBits(const std::string& name, const std::string& detail)
{
    GLint bits[3] = {};
    glGetIntegerv(GL_RED_BITS, &bits[0]);
    glGetIntegerv(GL_GREEN_BITS, &bits[1]);
    glGetIntegerv(GL_BLUE_BITS, &bits[2]);
    const GLint fewest = std::min({bits[0], bits[1], bits[2]});
    if (fewest >= 8)
        return std::nullopt;
    return skipped(name, detail + "the colour buffer holds " + std::to_string(fewest) + " bits a channel, not 8");
}

bool isColour(const std::uint8_t* pixel, const std::uint8_t (&colour)[3])
{
    return std::equal(pixel, pixel + 3, colour);
}
