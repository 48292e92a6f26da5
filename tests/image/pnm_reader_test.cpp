// The PNM reader on files written here, byte for byte.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/pnm_reader.h"
#include "image_files.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class PnmFiles : public ::testing::Test {
protected:
    TempDir dir;

    PnmImagePtr decode(const std::string& bytes) { return readPnmFile(dir.write("image.pnm", bytes)); }

    // Decodes bytes that must give a width x height image.
    Bytes pixels(const std::string& bytes, int width, int height)
    {
        const PnmImagePtr image = decode(bytes);
        if (!image) {
            ADD_FAILURE() << "no image from: " << bytes;
            return {};
        }
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        return pixelsOf(*image);
    }
};

// A memory stream over text, for the token and header readers.
class MemoryStream {
public:
    explicit MemoryStream(const std::string& text)
        : text_(text), file_(fmemopen(text_.data(), text_.size(), "rb"))
    {
    }
    ~MemoryStream() { std::fclose(file_); }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::string text_;
    std::FILE* file_;
};

std::vector<std::string> allTokens(const std::string& text, int capacity = 256)
{
    MemoryStream stream(text);
    std::vector<std::string> tokens;
    std::vector<char> buffer(static_cast<std::size_t>(capacity));
    while (readPnmToken(stream.get(), buffer.data(), capacity) > 0)
        tokens.emplace_back(buffer.data());
    return tokens;
}

// Tokens -------------------------------------------------------------------

TEST(PnmToken, WhitespaceOfEveryKindAndCommentsSeparateTokens)
{
    EXPECT_EQ(allTokens(" \t\n\v\f\rab\vcd\fef\rgh\tij"),
              (std::vector<std::string>{"ab", "cd", "ef", "gh", "ij"}));
    EXPECT_EQ(allTokens("#one\n#two\n  # three\n\nP2 # four\n12"),
              (std::vector<std::string>{"P2", "12"}));
}

TEST(PnmToken, HashEndsATokenAndItsCommentRunsToTheLineFeed)
{
    EXPECT_EQ(allTokens("12#34 56\n78"), (std::vector<std::string>{"12", "78"}));
    EXPECT_EQ(allTokens("P6#comment\n1"), (std::vector<std::string>{"P6", "1"}));
}

TEST(PnmToken, EndOfInputEndsATokenAndGivesZeroBeforeOne)
{
    MemoryStream stream("  42");
    char buffer[256] = "junk";
    EXPECT_EQ(readPnmToken(stream.get(), buffer, 256), 2);
    EXPECT_STREQ(buffer, "42");
    EXPECT_EQ(readPnmToken(stream.get(), buffer, 256), 0);
    EXPECT_STREQ(buffer, "");

    MemoryStream onlyComments(" \n# no line feed at the end");
    std::snprintf(buffer, sizeof buffer, "junk");
    EXPECT_EQ(readPnmToken(onlyComments.get(), buffer, 256), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(PnmToken, A300DigitTokenIsRead255And45)
{
    const std::string digits(300, '7');
    const auto tokens = allTokens(digits + " 1");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0], std::string(255, '7'));
    EXPECT_EQ(tokens[1], std::string(45, '7'));
    EXPECT_EQ(tokens[2], "1");
}

