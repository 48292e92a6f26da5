// The limits the campaign put into the program, at their edges: what GLU is
// handed for the mipmaps.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "image/mipmap_input.h"

namespace {

TEST(GluLimits, ImagesPastGlusIntSizesAreRefused)
{
    EXPECT_TRUE(mipmapsFitGlu(1, 1));
    EXPECT_TRUE(mipmapsFitGlu(65535, 1));
    EXPECT_TRUE(mipmapsFitGlu(18918, 18918));
    EXPECT_FALSE(mipmapsFitGlu(18919, 18919));
    EXPECT_FALSE(mipmapsFitGlu(65535, 65535));
    EXPECT_FALSE(mipmapsFitGlu(0, 5));
    EXPECT_FALSE(mipmapsFitGlu(5, -1));
}

TEST(GluLimits, PowerOfTwoIsTheNearestWithHalvesGoingUp)
{
    const std::vector<std::pair<int, int>> cases = {
        {1, 1}, {2, 2}, {3, 4}, {5, 4}, {6, 8}, {7, 8}, {300, 256}, {383, 256}, {384, 512}, {65535, 65536}};
    for (const auto& [side, power] : cases)
        EXPECT_EQ(gluPowerOfTwo(side), power) << side;
    EXPECT_EQ(gluPowerOfTwo(0), 1);
    EXPECT_EQ(gluPowerOfTwo(INT_MAX), 1 << 30);
}

TEST(GluLimits, RowsAreRescaledOnlyWhenGluWouldRescaleTheWidthAlone)
{
    EXPECT_EQ(rowRescaleWidth(300, 1, 16384), 256);
    EXPECT_EQ(rowRescaleWidth(3, 1, 16384), 4);
    EXPECT_EQ(rowRescaleWidth(7, 2, 16384), 8);
    EXPECT_EQ(rowRescaleWidth(65535, 1, 16384), 16384);
    EXPECT_EQ(rowRescaleWidth(32768, 4, 16384), 16384);
    // Power-of-two widths that fit, and heights GLU rescales too, are GLU's.
    EXPECT_EQ(rowRescaleWidth(256, 1, 16384), 0);
    EXPECT_EQ(rowRescaleWidth(640, 480, 16384), 0);
    EXPECT_EQ(rowRescaleWidth(1, 65535, 16384), 0);
    EXPECT_EQ(rowRescaleWidth(300, 32768, 16384), 0);
    EXPECT_EQ(rowRescaleWidth(300, 1, 0), 0);
}

TEST(GluLimits, RescaledRowsAreAreaMeans)
{
    // Halving: pairs are averaged, halves rounding up.
    const std::vector<std::uint8_t> row = {0, 10, 20, 100, 110, 120, 200, 210, 220, 255, 255, 255};
    const auto halved = rowsRescaled(row.data(), 4, 1, 2);
    ASSERT_TRUE(halved);
    EXPECT_EQ(std::vector<std::uint8_t>(halved.get(), halved.get() + 6),
              (std::vector<std::uint8_t>{50, 60, 70, 228, 233, 238}));

    // Stretching 3 to 4: the inner pixels straddle two sources.
    const std::vector<std::uint8_t> grey = {0, 0, 0, 90, 90, 90, 180, 180, 180};
    const auto stretched = rowsRescaled(grey.data(), 3, 1, 4);
    ASSERT_TRUE(stretched);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(stretched[0 + c], 0);
        EXPECT_EQ(stretched[3 + c], 60);
        EXPECT_EQ(stretched[6 + c], 120);
        EXPECT_EQ(stretched[9 + c], 180);
    }
}

TEST(GluLimits, EveryRowIsRescaledOnItsOwnAndAUniformRowKeepsItsColour)
{
    std::vector<std::uint8_t> image;
    for (int i = 0; i < 300; ++i)
        image.insert(image.end(), {40, 200, 120});
    for (int i = 0; i < 300; ++i)
        image.insert(image.end(), {7, 8, 9});
    const auto rows = rowsRescaled(image.data(), 300, 2, 256);
    ASSERT_TRUE(rows);
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(rows[3 * x], 40);
        EXPECT_EQ(rows[3 * x + 1], 200);
        EXPECT_EQ(rows[3 * x + 2], 120);
        EXPECT_EQ(rows[3 * (256 + x)], 7);
        EXPECT_EQ(rows[3 * (256 + x) + 2], 9);
    }
}

} // namespace
