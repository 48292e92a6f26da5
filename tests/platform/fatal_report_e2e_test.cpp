// Fatal reports of the real program reach the user whatever the text and
// whatever the X server offers.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "hardening/campaign.h"
#include "image/image_files.h"

namespace {

// SDL's box is a dialog window; the program's own notice is not.
bool isSdlBox(const std::string& display, const TopWindow& w)
{
    return captureCommand("xprop -display " + display + " -id " + std::to_string(w.id) + " _NET_WM_WINDOW_TYPE")
               .find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos;
}

// User and system time the process has used, in clock ticks.
long processorTicks(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // Fields after the command name in parentheses; utime and stime are the
    // 14th and 15th of the whole line.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i >= 14)
            ticks += std::stol(field);
    }
    return ticks;
}

class FatalReport : public Campaign {
protected:
    explicit FatalReport(const std::vector<std::string>& serverArgs = {}) : Campaign(serverArgs) {}
    TempDir emptyDir;  // a working directory without sky.ppm
};

TEST_F(FatalReport, LongAndMalformedNamesGetABoxAndTheirFullBytesOnStandardError)
{
    const auto lookAtBox = [&](const TopWindow& box) {
        EXPECT_TRUE(isSdlBox(display.name(), box));
        EXPECT_LE(box.width, 640);
        EXPECT_LE(box.height, 400);
    };
    for (const std::string& name : {std::string(5000, 'n'), std::string("sky\xFF\xFE.ppm"),
                                    "dir/" + std::string(3000, '\n') + ".ppm", std::string("\u202Egpj.exe\u202C.ppm")}) {
        SCOPED_TRACE(name.size());
        start({"-envfile", name}, {}, emptyDir.path());
        expectFatal("Loading Image Error", "Can't open file " + name + ".", {}, lookAtBox);
    }
}

// Standard error closed, and a pipe whose reader has gone.
TEST_F(FatalReport, ARunWithoutAReaderOfStandardErrorEndsAfterTheBoxWithStatus0)
{
    for (const char* redirection : {"exec 2>&-", "exec 2> >(exec true)"}) {
        SCOPED_TRACE(redirection);
        start({"-envfile", "missing.ppm"}, {}, emptyDir.path(),
              {"/bin/bash", "-c", std::string(redirection) + "; exec \"$0\" \"$@\""});
        const auto box =
            waitForWindow(display.name(), [](const TopWindow& w) { return w.name == "Loading Image Error"; });
        ASSERT_TRUE(box.has_value());
        ASSERT_TRUE(waitViewable(display.name(), box->id));
        sendKey(display.name(), box->id, "Return");
        EXPECT_EQ(program->waitExit(patienceMs), 0);
    }
}

// A box would hold the script that started the run: a scripted run in a
// window writes its line and ends at once, with status 1.
TEST_F(FatalReport, AScriptedRunShowsNoBoxItsLineAndStatusSayIt)
{
    const TempDir files;
    for (const std::vector<std::string>& script :
         std::vector<std::vector<std::string>>{{"-frames", "5"}, {"-snapshot", files.file("s.ppm")}}) {
        SCOPED_TRACE(script.front());
        std::vector<std::string> args = script;
        args.insert(args.end(), {"-envfile", "missing.ppm"});
        start(args, {}, emptyDir.path(), {"/usr/bin/timeout", "30"});
        EXPECT_EQ(program->waitExit(60000), 1);
        EXPECT_EQ(standardError(), "Can't open file missing.ppm.\n");
        EXPECT_FALSE(std::filesystem::exists(files.file("s.ppm")));
    }
}

// SDL shows its box from a child process that holds the program's X
// connection, and with it the program's window.
TEST_F(FatalReport, KillingTheProgramTakesItsBoxAndWindowAlong)
{
    start({}, {}, emptyDir.path());
    const auto box = waitForWindow(display.name(), [](const TopWindow& w) { return w.name == "Loading Image Error"; });
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(waitViewable(display.name(), box->id));
    ASSERT_EQ(topLevelWindows(display.name()).size(), 2u);
    ::kill(program->pid(), SIGTERM);
    EXPECT_EQ(program->waitExit(patienceMs), -SIGTERM);
    EXPECT_TRUE(eventually("the box and the window to go", [&] { return topLevelWindows(display.name()).empty(); }));
}

