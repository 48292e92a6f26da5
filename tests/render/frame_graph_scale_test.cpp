#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "render/frame_graph_scale.h"

namespace {

TEST(FrameGraph, ReadableStepsAreOneTwoFiveTimesAPowerOfTen)
{
    const struct {
        double ms;
        double step;
    } cases[] = {
        {16.7, 20.0}, {20.0, 20.0}, {20.01, 50.0}, {50.0, 50.0}, {51.0, 100.0}, {1.0, 1.0},
        {1.2, 2.0},   {0.3, 0.5},   {0.05, 0.1},   {0.0, 0.1},   {-3.0, 0.1},   {1500.0, 2000.0},
        {std::numeric_limits<double>::quiet_NaN(), 0.1},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(readableStep(c.ms), c.step) << c.ms;
}

// The top grows at once to the slowest frame; it comes down one readable step
// a second, never below what the frames shown need.
TEST(FrameGraph, ScaleGrowsAtOnceAndShrinksSlowly)
{
    GraphScale scale;
    updateScale(scale, 16.0, 16.0);
    EXPECT_DOUBLE_EQ(scale.topMs, 20.0);
    updateScale(scale, 400.0, 400.0);
    EXPECT_DOUBLE_EQ(scale.topMs, 500.0);

    // 0.99 s of fast frames: still the old top.
    for (int i = 0; i < 99; ++i)
        updateScale(scale, 16.0, 10.0);
    EXPECT_DOUBLE_EQ(scale.topMs, 500.0);
    updateScale(scale, 16.0, 10.0);
    EXPECT_DOUBLE_EQ(scale.topMs, 200.0);
    const std::vector<double> downwards{100.0, 50.0, 20.0, 20.0};
    for (const double expected : downwards) {
        for (int i = 0; i < 100; ++i)
            updateScale(scale, 16.0, 10.0);
        EXPECT_DOUBLE_EQ(scale.topMs, expected);
    }
    // A slow frame in the middle of a shrink: back up at once, and the wait starts again.
    for (int i = 0; i < 50; ++i)
        updateScale(scale, 16.0, 10.0);
    updateScale(scale, 30.0, 30.0);
    EXPECT_DOUBLE_EQ(scale.topMs, 50.0);
    for (int i = 0; i < 99; ++i)
        updateScale(scale, 16.0, 10.0);
    EXPECT_DOUBLE_EQ(scale.topMs, 50.0);
}

TEST(FrameGraph, FramesSlowerThanTwiceTheMedianStandOut)
{
    const std::vector<double> shown{10.0, 11.0, 9.0, 23.0, 20.0, 10.0, 45.0};
    const std::vector<bool> expected{false, false, false, true, false, false, true};
    EXPECT_EQ(standsOut(shown), expected);
    EXPECT_DOUBLE_EQ(percentile(shown, 50.0), 11.0);
    EXPECT_DOUBLE_EQ(percentile(shown, 99.0), 45.0);
    EXPECT_TRUE(standsOut({}).empty());
    EXPECT_DOUBLE_EQ(percentile({}, 99.0), 0.0);
}

TEST(FrameGraph, RingKeepsTheLatestFramesOldestFirst)
{
    FrameRing ring;
    EXPECT_TRUE(ring.latest(10).empty());
    for (int i = 1; i <= maxGraphColumns + 5; ++i)
        ring.push(i);
    EXPECT_EQ(ring.size(), static_cast<std::size_t>(maxGraphColumns));
    EXPECT_EQ(ring.latest(3), (std::vector<double>{303.0, 304.0, 305.0}));
    const std::vector<double> all = ring.latest(1000);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(maxGraphColumns));
    EXPECT_DOUBLE_EQ(all.front(), 6.0);
}

TEST(FrameGraph, BandFitsTheWindow)
{
    const struct {
        int width, height, columns, rows;
    } cases[] = {
        {512, 512, 300, 120}, {128, 128, 128, 32}, {1, 1, 1, 1}, {100000, 3, 300, 1}, {0, 512, 0, 0}, {512, -1, 0, 0},
    };
    for (const auto& c : cases) {
        const GraphBand band = graphBand(c.width, c.height);
        EXPECT_EQ(band.columns, c.columns) << c.width << "x" << c.height;
        EXPECT_EQ(band.height, c.rows) << c.width << "x" << c.height;
    }
    EXPECT_EQ(columnHeight(10.0, 20.0, 100), 50);
    EXPECT_EQ(columnHeight(90.0, 20.0, 100), 100);
    EXPECT_EQ(columnHeight(10.0, 0.0, 100), 0);
}

} // namespace
