// The extremes campaign on the command line: values at and beyond the ends of
// what each option can mean, given to the real program. Every case states its
// outcome: it runs (and what the picture shows), or it ends in a fatal report.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "campaign.h"

namespace {

// What a running case must show.
enum class Picture {
    Object,      // something besides the clear colour
    Nothing,     // the clear colour alone: there is no object to draw
    Unchecked,   // frames are drawn; the picture is not judged
    NoFrames,    // the window lies wholly off the screen, so none are drawn
};

struct Case {
    const char* name;
    std::vector<std::string> args;
    Picture picture = Picture::Object;
    const char* fatalText = nullptr;  // set: a "qlxtest error" report with this text
    int expectedWidth = 0;            // nonzero: the window's width must be this
    int expectedHeight = 0;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class OptionExtremes : public Campaign, public ::testing::WithParamInterface<Case> {};

TEST_P(OptionExtremes, RunsOrReportsAsStated)
{
    const Case& c = GetParam();
    start(c.args);
    if (c.fatalText) {
        expectFatal("qlxtest error", c.fatalText);
        return;
    }
    expectRunning(c.picture != Picture::NoFrames);
    if (HasFatalFailure())
        return;
    if (c.expectedWidth) {
        EXPECT_EQ(window.width, c.expectedWidth);
    }
    if (c.expectedHeight) {
        EXPECT_EQ(window.height, c.expectedHeight);
    }
    if (c.picture == Picture::Object || c.picture == Picture::Nothing) {
        const Screenshot shot = picture();
        ASSERT_GT(shot.width, 0) << "no screenshot";
        if (c.picture == Picture::Object) {
            EXPECT_GT(objectPixels(shot), 1000);
        } else {
            EXPECT_EQ(objectPixels(shot), 0);
        }
    }
    expectEscapeEnds();
}

const char* const intMax = "2147483647";
const char* const intMin = "-2147483648";

const Case divisionCases[] = {
    {"Divide0", {"-divide", "0"}, Picture::Nothing},
    {"Divide1", {"-divide", "1"}, Picture::Nothing},
    {"Divide2", {"-divide", "2"}, Picture::Nothing},
    {"DivideMinus5", {"-divide", "-5"}, Picture::Nothing},
    // 7.6 million triangles a draw: seconds a frame, but frames.
    {"Divide100000", {"-divide", "100000"}},
    {"DivideIntMax", {"-divide", intMax}, Picture::Object,
     "Too many divisions: the mesh would need 83751862233 cells, at most 4194304 are allowed."},
    {"TeapotDivide0", {"-TEAPOT", "-divide", "0"}, Picture::Nothing},
    {"TeapotDivideMinus5", {"-TEAPOT", "-divide", "-5"}, Picture::Nothing},
    {"TeapotDivide1", {"-TEAPOT", "-divide", "1"}},
    {"TeapotDivide363", {"-TEAPOT", "-divide", "363"}, Picture::Object,
     "Too many divisions for the teapot: 363, at most 362 are allowed."},
    {"TeapotDivide100000", {"-TEAPOT", "-divide", "100000"}, Picture::Object,
     "Too many divisions for the teapot: 100000, at most 362 are allowed."},
    {"TeapotDivideIntMax", {"-TEAPOT", "-divide", intMax}, Picture::Object,
     "Too many divisions for the teapot: 2147483647, at most 362 are allowed."},
};
INSTANTIATE_TEST_SUITE_P(Divisions, OptionExtremes, ::testing::ValuesIn(divisionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The sky is drawn (-sphere 1) so that its divisions matter to the picture.
const Case skyCases[] = {
    {"SectorsIntMin", {"-sphere", "1", "-sudivide", intMin}},
    {"SectorsIntMax", {"-sphere", "1", "-sudivide", intMax}, Picture::Object,
     "Too many divisions: the mesh would need 34359738352 cells, at most 4194304 are allowed."},
    {"RingsIntMin", {"-sphere", "1", "-svdivide", intMin}},
    {"RingsIntMax", {"-sphere", "1", "-svdivide", intMax}},
};
INSTANTIATE_TEST_SUITE_P(Sky, OptionExtremes, ::testing::ValuesIn(skyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The toolkit gives sizes of 0 or less its default of 300. A window one
// pixel wide or high at (-1, -1) lies wholly off the screen and the toolkit
// draws no frames for it. Sides above 16384 are capped there.
const Case windowCases[] = {
    {"Width0", {"-width", "0"}, Picture::Object, nullptr, 300, 300},
    {"WidthMinus1", {"-width", "-1"}, Picture::Object, nullptr, 300, 300},
    {"Width1", {"-width", "1"}, Picture::NoFrames, nullptr, 1, 512},
    {"Width100000", {"-width", "100000"}, Picture::Unchecked, nullptr, 16384, 512},
    {"Width65536", {"-width", "65536"}, Picture::Unchecked, nullptr, 16384, 512},
    {"Height0", {"-height", "0"}, Picture::Object, nullptr, 300, 300},
    {"HeightMinus1", {"-height", "-1"}, Picture::Object, nullptr, 300, 300},
    {"Height1", {"-height", "1"}, Picture::NoFrames, nullptr, 512, 1},
    {"Height100000", {"-height", "100000"}, Picture::Unchecked, nullptr, 512, 16384},
};
INSTANTIATE_TEST_SUITE_P(Window, OptionExtremes, ::testing::ValuesIn(windowCases),
                         [](const auto& info) { return std::string(info.param.name); });

const Case motionCases[] = {
    {"Motion0", {"-motion", "0"}},
    {"Motion1", {"-motion", "1"}},
    {"MotionMinus3", {"-motion", "-3"}},
    // 1999 object draws and 999 full-window passes a frame.
    {"Motion1000", {"-motion", "1000"}},
    {"Motion65537", {"-motion", "65537"}, Picture::Object,
     "Too many motion steps: 65537, at most 65536 are allowed."},
};
INSTANTIATE_TEST_SUITE_P(Motion, OptionExtremes, ::testing::ValuesIn(motionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Integer text past the 32-bit range saturates at the nearest end.
const Case beyond32BitCases[] = {
    {"Width2Pow32Plus512", {"-width", "4294967808"}, Picture::Unchecked, nullptr, 16384, 512},
    {"HeightMinus2Pow40", {"-height", "-1099511627776"}, Picture::Object, nullptr, 300, 300},
    {"Divide2Pow40", {"-divide", "1099511627776"}, Picture::Object,
     "Too many divisions: the mesh would need 83751862233 cells, at most 4194304 are allowed."},
    {"DivideMinus2Pow40", {"-divide", "-1099511627776"}, Picture::Nothing},
    {"Motion2Pow32Plus8", {"-motion", "4294967304"}, Picture::Object,
     "Too many motion steps: 2147483647, at most 65536 are allowed."},
    {"MotionMinus2Pow40", {"-motion", "-1099511627776"}},
    {"Sample99Digits", {"-sample", std::string(99, '9')}},
    {"TsizeMinus2Pow40", {"-tsize", "-1099511627776"}},
    {"Qlxsize2Pow32Plus440", {"-qlxsize", "4294967736"}},
    {"Xcenter2Pow40", {"-xcenter", "1099511627776"}},
    {"SvdivideMinus2Pow40", {"-sphere", "1", "-svdivide", "-1099511627776"}},
};
INSTANTIATE_TEST_SUITE_P(Beyond32Bits, OptionExtremes, ::testing::ValuesIn(beyond32BitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Spin speeds: a drag must leave the object on the screen. "nan" and "inf"
// are not numbers to the option reader and give a speed of 0; 1e39 is beyond
// a float and becomes infinity.
struct SpeedCase {
    const char* name;
    const char* speed;
    bool spins;
};

void PrintTo(const SpeedCase& c, std::ostream* out)
{
    *out << c.name;
}

class SpinSpeedExtremes : public Campaign, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(SpinSpeedExtremes, DraggedObjectStaysOnScreen)
{
    start({"-mspeed", GetParam().speed});
    expectRunning();
    if (HasFatalFailure())
        return;
    const Screenshot still = picture();
    ASSERT_GT(objectPixels(still), 1000);
    dragLeft(display.name(), 256, 256, 330, 280);
    for (int look = 0; look < 4; ++look) {
        // Nothing may go wrong over a while: the object stays in view, and
        // still where it cannot spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const Screenshot shot = picture();
        EXPECT_GT(objectPixels(shot), 1000) << "look " << look;
        if (!GetParam().spins) {
            EXPECT_EQ(shot.rgb, still.rgb) << "look " << look;
        }
    }
    expectEscapeEnds();
}

const SpeedCase speedCases[] = {
    {"Plus1e30", "1e30", true},   {"Minus1e30", "-1e30", true}, {"Nan", "nan", false},
    {"Inf", "inf", false},        {"Plus1e39", "1e39", true},   {"Minus1e400", "-1e400", true},
};
INSTANTIATE_TEST_SUITE_P(Speeds, SpinSpeedExtremes, ::testing::ValuesIn(speedCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
