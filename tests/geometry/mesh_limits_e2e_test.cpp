// Division counts whose mesh cannot be built end the program through the
// fatal-error report, not a crash.
#include <gtest/gtest.h>
#include <string>

#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

class MeshLimits : public ::testing::Test {
protected:
    VirtualDisplay display;

    // Runs the program, expects the error box, acknowledges it and returns
    // what the program wrote to standard error.
    std::string runToErrorBox(const std::vector<std::string>& args)
    {
        ProgramRun run(display.name(), args);
        const auto box = waitForWindow(display.name(), [](const TopWindow& w) { return w.name == "qlxtest error"; });
        EXPECT_TRUE(box.has_value()) << run.process().standardError();
        if (!box)
            return {};
        // Nothing reaches standard error before the box is acknowledged.
        EXPECT_EQ(run.process().standardError().find("mesh"), std::string::npos);
        sendKey(display.name(), box->id, "Return");
        EXPECT_EQ(run.process().waitExit(patienceMs), 0);
        return run.process().standardError();
    }
};

TEST_F(MeshLimits, HugeGobletDivisionCountIsReportedAndExitsWithZero)
{
    const std::string error = runToErrorBox({"-divide", "100000000"});
    EXPECT_NE(error.find("Too many divisions: the mesh would need 3900000000 cells, at most 4194304 are "
                         "allowed.\n"),
              std::string::npos)
        << error;
}

TEST_F(MeshLimits, HugeSkySectorCountIsReportedAndExitsWithZero)
{
    const std::string error = runToErrorBox({"-sudivide", "2000000000"});
    EXPECT_NE(error.find("the mesh would need 32000000000 cells"), std::string::npos) << error;
}

// Just past the bound for the goblet, and the largest count the bound allows
// is left alone (it is not built here: that takes a while).
TEST_F(MeshLimits, GobletBoundLiesBetween107546And107547Divisions)
{
    const std::string error = runToErrorBox({"-divide", "107547"});
    EXPECT_NE(error.find("4194333 cells"), std::string::npos) << error;
}

TEST_F(MeshLimits, TooFewDivisionsStartNormally)
{
    ProgramRun run(display.name(), {"-divide", "2"});
    const auto window = run.waitWindow();
    ASSERT_TRUE(window.has_value()) << run.process().standardError();
    EXPECT_NE(window->name, "qlxtest error");
    sendKey(display.name(), window->id, "Escape");
    EXPECT_EQ(run.process().waitExit(patienceMs), 0) << run.process().standardError();
}

} // namespace
