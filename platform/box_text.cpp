#include "platform/box_text.h"

#include <cstdio>
#include <vector>

namespace {

// One character as the box shows it: its UTF-8 bytes, or an escape of several
// characters that must stay on one line.
struct Glyph {
    std::string text;
    int width = 1;
};

std::string escape(unsigned codePoint)
{
    switch (codePoint) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default: break;
    }
    char buffer[12];
    if (codePoint < 0x100)
        std::snprintf(buffer, sizeof buffer, "\\x%02X", codePoint);
    else
        std::snprintf(buffer, sizeof buffer, "\\u%04X", codePoint);
    return buffer;
}

// C0 and C1 controls, and the marks that reorder or break the text around
// them: a name could otherwise show as something else ("exe.jpg" for
// "\u202Egpj.exe").
bool isControl(unsigned codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0) || codePoint == 0x061C ||
           codePoint == 0x200E || codePoint == 0x200F || (codePoint >= 0x2028 && codePoint <= 0x202E) ||
           (codePoint >= 0x2066 && codePoint <= 0x2069);
}

// Length of the well-formed UTF-8 sequence at the start of text, with its code
// point; 0 where the first byte starts none (overlong forms and surrogates
// included).
int utf8Sequence(std::string_view text, unsigned& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(0);
    int length = 0;
    unsigned minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < static_cast<std::size_t>(length))
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

std::vector<Glyph> glyphsOf(std::string_view text)
{
    std::vector<Glyph> glyphs;
    while (!text.empty()) {
        unsigned codePoint = 0;
        const int length = utf8Sequence(text, codePoint);
        if (length == 0) {
            glyphs.push_back({"\xEF\xBF\xBD"});
            text.remove_prefix(1);
            continue;
        }
        if (isControl(codePoint)) {
            std::string escaped = escape(codePoint);
            const int width = static_cast<int>(escaped.size());
            glyphs.push_back({std::move(escaped), width});
        } else {
            glyphs.push_back({std::string(text.substr(0, static_cast<std::size_t>(length)))});
        }
        text.remove_prefix(static_cast<std::size_t>(length));
    }
    return glyphs;
}

int widthOf(const std::vector<Glyph>& glyphs)
{
    int width = 0;
    for (const Glyph& g : glyphs)
        width += g.width;
    return width;
}

// Keeps the head and the tail that fit in budget characters around "...".
std::vector<Glyph> elideMiddle(std::vector<Glyph> glyphs, int budget)
{
    if (widthOf(glyphs) <= budget)
        return glyphs;
    const int keep = budget - 3;
    std::size_t head = 0;
    for (int width = 0; width + glyphs[head].width <= keep / 2; ++head)
        width += glyphs[head].width;
    std::size_t tail = glyphs.size();
    for (int width = 0; width + glyphs[tail - 1].width <= keep - keep / 2; --tail)
        width += glyphs[tail - 1].width;
    std::vector<Glyph> kept(glyphs.begin(), glyphs.begin() + static_cast<std::ptrdiff_t>(head));
    kept.push_back({"...", 3});
    kept.insert(kept.end(), glyphs.begin() + static_cast<std::ptrdiff_t>(tail), glyphs.end());
    return kept;
}

bool breaksAfter(const Glyph& g)
{
    return g.text == " " || g.text == "/";
}

// Lines of at most boxLineLength characters. Soft breaks fall after the last
// blank or slash in the second half of a line; hard ones anywhere.
std::vector<std::string> wrap(const std::vector<Glyph>& glyphs, bool soft)
{
    std::vector<std::string> lines;
    std::size_t lineStart = 0;
    while (lineStart < glyphs.size()) {
        std::size_t end = lineStart;
        std::size_t lastBreak = lineStart;
        for (int width = 0; end < glyphs.size() && width + glyphs[end].width <= boxLineLength; ++end) {
            width += glyphs[end].width;
            if (soft && breaksAfter(glyphs[end]) && width >= boxLineLength / 2)
                lastBreak = end + 1;
        }
        if (end < glyphs.size() && lastBreak > lineStart)
            end = lastBreak;
        std::string line;
        for (std::size_t i = lineStart; i < end; ++i)
            line += glyphs[i].text;
        lines.push_back(std::move(line));
        lineStart = end;
    }
    return lines;
}

} // namespace

std::string boxText(std::string_view text)
{
    // Soft breaks may cost up to half a line each; where that overflows the
    // box, hard breaks fit the budget, whose lines are all nearly full.
    const std::vector<Glyph> glyphs =
        elideMiddle(glyphsOf(text), boxLineLength * (boxLineCount - 1));
    std::vector<std::string> lines = wrap(glyphs, true);
    if (lines.size() > static_cast<std::size_t>(boxLineCount))
        lines = wrap(glyphs, false);

    std::string result;
    for (const std::string& line : lines) {
        if (!result.empty())
            result += '\n';
        result += line;
    }
    return result;
}