// The box goes where the toolkit puts the window: to the "-display" among the
// entries the toolkit sees, else to $DISPLAY.
TEST_F(FatalReport, TheBoxAppearsOnTheProgramsDisplay)
{
    const VirtualDisplay other;
    const auto nothingOnOther = [&](const TopWindow&) { EXPECT_TRUE(topLevelWindows(other.name()).empty()); };
    start({"-display", display.name(), "-envfile", "missing.ppm"}, {{"DISPLAY", other.name()}}, emptyDir.path());
    expectFatal("Loading Image Error", "Can't open file missing.ppm.", {}, nothingOnOther);
    // Beyond those entries, where the option table's two have been cut off.
    start({"-motion", "70000", "-title", "t", "-display", other.name()});
    expectFatal("qlxtest error", "Too many motion steps: 70000, at most 65536 are allowed.", {}, nothingOnOther);
}

TEST_F(FatalReport, WithoutADisplayOnlyTheLineRemains)
{
    start({"-motion", "70000"}, {{"DISPLAY", ":999"}});
    EXPECT_EQ(program->waitExit(patienceMs), 0);
    EXPECT_EQ(standardError(), "Too many motion steps: 70000, at most 65536 are allowed.\n");
}

TEST_F(FatalReport, HelpAfterAnOptionIsItsValue)
{
    start({"-title", "--help"});
    const auto window = waitForWindow(display.name(), [](const TopWindow& w) { return !w.name.empty(); });
    ASSERT_TRUE(window.has_value()) << standardError();
    const std::string title = waitForName(display.name(), window->id, [](const std::string& name) {
        return name.size() > 7 && name.compare(name.size() - 7, 7, " --help") == 0;
    });
    EXPECT_EQ(title.substr(title.size() - 7), " --help");
    sendKey(display.name(), window->id, "Escape");
    EXPECT_EQ(program->waitExit(patienceMs), 0);
    EXPECT_EQ(program->standardOutput(), "");
}

// Only the built-in font, as on a machine without font packages: SDL's box
// cannot draw, and the program's own notice stands in, before its window
// exists and after.
class FatalReportWithoutFonts : public FatalReport {
protected:
    FatalReportWithoutFonts() : FatalReport({"-fp", "built-ins"}) {}
};

TEST_F(FatalReportWithoutFonts, TheProgramsOwnNoticeShowsTheReportAndWaitsIdle)
{
    start({}, {}, emptyDir.path());
    expectFatal("Loading Image Error", "Can't open file sky.ppm.", {}, [&](const TopWindow& box) {
        EXPECT_FALSE(isSdlBox(display.name(), box));
        const long before = processorTicks(program->pid());
        // Nothing should happen while the notice waits: the processor stays idle.
        std::this_thread::sleep_for(std::chrono::seconds(3));
        // Under 5 % of one processor.
        EXPECT_LT(processorTicks(program->pid()) - before, 3 * ::sysconf(_SC_CLK_TCK) / 20);
    });
    start({"-motion", "70000"});
    expectFatal("qlxtest error", "Too many motion steps: 70000, at most 65536 are allowed.");
}

TEST_F(FatalReportWithoutFonts, ANoticeDestroyedFromOutsideCountsAsAcknowledged)
{
    start({}, {}, emptyDir.path());
    const auto box = waitForWindow(display.name(), [](const TopWindow& w) { return w.name == "Loading Image Error"; });
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(waitViewable(display.name(), box->id));
    captureCommand("DISPLAY=" + display.name() + " xdotool windowclose " + std::to_string(box->id) + " 2>&1");
    EXPECT_EQ(program->waitExit(patienceMs), 0);
    EXPECT_EQ(standardError(), "Can't open file sky.ppm.\n");
}

// Neither SDL's box nor the program's notice can be made: the toolkit would
// end the process inside the notice.
class FatalReportWithoutGlx : public FatalReport {
protected:
    FatalReportWithoutGlx() : FatalReport({"-fp", "built-ins", "-extension", "GLX"}) {}
};

TEST_F(FatalReportWithoutGlx, OnlyTheLineRemains)
{
    start({"-motion", "70000"});
    EXPECT_EQ(program->waitExit(patienceMs), 0);
    EXPECT_EQ(standardError(), "Too many motion steps: 70000, at most 65536 are allowed.\n");
}

} // namespace
