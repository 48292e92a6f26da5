// Fuzz target: boxText over any byte string. What a message box shows is
// well-formed UTF-8 of at most boxLineCount lines of boxLineLength
// characters, holds no raw control, direction or line-separator character
// (the lines' own line ends aside), and is empty only for an empty input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/box_text.h"

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The code point of the well-formed sequence at text[at], advancing at; aborts
// on anything else (overlong forms, surrogates, beyond U+10FFFF, cut short).
unsigned decode(std::string_view text, std::size_t& at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    std::size_t length = 1;
    unsigned codePoint = lead;
    if (lead >= 0xF0)
        length = 4, codePoint = lead & 0x07;
    else if (lead >= 0xE0)
        length = 3, codePoint = lead & 0x0F;
    else if (lead >= 0xC0)
        length = 2, codePoint = lead & 0x1F;
    require(lead < 0x80 || lead >= 0xC0);
    require(at + length <= text.size());
    for (std::size_t i = 1; i < length; ++i) {
        require((byte(at + i) & 0xC0) == 0x80);
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    const unsigned shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    require(codePoint >= shortest[length] && codePoint <= 0x10FFFF);
    require(codePoint < 0xD800 || codePoint > 0xDFFF);
    at += length;
    return codePoint;
}

// C0 and C1 controls, DEL, the bidirectional marks, embeddings and isolates,
// and the line and paragraph separators.
bool mustBeEscaped(unsigned c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string shown = boxText(text);
    require(shown.empty() == text.empty());

    int lines = 1;
    int lineLength = 0;
    for (std::size_t at = 0; at < shown.size();) {
        const unsigned c = decode(shown, at);
        if (c == '\n') {
            ++lines;
            lineLength = 0;
            continue;
        }
        require(!mustBeEscaped(c));
        require(++lineLength <= boxLineLength);
    }
    require(lines <= boxLineCount);
    return 0;
}
