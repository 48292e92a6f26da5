#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "render/result_line.h"
#include "render/run_record.h"

namespace {

RunRecord framesEndingAt(std::initializer_list<double> times)
{
    RunRecord record;
    for (const double t : times)
        recordFrameEnd(record, t);
    return record;
}

TEST(RunRecord, LimitsCountFromTheEndOfTheFirstFrame)
{
    const RunLimit threeFrames{3, 0.0};
    EXPECT_FALSE(limitReached(framesEndingAt({}), threeFrames));
    EXPECT_FALSE(limitReached(framesEndingAt({10.0, 10.1, 10.2}), threeFrames));
    const RunRecord four = framesEndingAt({10.0, 10.25, 10.5, 10.75});
    EXPECT_TRUE(limitReached(four, threeFrames));
    EXPECT_EQ(four.frames, 3);
    EXPECT_EQ(recordedSeconds(four), 0.75);

    const RunLimit halfSecond{0, 0.5};
    EXPECT_FALSE(limitReached(framesEndingAt({10.0, 10.4}), halfSecond));
    EXPECT_TRUE(limitReached(framesEndingAt({10.0, 10.5}), halfSecond));
    // Whichever comes first.
    EXPECT_TRUE(limitReached(framesEndingAt({10.0, 10.6}), RunLimit{3, 0.5}));

    for (const RunLimit none : {RunLimit{0, 0.0}, RunLimit{-4, -1.0}, RunLimit{0, HUGE_VAL}}) {
        EXPECT_FALSE(isLimited(none));
        EXPECT_FALSE(limitReached(framesEndingAt({0.0, 1.0, 1e6}), none));
    }
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
    EXPECT_EQ(resultLine(figures),
              "qlxtest-result: frames=600 seconds=3.412 fps=175.85 ktps=13685.35 triangles_per_frame=77824 "
              "width=128 height=128 swap_interval=0 renderer=\"llvmpipe (LLVM 15.0.6, 256 bits)\" "
              "gl_version=\"4.5 (Compatibility Profile) Mesa 22.3.6\"\n");

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
