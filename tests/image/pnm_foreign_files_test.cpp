// The PNM reader on files that netpbm and ImageMagick write, plain and raw,
// with maxvals 15, 255 and 65535. The expected pixels come from netpbm itself
// (pamdepth to 255, written as plain text), never from the reader under test.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "image/pnm_reader.h"
#include "image_files.h"
#include "support/process.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Reference {
    int width = 0;
    int height = 0;
    Bytes rgb;
};

// netpbm's 8-bit reading of a file, as RGB bytes.
Reference netpbmReference(const std::string& path)
{
    std::istringstream text(captureCommand("pamdepth 255 " + shellQuote(path) + " | pnmtoplainpnm"));
    std::string magic;
    int maxval = 0;
    Reference ref;
    text >> magic >> ref.width >> ref.height >> maxval;
    if (!text || maxval != 255 || (magic != "P2" && magic != "P3"))
        return {};
    const int channels = magic == "P2" ? 1 : 3;
    for (int i = 0; i < ref.width * ref.height; ++i) {
        int sample[3] = {0, 0, 0};
        for (int c = 0; c < channels; ++c)
            text >> sample[c];
        for (int c = 0; c < 3; ++c)
            ref.rgb.push_back(static_cast<std::uint8_t>(sample[channels == 1 ? 0 : c]));
    }
    return text ? ref : Reference{};
}

void replaceAll(std::string& text, const std::string& key, const std::string& value)
{
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
}

std::string magicOf(const std::string& bytes)
{
    return bytes.substr(0, 2);
}

class ForeignFiles : public ::testing::Test {
protected:
    TempDir dir;
    std::string colour;  // 13 x 7 raw P6, maxval 255
    std::string grey;    // 11 x 5 raw P5, maxval 255

    void SetUp() override
    {
        if (!toolsAvailable({"ppmpat", "pgmramp", "pamdepth", "pnmtoplainpnm", "pamtopnm"}))
            GTEST_SKIP() << "netpbm is not installed";
        colour = dir.file("colour.ppm");
        grey = dir.file("grey.pgm");
        ASSERT_TRUE(runShell("ppmpat -randomseed=7 -camo 13 7 > " + shellQuote(colour)));
        ASSERT_TRUE(runShell("pgmramp -diagonal 11 5 > " + shellQuote(grey)));
    }

    // Writes a file with a shell command whose "{in}" and "{out}" stand for
    // quoted paths; returns the output path.
    std::string make(const std::string& name, const std::string& input, const std::string& command)
    {
        const std::string out = dir.file(name);
        std::string line = command;
        replaceAll(line, "{in}", shellQuote(input));
        replaceAll(line, "{out}", shellQuote(out));
        EXPECT_TRUE(runShell(line)) << line;
        return out;
    }

    // The reader must see exactly what netpbm sees.
    void expectSameAsNetpbm(const std::string& path, const std::string& expectedMagic, int expectedMaxval)
    {
        SCOPED_TRACE(path);
        const std::string bytes = readWholeFile(path);
        ASSERT_EQ(magicOf(bytes), expectedMagic);
        std::istringstream header(bytes.substr(2, 64));
        int width = 0, height = 0, maxval = 0;
        header >> width >> height >> maxval;
        ASSERT_EQ(maxval, expectedMaxval) << "the tool wrote another maxval than asked for";

        const Reference ref = netpbmReference(path);
        ASSERT_GT(ref.width, 0) << "netpbm could not read the file";
        const PnmImagePtr image = readPnmFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, ref.width);
        EXPECT_EQ(image->height, ref.height);
        EXPECT_EQ(pixelsOf(*image), ref.rgb);
    }

    // Raw files with maxval above 255 carry two bytes a sample; this reader
    // takes one byte a sample from the start of the raster and scales it.
    void expectOneByteSamples(const std::string& path, int channels)
    {
        SCOPED_TRACE(path);
        const std::string bytes = readWholeFile(path);
        const PnmImagePtr image = readPnmFile(path);
        ASSERT_TRUE(image);
        const std::size_t samples = static_cast<std::size_t>(image->width) * image->height * channels;
        ASSERT_GE(bytes.size(), samples * 2);
        const std::size_t rasterStart = bytes.size() - samples * 2;
        const Bytes decoded = pixelsOf(*image);
        for (std::size_t i = 0; i < samples; ++i) {
            const auto raw = static_cast<std::uint8_t>(bytes[rasterStart + i]);
            const auto expected = static_cast<std::uint8_t>(static_cast<int>(raw * (255.0 / 65535) + 0.5));
            for (int c = 0; c < (channels == 1 ? 3 : 1); ++c)
                ASSERT_EQ(decoded[channels == 1 ? i * 3 + c : i], expected) << "sample " << i;
        }
    }
};

