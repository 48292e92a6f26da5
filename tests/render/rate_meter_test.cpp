#include <cfloat>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "render/frame_state.h"
#include "render/rate_meter.h"

namespace {

std::string text(const TextString& s)
{
    return std::string(s.data(), static_cast<std::size_t>(s.length()));
}

TEST(TriangleRate, GobletAtNtscRate)
{
    // 16 divisions: 1216 triangles a draw.
    EXPECT_NEAR(kiloTrianglesPerSecond(1216, 0, 59.94f), 72.887f, 5e-4f);
    // Eight blurred sub-frames draw the object 15 times.
    EXPECT_NEAR(kiloTrianglesPerSecond(1216, 8, 59.94f), 1093.306f, 5e-4f);
    EXPECT_EQ(text(formatRateText(RateFormat::FramesAndTriangles, 59.94f, kiloTrianglesPerSecond(1216, 0, 59.94f))),
              "  59.94 FPS    72.887 kTPS");
    EXPECT_EQ(text(formatRateText(RateFormat::FramesAndTriangles, 59.94f, kiloTrianglesPerSecond(1216, 8, 59.94f))),
              "  59.94 FPS  1093.306 kTPS");
}

TEST(TriangleRate, OneSubFrameCountsOneDraw)
{
    EXPECT_FLOAT_EQ(kiloTrianglesPerSecond(1000, 1, 10.0f), 10.0f);
    EXPECT_FLOAT_EQ(kiloTrianglesPerSecond(0, 8, 60.0f), 0.0f);
    // A negative -motion blurs nothing: the frame draws the object once.
    EXPECT_FLOAT_EQ(kiloTrianglesPerSecond(1000, -5, 10.0f), 10.0f);
}

// Triangles times draws passes the int range long before the rate does.
TEST(TriangleRate, LargeCountsDoNotWrap)
{
    const float k = kiloTrianglesPerSecond(77824, 100000, 1.0f);
    EXPECT_NEAR(k, 77824.0 * 199999.0 * 0.001, 77824.0 * 199999.0 * 1e-9);
}

TEST(RateText, ThreeFormats)
{
    EXPECT_EQ(text(formatRateText(RateFormat::FramesOnly, 59.94f, 72.887f)), "  59.94 FPS");
    EXPECT_EQ(text(formatRateText(RateFormat::TrianglesOnly, 59.94f, 72.887f)), "   72.887 kTPS");
    EXPECT_EQ(text(formatRateText(RateFormat::FramesAndTriangles, 5.0f, 6.0f)), "   5.00 FPS     6.000 kTPS");
    EXPECT_EQ(rateFormatFor(0, SceneKind::Goblet), RateFormat::FramesAndTriangles);
    EXPECT_EQ(rateFormatFor(0, SceneKind::Teapot), RateFormat::FramesOnly);
    EXPECT_EQ(rateFormatFor(0, SceneKind::TexturedQuad), RateFormat::FramesOnly);
    EXPECT_EQ(rateFormatFor(2, SceneKind::Goblet), RateFormat::TrianglesOnly);
}

// Figures wider than their fields lengthen the text; none of it may be lost or
// written past the buffer.
TEST(RateText, WidestFiguresFitWhole)
{
    const std::string widest = text(formatRateText(RateFormat::FramesAndTriangles, FLT_MAX, -FLT_MAX));
    EXPECT_EQ(widest.size(), 42u + 5u + 44u + 5u) << widest;
    EXPECT_EQ(widest.rfind("340282346638528859811704183484516925440.00 FPS -", 0), 0u) << widest;
    EXPECT_EQ(widest.substr(widest.size() - 9), ".000 kTPS");
    EXPECT_LT(static_cast<int>(widest.size()), rateBufferSize);

    const std::string wideRate = text(formatRateText(RateFormat::FramesAndTriangles, 123456.78f, 1.0f));
    EXPECT_EQ(wideRate, "123456.78 FPS     1.000 kTPS");

    const std::string infinite = text(formatRateText(RateFormat::TrianglesOnly, 0.0f, INFINITY));
    EXPECT_EQ(infinite, "      inf kTPS");
}

class Sample : public ::testing::Test {
protected:
    FrameState state;
    void SetUp() override { state.objectTriangles = 1216; }
};

TEST_F(Sample, MeasuresFramesOverTheInterval)
{
    state.lastSampleTime = 5000;
    state.framesSinceSample = 60;
    takeRateSample(state, 6000, RateFormat::FramesAndTriangles, 0);
    EXPECT_EQ(state.previousSampleTime, 5000);
    EXPECT_EQ(state.lastSampleTime, 6000);
    EXPECT_FLOAT_EQ(state.measuredFps, 60.0f);
    EXPECT_EQ(text(state.rateText), "  60.00 FPS    72.960 kTPS");
    EXPECT_EQ(state.framesSinceSample, 0);
}

TEST_F(Sample, NoFramesKeepsRateAndTextButMovesTheTime)
{
    state.measuredFps = 42.0f;
    state.rateText = "old";
    state.lastSampleTime = 5000;
    takeRateSample(state, 5500, RateFormat::FramesAndTriangles, 0);
    EXPECT_FLOAT_EQ(state.measuredFps, 42.0f);
    EXPECT_EQ(text(state.rateText), "old");
    EXPECT_EQ(state.previousSampleTime, 5000);
    EXPECT_EQ(state.lastSampleTime, 5500);
}

// A clock that has not moved keeps the rate but still formats it with the
// current blur and clears the count.
TEST_F(Sample, StillClockKeepsTheRate)
{
    state.measuredFps = 30.0f;
    state.lastSampleTime = 7000;
    state.framesSinceSample = 3;
    takeRateSample(state, 7000, RateFormat::FramesAndTriangles, 8);
    EXPECT_FLOAT_EQ(state.measuredFps, 30.0f);
    EXPECT_EQ(text(state.rateText), "  30.00 FPS   547.200 kTPS");
    EXPECT_EQ(state.framesSinceSample, 0);
}

TEST_F(Sample, FirstSampleMeasuresFromZero)
{
    state.framesSinceSample = 10;
    takeRateSample(state, 2000, RateFormat::FramesOnly, 0);
    EXPECT_EQ(state.previousSampleTime, 0);
    EXPECT_FLOAT_EQ(state.measuredFps, 5.0f);
    EXPECT_EQ(text(state.rateText), "   5.00 FPS");
}

// Sample times far apart: their difference does not fit an int.
TEST_F(Sample, WideIntervalDoesNotOverflow)
{
    state.lastSampleTime = -2000000000;
    state.framesSinceSample = 4000000;
    takeRateSample(state, 2000000000, RateFormat::TrianglesOnly, 0);
    EXPECT_FLOAT_EQ(state.measuredFps, 1.0f);
    EXPECT_EQ(text(state.rateText), "    1.216 kTPS");
}

TEST(WindowTitle, RateTextThenTitle)
{
    const TextString title("Super sampled Motion-Blur");
    EXPECT_EQ(text(windowTitleFor("  59.94 FPS    72.887 kTPS", title, 0)),
              "  59.94 FPS    72.887 kTPS Super sampled Motion-Blur");
    EXPECT_EQ(text(windowTitleFor("   72.887 kTPS", title, 1)), "   72.887 kTPS");
    // Before the first sample.
    EXPECT_EQ(text(windowTitleFor(TextString(), title, 0)), " Super sampled Motion-Blur");
    EXPECT_EQ(text(windowTitleFor(TextString(), title, 1)), "");
}

TEST(RateTimer, FollowUps)
{
    const auto periodic = followUpTimer(0);
    ASSERT_TRUE(periodic.has_value());
    EXPECT_EQ(periodic->delayMs, 1000u);
    EXPECT_EQ(periodic->value, 0);
    const auto restart = followUpTimer(1);
    ASSERT_TRUE(restart.has_value());
    EXPECT_EQ(restart->delayMs, 1u);
    EXPECT_EQ(restart->value, 2);
    EXPECT_FALSE(followUpTimer(2).has_value());
    EXPECT_FALSE(followUpTimer(-1).has_value());
}

} // namespace
