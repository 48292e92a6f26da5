#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/box_text.h"

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// Characters of well-formed UTF-8, or -1 where it is not.
int utf8Length(const std::string& line)
{
    int count = 0;
    for (std::size_t i = 0; i < line.size(); ++count) {
        const auto lead = static_cast<unsigned char>(line[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > line.size())
            return -1;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80)
                return -1;
        }
        i += length;
    }
    return count;
}

void expectFitsTheBox(const std::string& shown)
{
    const auto lines = linesOf(shown);
    EXPECT_LE(lines.size(), static_cast<std::size_t>(boxLineCount)) << shown;
    for (const std::string& line : lines) {
        const int length = utf8Length(line);
        EXPECT_GE(length, 0) << "not UTF-8: " << line;
        EXPECT_LE(length, boxLineLength) << line;
    }
}

std::string joined(const std::string& shown)
{
    std::string text;
    for (const std::string& line : linesOf(shown))
        text += line;
    return text;
}

TEST(BoxText, LongNamesFitTheBoxKeepingBothEnds)
{
    const std::string path = "/home/user/" + std::string(289, 'p');
    const std::string shortEnough = "Can't open file " + path + ".";
    expectFitsTheBox(boxText(shortEnough));
    EXPECT_EQ(joined(boxText(shortEnough)), shortEnough);

    for (const int length : {2000, 5000}) {
        const std::string text = "Can't open file /data/" + std::string(static_cast<std::size_t>(length), 'x') + "/sky.ppm.";
        const std::string shown = boxText(text);
        expectFitsTheBox(shown);
        const std::string flat = joined(shown);
        EXPECT_EQ(flat.rfind("Can't open file /data/x", 0), 0u) << flat;
        EXPECT_NE(flat.find("x...x"), std::string::npos) << flat;
        EXPECT_EQ(flat.substr(flat.size() - 10), "x/sky.ppm.");
    }
}

TEST(BoxText, LineEndsAndControlsShowAsEscapes)
{
    const std::string shown = boxText("Can't open file " + std::string(3000, '\n') + "a.ppm.");
    expectFitsTheBox(shown);
    const std::string flat = joined(shown);
    EXPECT_NE(flat.find("\\n...\\n"), std::string::npos) << shown;
    EXPECT_EQ(flat.substr(flat.size() - 8), "\\na.ppm.");

    EXPECT_EQ(boxText("a\x1b[31m\a\r\tb\x7f"), "a\\x1B[31m\\x07\\r\\tb\\x7F");
    // Marks that reorder or break the text, the neighbours of each range left alone.
    EXPECT_EQ(boxText("\u202Egpj.exe\u202C.ppm"), "\\u202Egpj.exe\\u202C.ppm");
    EXPECT_EQ(boxText("\u2027\u2028\u2029\u202A\u202E\u202F"), "\u2027\\u2028\\u2029\\u202A\\u202E\u202F");
    EXPECT_EQ(boxText("\u2065\u2066\u2069\u206A \u200D\u200E\u200F\u2010 \u061C"),
              "\u2065\\u2066\\u2069\u206A \u200D\\u200E\\u200F\u2010 \\u061C");
}

TEST(BoxText, BytesThatAreNotUtf8BecomeReplacementCharacters)
{
    EXPECT_EQ(boxText("sky\xFF\xFE.ppm"), "sky\xEF\xBF\xBD\xEF\xBF\xBD.ppm");
    // Well-formed text stays; an overlong form and a lone surrogate do not.
    EXPECT_EQ(boxText("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(boxText("\xC0\xAF|\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(BoxText, WrapsAfterBlanksAndSlashes)
{
    const std::string text = "Image Format Error: /srv/images/environment/" + std::string(40, 'e') + "/sky.ppm";
    const auto lines = linesOf(boxText(text));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Image Format Error: /srv/images/environment/");
    // Without a place to break, lines are cut at the full length.
    const auto solid = linesOf(boxText(std::string(130, 'z')));
    ASSERT_EQ(solid.size(), 3u);
    EXPECT_EQ(solid[0].size(), static_cast<std::size_t>(boxLineLength));
}

} // namespace
