#include "render/tiny_font.h"

#include <GL/gl.h>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

using Glyph = std::array<std::uint8_t, tinyFontHeight>;  // rows top first, bit 4 leftmost

constexpr char tinyCharacters[] = "0123456789.mps";
constexpr Glyph tinyGlyphs[] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C},  // .
    {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},  // m
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10},  // p
    {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},  // s
};
static_assert(sizeof tinyGlyphs / sizeof tinyGlyphs[0] == sizeof tinyCharacters - 1);

} // namespace

void drawTinyText(const TextString& text, float x, float y)
{
    glBegin(GL_POINTS);
    for (int i = 0; i < text.length(); ++i) {
        const char c = text.data()[i];
        const char* found = c ? std::strchr(tinyCharacters, c) : nullptr;
        if (!found)
            continue;
        const Glyph& glyph = tinyGlyphs[found - tinyCharacters];
        const float left = x + static_cast<float>(i * tinyFontAdvance) + 0.5f;
        for (int row = 0; row < tinyFontHeight; ++row) {
            const float rowY = y + static_cast<float>(tinyFontHeight - 1 - row) + 0.5f;
            for (int column = 0; column < 5; ++column) {
                if (glyph[static_cast<std::size_t>(row)] & (0x10 >> column))
                    glVertex2f(left + static_cast<float>(column), rowY);
            }
        }
    }
    glEnd();
}
