#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "render/frame_times.h"
#include "render/run_record.h"

namespace {

FrameTimes timesOf(const std::vector<double>& durations)
{
    FrameTimes times;
    for (const double d : durations)
        times.add(d);
    return times;
}

TEST(FrameTimes, PercentilesAndTheSlowestPercent)
{
    // All equal: every figure is that duration, exactly.
    const FrameTimes equal = timesOf(std::vector<double>(500, 0.016));
    const FrameTimeFigures flat = frameTimeFigures(equal);
    EXPECT_DOUBLE_EQ(flat.p50Ms, 16.0);
    EXPECT_DOUBLE_EQ(flat.p99Ms, 16.0);
    EXPECT_DOUBLE_EQ(flat.maxMs, 16.0);
    EXPECT_DOUBLE_EQ(flat.fps1PercentLow, 1.0 / 0.016);

    // One long frame among 1,000: it is the maximum, but not the 99th
    // percentile (rank 990); the slowest 1 % is 10 frames, one of them long.
    std::vector<double> stutter(999, 0.010);
    stutter.push_back(0.500);
    const FrameTimes oneLong = timesOf(stutter);
    const FrameTimeFigures spike = frameTimeFigures(oneLong);
    EXPECT_NEAR(spike.p99Ms, 10.0, 0.1);
    EXPECT_DOUBLE_EQ(spike.maxMs, 500.0);
    EXPECT_NEAR(spike.fps1PercentLow, 1000.0 / ((500.0 + 9 * 10.0) / 10.0), 0.2);

    // Fewer than 100 frames: the slowest 1 % is the single slowest frame.
    const FrameTimes few = timesOf({0.010, 0.020, 0.040});
    EXPECT_DOUBLE_EQ(few.slowestPercentMean(), 0.040);
    EXPECT_NEAR(few.percentile(50), 0.020, 0.0002);

    // Two values far apart: the median sits at rank ceil(n / 2), nearest rank.
    const FrameTimes apart = timesOf({0.001, 0.001, 1.0, 1.0});
    EXPECT_NEAR(apart.percentile(50), 0.001, 0.00001);
    EXPECT_DOUBLE_EQ(apart.percentile(99), 1.0);
    EXPECT_DOUBLE_EQ(FrameTimes().percentile(50), 0.0);
}

TEST(FrameTimes, BucketsReadBackWithinOnePercent)
{
    for (double d = 1e-6; d < 1e4; d *= 1.0037)
        ASSERT_LE(std::abs(FrameTimes::readBack(d) - d), 0.01 * d) << d;
}

// The last frame waits for the GL before its end is read; every counted
// frame's duration is settled once, and together they make the run's seconds.
TEST(FrameTimes, DurationsAddUpToTheRunsSeconds)
{
    RunRecord record = openRecord(0.0);
    std::vector<FrameDuration> settled;
    for (const double end : {1.0, 1.5, 2.5, 2.75}) {
        if (const auto frame = recordFrameEnd(record, end, 0.0, 64, 64))
            settled.push_back(*frame);
    }
    recordLastFrameFinished(record, 3.0);
    settled.push_back(*settleLastFrame(record));
    EXPECT_FALSE(settleLastFrame(record));
    ASSERT_EQ(settled.size(), 3u);
    EXPECT_EQ(settled.back().index, 3);
    EXPECT_DOUBLE_EQ(settled.back().end, 2.0);
    EXPECT_DOUBLE_EQ(settled.back().duration, 0.5);
    EXPECT_EQ(record.times.count(), 3);
    EXPECT_DOUBLE_EQ(record.times.total(), recordedSeconds(record, 9.0));
}

} // namespace
