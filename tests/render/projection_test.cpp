#include <gtest/gtest.h>

#include "render/projection.h"

namespace {

TEST(FieldOfView, SampleSizes)
{
    EXPECT_DOUBLE_EQ(fieldOfViewFor(512, 512), 50.0);
    EXPECT_NEAR(fieldOfViewFor(513, 512), 52.161, 5e-4);
    EXPECT_NEAR(fieldOfViewFor(640, 480), 44.411, 5e-4);
    EXPECT_NEAR(fieldOfViewFor(800, 600), 44.411, 5e-4);
    EXPECT_NEAR(fieldOfViewFor(1024, 512), 37.472, 5e-4);
    EXPECT_NEAR(fieldOfViewFor(2048, 512), 31.099, 5e-4);
}

TEST(FieldOfView, OnlyTheShapeCounts)
{
    EXPECT_DOUBLE_EQ(fieldOfViewFor(640, 480), fieldOfViewFor(800, 600));
    EXPECT_DOUBLE_EQ(fieldOfViewFor(300, 600), 50.0);
    EXPECT_DOUBLE_EQ(fieldOfViewFor(1, 4000), 50.0);
}

// Wider windows narrow the vertical view toward 25 degrees, never below it.
TEST(FieldOfView, LandscapeFallsTowardTwentyFive)
{
    double previous = fieldOfViewFor(513, 512);
    for (int width : {600, 800, 1200, 4000, 100000}) {
        const double fov = fieldOfViewFor(width, 512);
        EXPECT_LT(fov, previous) << width;
        EXPECT_GT(fov, 25.0) << width;
        previous = fov;
    }
}

TEST(Overlay, BaselineFollowsTheWidth)
{
    EXPECT_NEAR(overlayBaselineFor(512), 0.8707f, 1e-4f);
    EXPECT_NEAR(overlayBaselineFor(128), 0.7828f, 1e-4f);
}

} // namespace