TEST(PnmToken, AFullBufferLeavesTheNextCharacterUnread)
{
    // With room for 3 characters, the blank after "abc" is still there and
    // ends the empty continuation, so "def" comes next.
    EXPECT_EQ(allTokens("abc def", 4), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(allTokens("abcdefg", 4), (std::vector<std::string>{"abc", "def", "g"}));
}

TEST(PnmToken, BuffersTooSmallForACharacterStayEmpty)
{
    MemoryStream stream("abc");
    char buffer[1] = {'x'};
    EXPECT_EQ(readPnmToken(stream.get(), buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    char two[2];
    EXPECT_EQ(readPnmToken(stream.get(), two, 2), 1);
    EXPECT_STREQ(two, "a");
}

// Header -------------------------------------------------------------------

TEST(PnmHeader, ReadsTheFormatDigitAndTheThreeNumbers)
{
    MemoryStream stream("P5\n# size\n640 480\n# depth\n1023\n");
    int width = 0, height = 0, maxval = 0;
    EXPECT_EQ(readPnmHeader(stream.get(), width, height, maxval), 5);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(maxval, 1023);
}

TEST(PnmHeader, BilevelFormatsTakeMaxval1WithoutReadingIt)
{
    MemoryStream stream("P4 8 2 77");
    int width = 0, height = 0, maxval = 0;
    EXPECT_EQ(readPnmHeader(stream.get(), width, height, maxval), 4);
    EXPECT_EQ(maxval, 1);
    char buffer[8];
    ASSERT_EQ(readPnmToken(stream.get(), buffer, 8), 2);
    EXPECT_STREQ(buffer, "77");
}

TEST(PnmHeader, ValuesAreConvertedAsDecimalTextUnchecked)
{
    MemoryStream stream("P2 -3 12abc x");
    int width = 0, height = 0, maxval = 5;
    EXPECT_EQ(readPnmHeader(stream.get(), width, height, maxval), 2);
    EXPECT_EQ(width, -3);
    EXPECT_EQ(height, 12);
    EXPECT_EQ(maxval, 0);
}

TEST(PnmHeader, AWrongMagicLeavesTheOutputsUntouched)
{
    for (const char* text : {"p6 1 1 255", "P0 1 1 255", "P7 1 1 255", "P6x 1 1 255", "P", "", " # c\n",
                             "PP 1 1 255", "6P 1 1 255"}) {
        MemoryStream stream(text);
        int width = -7, height = -8, maxval = -9;
        EXPECT_EQ(readPnmHeader(stream.get(), width, height, maxval), 0) << text;
        EXPECT_EQ(width, -7);
        EXPECT_EQ(height, -8);
        EXPECT_EQ(maxval, -9);
    }
}

// Plain formats ------------------------------------------------------------

TEST_F(PnmFiles, CommentsBeforeTheMagicAndBetweenFieldsAreSkipped)
{
    const Bytes expected{0, 0, 0, 255, 255, 255};
    EXPECT_EQ(pixels("# made by hand\nP2\n# width\n2 # height next\n1\n255\n0\n255\n", 2, 1), expected);
    EXPECT_EQ(pixels("P2 2 1 255 0 255", 2, 1), expected);
}

TEST_F(PnmFiles, HashDirectlyAfterASampleEndsIt)
{
    EXPECT_EQ(pixels("P2 2 1 255\n12# comment 99\n34\n", 2, 1), (Bytes{12, 12, 12, 34, 34, 34}));
}

TEST_F(PnmFiles, MagicFollowedDirectlyByACommentIsAccepted)
{
    EXPECT_EQ(pixels("P3# plain colour\n1 1 255 1 2 3", 1, 1), (Bytes{1, 2, 3}));
}

TEST_F(PnmFiles, PlainSamplesScaleToTheNearestByteHalvesUp)
{
    EXPECT_EQ(pixels("P3 3 1 15  15 15 15  8 8 8  0 0 0", 3, 1),
              (Bytes{255, 255, 255, 136, 136, 136, 0, 0, 0}));
    EXPECT_EQ(pixels("P2 2 1 65535 65535 32768", 2, 1), (Bytes{255, 255, 255, 128, 128, 128}));
    // 1 * 255 / 2 = 127.5 goes up.
    EXPECT_EQ(pixels("P2 3 1 2 0 1 2", 3, 1), (Bytes{0, 0, 0, 128, 128, 128, 255, 255, 255}));

    // Every sample of maxval 100 against the rounding rule.
    std::string text = "P2 101 1 100";
    for (int v = 0; v <= 100; ++v)
        text += " " + std::to_string(v);
    const Bytes grey = pixels(text, 101, 1);
    ASSERT_EQ(grey.size(), 303u);
    for (int v = 0; v <= 100; ++v)
        EXPECT_EQ(grey[static_cast<std::size_t>(v) * 3], static_cast<int>(v * 2.55 + 0.5)) << v;
}

TEST_F(PnmFiles, Maxval255KeepsTheLowEightBitsUnscaled)
{
    EXPECT_EQ(pixels("P2 3 1 255 300 256 -1", 3, 1), (Bytes{44, 44, 44, 0, 0, 0, 255, 255, 255}));
}

TEST_F(PnmFiles, OutOfRangePlainSamplesWrapAfterScaling)
{
    // maxval 15: 16 -> 272 -> 16; 30 -> 510 -> 254.
    EXPECT_EQ(pixels("P3 1 1 15 16 30 0", 1, 1), (Bytes{16, 254, 0}));
}

TEST_F(PnmFiles, ShortPlainRastersLeaveTheRestBlack)
{
    EXPECT_EQ(pixels("P2 3 1 255 9", 3, 1), (Bytes{9, 9, 9, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pixels("P3 2 1 255 1 2 3 4", 2, 1), (Bytes{1, 2, 3, 4, 0, 0}));
    EXPECT_EQ(pixels("P3 2 2 255\n# nothing else\n", 2, 2), Bytes(12, 0));
}

// Raw formats --------------------------------------------------------------

TEST_F(PnmFiles, RawRgbBytesAreCopiedUnchangedEvenWhenTheyLookLikeText)
{
    const std::string raster = std::string("\n #\t5\0\xff", 7) + "ab";
    const Bytes expected(raster.begin(), raster.end());
    EXPECT_EQ(pixels("P6\n3 1\n255\n" + raster, 3, 1), expected);
}

TEST_F(PnmFiles, TheRasterStartsRightAfterTheCharacterEndingMaxval)
{
    // Only one whitespace character is consumed: the second line feed is data.
    EXPECT_EQ(pixels("P6 1 1 255\n\nAB", 1, 1), (Bytes{'\n', 'A', 'B'}));
    // A "#" after that character is data, not a comment.
    EXPECT_EQ(pixels("P6 1 1 255\n#ab", 1, 1), (Bytes{'#', 'a', 'b'}));
    // A comment that ends maxval is skipped up to its line feed.
    EXPECT_EQ(pixels("P6 1 1 255# made here\nxyz", 1, 1), (Bytes{'x', 'y', 'z'}));
}

TEST_F(PnmFiles, RawGreyBecomesEqualRgb)
{
    EXPECT_EQ(pixels(std::string("P5 3 1 255\n\x00\x80\xff", 14), 3, 1),
              (Bytes{0, 0, 0, 128, 128, 128, 255, 255, 255}));
    EXPECT_EQ(pixels(std::string("P5 2 1 1\n\x00\x01", 11), 2, 1), (Bytes{0, 0, 0, 255, 255, 255}));
}

TEST_F(PnmFiles, RawSamplesAreOneByteWhateverMaxval)
{
    // maxval 15: byte 8 -> 136, byte 15 -> 255; maxval 65535: byte 255 -> 1.
    EXPECT_EQ(pixels(std::string("P6 1 1 15\n\x08\x0f\x00", 13), 1, 1), (Bytes{136, 255, 0}));
    EXPECT_EQ(pixels(std::string("P6 1 1 65535\n\xff\xff\x00\x80\x00\x00", 19), 1, 1),
              (Bytes{1, 1, 0}));
    // Bytes above maxval scale past 255 and keep their low 8 bits: 16 * 17 = 272.
    EXPECT_EQ(pixels(std::string("P5 1 1 15\n\x10", 11), 1, 1), (Bytes{16, 16, 16}));
}

TEST_F(PnmFiles, ShortRawRastersLeaveTheRestBlack)
{
    EXPECT_EQ(pixels("P6 2 2 255\nabcde", 2, 2), (Bytes{'a', 'b', 'c', 'd', 'e', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pixels("P6 2 1 15\n\x0f", 2, 1), (Bytes{255, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pixels("P5 3 1 255\n\x7f", 3, 1), (Bytes{127, 127, 127, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pixels("P5 2 2 255\n", 2, 2), Bytes(12, 0));
}

TEST_F(PnmFiles, RowsWithoutPaddingAndInFileOrder)
{
    // 5 pixels a row, 15 bytes: no row starts on a 4-byte boundary.
    std::string raster;
    for (int i = 0; i < 5 * 3 * 3; ++i)
        raster += static_cast<char>(i);
    const Bytes decoded = pixels("P6 5 3 255\n" + raster, 5, 3);
    ASSERT_EQ(decoded.size(), 45u);
    for (std::size_t i = 0; i < decoded.size(); ++i)
        EXPECT_EQ(decoded[i], i);
}

// Refusals -----------------------------------------------------------------

TEST_F(PnmFiles, BadMagicNumbersGiveNoImage)
{
    for (const char* text : {"p6 1 1 255\nabc", "P0 1 1 255 0", "P7 1 1 255\nabc", "P6x 1 1 255\nabc",
                             "P10 1 1 255 0", "", "   \n\t", "# only a comment\n", "GIF89a"})
        EXPECT_FALSE(decode(text)) << '"' << text << '"';
}

TEST_F(PnmFiles, BilevelFormatsAreRecognisedButNotDecoded)
{
    EXPECT_FALSE(decode("P1\n2 2\n0 1\n1 0\n"));
    EXPECT_FALSE(decode(std::string("P4\n8 2\n\xaa\x55", 9)));
}

TEST_F(PnmFiles, SizesOutsideOneTo65535GiveNoImage)
{
    for (const char* header : {"P5 0 1 255\n", "P5 1 0 255\n", "P5 -1 1 255\n", "P5 1 -1 255\n",
                               "P5 65536 1 255\n", "P5 1 65536 255\n", "P3 99999999999 1 255\n",
                               "P2 x 1 255\n"})
        EXPECT_FALSE(decode(std::string(header) + "abc")) << header;
}

TEST_F(PnmFiles, MaxvalsOutsideOneTo65535GiveNoImage)
{
    for (const char* header : {"P6 1 1 0\n", "P6 1 1 -255\n", "P6 1 1 65536\n", "P2 1 1\n", "P3 1 1 z\n"})
        EXPECT_FALSE(decode(std::string(header) + "abc")) << header;
}

TEST_F(PnmFiles, TheLargestSizesAreAccepted)
{
    const PnmImagePtr wide = decode("P6 65535 1 255\nab");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->width, 65535);
    EXPECT_EQ(wide->height, 1);
    EXPECT_EQ(wide->pixels[0], 'a');
    EXPECT_EQ(wide->pixels[1], 'b');
    EXPECT_EQ(wide->pixels[2], 0);
    EXPECT_EQ(wide->pixels[65535 * 3 - 1], 0);
    const PnmImagePtr tall = decode("P2 1 65535 1 1");
    ASSERT_TRUE(tall);
    EXPECT_EQ(tall->height, 65535);
    EXPECT_EQ(tall->pixels[0], 255);
    EXPECT_EQ(tall->pixels[65535 * 3 - 1], 0);
}

TEST_F(PnmFiles, ALargeRawImageRoundTrips)
{
    std::string raster(256 * 128 * 3, '\0');
    std::uint32_t state = 12345;
    for (char& byte : raster) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    const Bytes decoded = pixels("P6\n256 128\n255\n" + raster, 256, 128);
    EXPECT_EQ(decoded, Bytes(raster.begin(), raster.end()));
}

} // namespace
