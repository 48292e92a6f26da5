#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "render/result_line.h"
#include "render/run_record.h"

namespace {

// Frames of 100 triangles at 64 x 64, opened at 9.
RunRecord framesEndingAt(std::initializer_list<double> times)
{
    RunRecord record = openRecord(9.0);
    for (const double t : times)
        recordFrameEnd(record, t, 100.0, 64, 64);
    return record;
}

TEST(RunRecord, LimitsCountFromTheEndOfTheFirstFrame)
{
    const RunLimit threeFrames{3, 0.0};
    EXPECT_FALSE(limitReached(framesEndingAt({}), threeFrames, 100.0));
    EXPECT_FALSE(limitReached(framesEndingAt({10.0, 10.1, 10.2}), threeFrames, 10.2));
    const RunRecord four = framesEndingAt({10.0, 10.25, 10.5, 10.75});
    EXPECT_TRUE(limitReached(four, threeFrames, 10.75));
    EXPECT_EQ(four.frames, 3);
    EXPECT_EQ(recordedSeconds(four, 11.0), 0.75);

    const RunLimit halfSecond{0, 0.5};
    EXPECT_FALSE(limitReached(framesEndingAt({10.0, 10.4}), halfSecond, 10.4));
    EXPECT_TRUE(limitReached(framesEndingAt({10.0, 10.5}), halfSecond, 10.5));
    // Checked from a timer, with no frame since.
    EXPECT_TRUE(limitReached(framesEndingAt({10.0, 10.1}), halfSecond, 10.5));
    // Before any frame ends the time counts from the surface's making.
    EXPECT_FALSE(limitReached(framesEndingAt({}), halfSecond, 9.4));
    EXPECT_TRUE(limitReached(framesEndingAt({}), halfSecond, 9.5));
    // Whichever comes first.
    EXPECT_TRUE(limitReached(framesEndingAt({10.0, 10.6}), RunLimit{3, 0.5}, 10.6));

    for (const RunLimit none : {RunLimit{0, 0.0}, RunLimit{-4, -1.0}, RunLimit{0, HUGE_VAL}}) {
        EXPECT_FALSE(isLimited(none));
        EXPECT_FALSE(limitReached(framesEndingAt({0.0, 1.0, 1e6}), none, 1e6));
    }
}

TEST(RunRecord, FiguresCountEveryFrameAndTheHiddenTime)
{
    RunRecord record = openRecord(0.0);
    // Hidden before the first frame: not part of the run.
    recordHidden(record, true, 0.5);
    recordHidden(record, false, 1.0);
    recordFrameEnd(record, 2.0, 5.0, 64, 64);
    recordFrameEnd(record, 3.0, 100.0, 64, 64);
    recordFrameEnd(record, 4.0, 0.0, 64, 64);
    recordFrameEnd(record, 5.0, 50.0, 64, 64);
    EXPECT_DOUBLE_EQ(meanTrianglesPerFrame(record, 7.0), 50.0);
    EXPECT_FALSE(record.resized);
    EXPECT_DOUBLE_EQ(hiddenSeconds(record, 5.0), 0.0);

    // The window hides, comes back, and hides again until the run ends.
    recordHidden(record, true, 6.0);
    recordHidden(record, false, 8.0);
    recordFrameEnd(record, 9.0, 50.0, 64, 32);
    EXPECT_TRUE(record.resized);
    recordHidden(record, true, 10.0);
    EXPECT_DOUBLE_EQ(hiddenSeconds(record, 13.0), 5.0);
    EXPECT_DOUBLE_EQ(recordedSeconds(record, 13.0), 11.0);

    // Drawing at the end: the run ends with its last frame, once finished.
    recordHidden(record, false, 13.0);
    recordFrameEnd(record, 14.0, 50.0, 64, 64);
    recordLastFrameFinished(record, 14.25);
    EXPECT_DOUBLE_EQ(recordedSeconds(record, 20.0), 12.25);
    EXPECT_DOUBLE_EQ(hiddenSeconds(record, 20.0), 5.0);

    // No frame counted: the fallback, and the time from the surface's making.
    const RunRecord empty = openRecord(1.0);
    EXPECT_DOUBLE_EQ(meanTrianglesPerFrame(empty, 7.0), 7.0);
    EXPECT_DOUBLE_EQ(recordedSeconds(empty, 3.5), 2.5);
}

TEST(ResultLine, FieldsNumbersAndQuoting)
{
    RunFigures figures;
    figures.frames = 600;
    figures.seconds = 3.412;
    figures.trianglesPerFrame = 77824;
    figures.width = 128;
    figures.height = 128;
    figures.swapInterval = "0";
    figures.renderer = "llvmpipe (LLVM 15.0.6, 256 bits)";
    figures.glVersion = "4.5 (Compatibility Profile) Mesa 22.3.6";
    figures.ended = "limit";
    EXPECT_EQ(resultLine(figures),
              "qlxtest-result: frames=600 seconds=3.412000000 fps=175.85 ktps=13685.35 triangles_per_frame=77824 "
              "width=128 height=128 swap_interval=0 renderer=\"llvmpipe (LLVM 15.0.6, 256 bits)\" "
              "gl_version=\"4.5 (Compatibility Profile) Mesa 22.3.6\" frame_ms_p50=0.000 frame_ms_p99=0.000 "
              "frame_ms_max=0.000 fps_1pct_low=0.00 cpu_seconds=0.000 hidden_seconds=0.000000000 resized=0 "
              "ended=limit\n");
    // A mean of frames that drew differently keeps two decimals; so does a
    // one-frame run of 50 microseconds its time.
    figures.frames = 1;
    figures.seconds = 0.00005;
    figures.trianglesPerFrame = 1216.0 / 3.0;
    const std::string line = resultLine(figures);
    EXPECT_NE(line.find(" seconds=0.000050000 fps=20000.00 ktps=8106.67 triangles_per_frame=405.33 "),
              std::string::npos)
        << line;

    EXPECT_EQ(resultValue("unknown"), "unknown");
    EXPECT_EQ(resultValue(""), "\"\"");
    EXPECT_EQ(resultValue("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(resultValue("two\nlines"), "\"two lines\"");

    // A run that ended with its first frame has no rate.
    figures.frames = 0;
    figures.seconds = 0.0;
    EXPECT_DOUBLE_EQ(framesPerSecond(figures), 0.0);
}

} // namespace