TEST_F(ForeignFiles, NetpbmRawAndPlainAt255)
{
    expectSameAsNetpbm(colour, "P6", 255);
    expectSameAsNetpbm(grey, "P5", 255);
    expectSameAsNetpbm(make("plain.ppm", colour, "pnmtoplainpnm {in} > {out}"), "P3", 255);
    expectSameAsNetpbm(make("plain.pgm", grey, "pnmtoplainpnm {in} > {out}"), "P2", 255);
}

TEST_F(ForeignFiles, NetpbmMaxval15)
{
    const std::string raw = make("15.ppm", colour, "pamdepth 15 {in} > {out}");
    expectSameAsNetpbm(raw, "P6", 15);
    expectSameAsNetpbm(make("15plain.ppm", raw, "pnmtoplainpnm {in} > {out}"), "P3", 15);
    const std::string rawGrey = make("15.pgm", grey, "pamdepth 15 {in} > {out}");
    expectSameAsNetpbm(rawGrey, "P5", 15);
    expectSameAsNetpbm(make("15plain.pgm", rawGrey, "pnmtoplainpnm {in} > {out}"), "P2", 15);
}

TEST_F(ForeignFiles, NetpbmMaxval65535)
{
    const std::string raw = make("16.ppm", colour, "pamdepth 65535 {in} | pamtopnm > {out}");
    expectOneByteSamples(raw, 3);
    expectSameAsNetpbm(make("16plain.ppm", raw, "pnmtoplainpnm {in} > {out}"), "P3", 65535);
    const std::string rawGrey = make("16.pgm", grey, "pamdepth 65535 {in} > {out}");
    expectOneByteSamples(rawGrey, 1);
    expectSameAsNetpbm(make("16plain.pgm", rawGrey, "pnmtoplainpnm {in} > {out}"), "P2", 65535);
}

class ImageMagickFiles : public ForeignFiles {
protected:
    void SetUp() override
    {
        ForeignFiles::SetUp();
        if (IsSkipped())
            return;
        if (!toolsAvailable({"convert"}) || !runShell("convert -version 2>/dev/null | grep -q ImageMagick"))
            GTEST_SKIP() << "ImageMagick is not installed";
    }
};

TEST_F(ImageMagickFiles, RawAndPlainAt255)
{
    expectSameAsNetpbm(make("im.ppm", colour, "convert {in} -depth 8 ppm:{out}"), "P6", 255);
    expectSameAsNetpbm(make("im.pgm", grey, "convert {in} -depth 8 pgm:{out}"), "P5", 255);
    expectSameAsNetpbm(make("implain.ppm", colour, "convert {in} -depth 8 -compress none ppm:{out}"), "P3", 255);
    expectSameAsNetpbm(make("implain.pgm", grey, "convert {in} -depth 8 -compress none pgm:{out}"), "P2", 255);
}

// ImageMagick writes plain files at 8 or 16 bits only; netpbm covers plain maxval 15.
TEST_F(ImageMagickFiles, RawMaxval15)
{
    expectSameAsNetpbm(make("im15.ppm", colour, "convert {in} -depth 4 ppm:{out}"), "P6", 15);
    expectSameAsNetpbm(make("im15.pgm", grey, "convert {in} -depth 4 pgm:{out}"), "P5", 15);
}

TEST_F(ImageMagickFiles, Maxval65535)
{
    expectOneByteSamples(make("im16.ppm", colour, "convert {in} -depth 16 ppm:{out}"), 3);
    expectOneByteSamples(make("im16.pgm", grey, "convert {in} -depth 16 pgm:{out}"), 1);
    expectSameAsNetpbm(make("im16plain.ppm", colour, "convert {in} -depth 16 -compress none ppm:{out}"), "P3",
                       65535);
    expectSameAsNetpbm(make("im16plain.pgm", grey, "convert {in} -depth 16 -compress none pgm:{out}"), "P2",
                       65535);
}

} // namespace
