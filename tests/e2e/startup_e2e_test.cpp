#include <gtest/gtest.h>
#include <string>

#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class Startup : public ::testing::Test {
protected:
    VirtualDisplay display;

    // Starts the program, checks its window, ends it with Escape.
    TopWindow startAndQuit(ProgramRun& run)
    {
        const auto window = run.waitWindow();
        EXPECT_TRUE(window.has_value()) << run.process().standardError();
        if (!window)
            return {};
        sendKey(display.name(), window->id, "Escape");
        EXPECT_EQ(run.process().waitExit(patienceMs), 0) << run.process().standardError();
        return *window;
    }
};

TEST_F(Startup, DefaultWindowIs512SquareWithTheDefaultTitle)
{
    ProgramRun run(display.name(), {});
    const TopWindow window = startAndQuit(run);
    EXPECT_EQ(window.width, 512);
    EXPECT_EQ(window.height, 512);
    EXPECT_TRUE(endsWith(window.name, "Super sampled Motion-Blur")) << window.name;
}

TEST_F(Startup, TitleAndSizeOptions)
{
    ProgramRun run(display.name(), {"-t", "Demo", "-w", "300", "-he", "200"});
    const TopWindow window = startAndQuit(run);
    EXPECT_EQ(window.width, 300);
    EXPECT_EQ(window.height, 200);
    EXPECT_TRUE(endsWith(window.name, "Demo")) << window.name;
    EXPECT_EQ(window.name.find("Super sampled"), std::string::npos);
}

// The toolkit sees only the first n entries of the untouched vector, n being
// what the option table left: an option of its own placed after ours is out of
// its reach, placed before them it is not.
TEST_F(Startup, ToolkitOptionsAfterTheTableOnesNeverReachTheToolkit)
{
    ProgramRun run(display.name(), {"-w", "300", "-display", ":999"});
    const TopWindow window = startAndQuit(run);
    EXPECT_EQ(window.width, 300);
}

TEST_F(Startup, ToolkitOptionsBeforeTheTableOnesReachTheToolkit)
{
    ProgramRun run(display.name(), {"-display", ":999", "-w", "300"});
    const auto status = run.process().waitExit(patienceMs);
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(*status, 0);
    EXPECT_NE(run.process().standardError().find(":999"), std::string::npos)
        << run.process().standardError();
    EXPECT_TRUE(topLevelWindows(display.name()).empty());
}

} // namespace

namespace {

TEST_F(Startup, HelpAndVersionAnswerWithoutAWindow)
{
    for (const char* request : {"--help", "--version"}) {
        ProgramRun run(display.name(), {request, "-w", "300"});
        EXPECT_EQ(run.process().waitExit(patienceMs), 0) << request;
        const std::string out = run.process().standardOutput();
        EXPECT_NE(out.find(std::string(request) == "--help" ? "-MAXTRIANGLES [-MAX]" : "qlxtest "),
                  std::string::npos)
            << out;
        EXPECT_TRUE(run.process().standardError().empty()) << run.process().standardError();
        EXPECT_TRUE(topLevelWindows(display.name()).empty()) << request;
    }
}

} // namespace
