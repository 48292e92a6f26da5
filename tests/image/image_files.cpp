#include "image_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "support/process.h"
#include "support/x_tools.h"

TempDir::TempDir()
{
    std::string pattern = "/tmp/qlxtest-image-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    runShell("rm -rf " + shellQuote(path_));
}

std::string TempDir::file(const std::string& name) const
{
    return path_ + "/" + name;
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string target = file(name);
    std::ofstream out(target, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + target);
    return target;
}

PnmImagePtr readPnmFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot open " + path);
    PnmImagePtr image(readPnmImage(file));
    std::fclose(file);
    return image;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::uint8_t> pixelsOf(const PnmImage& image)
{
    const std::size_t size = static_cast<std::size_t>(image.width) * image.height * 3;
    return {image.pixels.get(), image.pixels.get() + size};
}

bool toolsAvailable(const std::vector<std::string>& programs)
{
    for (const auto& program : programs) {
        if (!runShell("command -v " + shellQuote(program) + " >/dev/null 2>&1"))
            return false;
    }
    return true;
}

bool runShell(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

namespace {

constexpr int probeColumns = 5;
constexpr int probeRows = 3;

// Where a texel's centre lands in a 512 x 512 window: the square spans -8..8
// at 16 units from the eye, field of view 50 degrees, and the file's first
// row is at the bottom.
std::pair<int, int> texelCentre(int column, int row)
{
    const double halfView = 16.0 * std::tan(25.0 * 3.14159265358979 / 180.0);
    const double objectX = (column + 0.5) / probeColumns * 16.0 - 8.0;
    const double objectY = (row + 0.5) / probeRows * 16.0 - 8.0;
    return {static_cast<int>(std::lround((objectX / halfView + 1.0) * 256.0 - 0.5)),
            static_cast<int>(std::lround((1.0 - objectY / halfView) * 256.0 - 0.5))};
}

bool sameColour(const std::uint8_t* a, const std::uint8_t* b)
{
    for (int c = 0; c < 3; ++c) {
        if (std::abs(int(a[c]) - int(b[c])) > 6)
            return false;
    }
    return true;
}

} // namespace

SkewProbe::SkewProbe()
{
    std::string raster;
    for (int i = 0; i < probeColumns * probeRows; ++i) {
        for (const int value : {(i * 53 + 20) % 256, 235 - i * 15, (i * 101 + 90) % 256}) {
            raster += static_cast<char>(value);
            rgb_.push_back(static_cast<std::uint8_t>(value));
        }
    }
    file_ = "P6\n5 3\n255\n" + raster;
}

bool SkewProbe::firstTexelShown(const Screenshot& shot, int offset) const
{
    const auto [x, y] = texelCentre(0, 0);
    return shot.width >= 512 - offset && shot.height >= 512 - offset &&
           sameColour(shot.pixel(x - offset, y - offset), rgb_.data());
}

void SkewProbe::expectEveryTexel(const Screenshot& shot, int offset, const std::string& label) const
{
    ASSERT_GE(shot.width, 512 - offset);
    ASSERT_GE(shot.height, 512 - offset);
    for (int row = 0; row < probeRows; ++row) {
        for (int column = 0; column < probeColumns; ++column) {
            const auto [x, y] = texelCentre(column, row);
            const std::uint8_t* seen = shot.pixel(x - offset, y - offset);
            const std::uint8_t* expected = &rgb_[static_cast<std::size_t>(row * probeColumns + column) * 3];
            EXPECT_TRUE(sameColour(seen, expected))
                << label << " texel " << column << "," << row << " at " << x << "," << y << ": seen "
                << int(seen[0]) << " " << int(seen[1]) << " " << int(seen[2]) << ", image " << int(expected[0])
                << " " << int(expected[1]) << " " << int(expected[2]);
        }
    }
}
