// Runs that end by themselves with their result line, and the swap interval
// that the result line reports, on the real executable.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "image/image_files.h"
#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

using Fields = std::map<std::string, std::string>;

// Our shim first; in sanitized builds the library the sanitizer needs follows.
std::string preload(const std::string& shim)
{
#ifdef QLXTEST_SANITIZER_PRELOAD
    return shim + ":" + QLXTEST_SANITIZER_PRELOAD;
#else
    return shim;
#endif
}

std::vector<std::string> resultLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("qlxtest-result:", 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

// key=value or key="value with \" and \\".
Fields resultFields(const std::string& line)
{
    Fields fields;
    static const std::regex field(R"re((\w+)=("(?:[^"\\]|\\.)*"|[^ "]+))re");
    for (std::sregex_iterator m(line.begin(), line.end(), field), end; m != end; ++m)
        fields[(*m)[1]] = (*m)[2];
    return fields;
}

double number(const Fields& fields, const std::string& key)
{
    const auto found = fields.find(key);
    return found == fields.end() ? -1.0 : std::atof(found->second.c_str());
}

class BenchmarkRun : public ::testing::Test {
protected:
    VirtualDisplay display;
    TempDir scratch;

    // Runs the program to its end; its result line's fields.
    Fields runToEnd(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& env,
                    const std::string& expectedErrors = "")
    {
        ProgramRun run(display.name(), args, env);
        EXPECT_EQ(run.process().waitExit(120000), 0) << run.process().standardError();
        EXPECT_EQ(run.process().standardError(), expectedErrors);
        const auto lines = resultLines(run.process().standardOutput());
        EXPECT_EQ(lines.size(), 1u) << run.process().standardOutput();
        return lines.empty() ? Fields{} : resultFields(lines.front());
    }

    // The one result line of a run that has ended.
    static Fields endedRunFields(ProgramRun& run)
    {
        const auto lines = resultLines(run.process().standardOutput());
        EXPECT_EQ(lines.size(), 1u) << run.process().standardOutput() << run.process().standardError();
        return lines.empty() ? Fields{} : resultFields(lines.front());
    }
};

// User and system CPU time of a process, in clock ticks.
long cpuTicks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i) {
        if (i >= 14)
            ticks += std::atol(field.c_str());
    }
    return ticks;
}

// The swap-counter shim logs every swap with its time: the run must end right
// after the 51st, and its rate must be the one the shim saw over the last 50.
TEST_F(BenchmarkRun, FramesLimitEndsAfterTheFramesFollowingTheFirst)
{
    const std::string log = scratch.file("swaps.log");
    const Fields fields = runToEnd({"-frames", "50", "-divide", "256", "-width", "128", "-height", "128"},
                                   {{"LD_PRELOAD", preload(QLXTEST_SWAP_COUNTER)},
                                    {"QLX_BENCH_LOG", log},
                                    {"QLX_BENCH_LOG_SWAPS", "1"}});
    std::vector<double> swapTimes;
    std::ifstream in(log);
    for (std::string event, ns, count, rest; in >> event >> ns >> count && std::getline(in, rest);) {
        if (event == "swap")
            swapTimes.push_back(std::atof(ns.c_str()) * 1e-9);
    }
    ASSERT_EQ(swapTimes.size(), 51u);
    EXPECT_EQ(fields.at("frames"), "50");
    const double shimFps = 50.0 / (swapTimes.back() - swapTimes.front());
    const double fps = number(fields, "fps");
    EXPECT_NEAR(fps, shimFps, shimFps * 0.01);
    // 256 divisions of 76 triangles, drawn once: blur is off at start.
    EXPECT_EQ(fields.at("triangles_per_frame"), "19456");
    EXPECT_NEAR(number(fields, "ktps"), fps * 19456 / 1000.0, 0.005 * 19456 / 1000.0 + 0.005);
    EXPECT_EQ(fields.at("width"), "128");
    EXPECT_EQ(fields.at("height"), "128");
    EXPECT_EQ(fields.at("swap_interval"), "unknown");
    EXPECT_NE(fields.at("renderer"), "\"\"");
}

// Ended by Escape long before its limit, a limited run still writes its line.
TEST_F(BenchmarkRun, EscapeEndsALimitedRunWithItsLine)
{
    ProgramRun run(display.name(), {"-seconds", "600", "-divide", "4", "-width", "64", "-height", "64"});
    const auto window = run.waitWindow();
    ASSERT_TRUE(window.has_value()) << run.process().standardError();
    sendKey(display.name(), window->id, "Escape");
    EXPECT_EQ(run.process().waitExit(10000), 0);
    const auto lines = resultLines(run.process().standardOutput());
    ASSERT_EQ(lines.size(), 1u) << run.process().standardOutput();
    EXPECT_EQ(resultFields(lines.front()).count("fps"), 1u) << lines.front();
}

// A window that cannot draw still ends its timed run, idles meanwhile, and
// says how long it was hidden; one made off screen never draws a frame.
TEST_F(BenchmarkRun, HiddenWindowsEndTimedRunsWithoutSpinning)
{
    ProgramRun hidden(display.name(), {"-seconds", "2", "-divide", "4", "-width", "64", "-height", "64"});
    const auto window = hidden.waitWindow();
    ASSERT_TRUE(window.has_value()) << hidden.process().standardError();
    captureCommand("DISPLAY=" + display.name() + " xdotool windowunmap " + std::to_string(window->id));
    const long before = cpuTicks(hidden.process().pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const long busy = cpuTicks(hidden.process().pid()) - before;
    EXPECT_LT(busy, sysconf(_SC_CLK_TCK) / 4);
    ASSERT_EQ(hidden.process().waitExit(60000), 0);
    const Fields fields = endedRunFields(hidden);
    EXPECT_LE(number(fields, "seconds"), 3.0);
    EXPECT_GT(number(fields, "hidden_seconds"), 0.0);
    EXPECT_EQ(fields.at("ended"), "limit");
    // The hidden time is in fps, in no frame's duration: the slowest 1 % are
    // never slower than the slowest frame.
    if (fields.at("frames") != "0") {
        EXPECT_GE(number(fields, "fps_1pct_low") * number(fields, "frame_ms_max"), 999.0)
            << hidden.process().standardOutput();
    }

    ProgramRun offScreen(display.name(), {"-geometry", "64x64+3000+3000", "-seconds", "1"});
    ASSERT_EQ(offScreen.process().waitExit(60000), 0) << offScreen.process().standardError();
    EXPECT_EQ(endedRunFields(offScreen).at("frames"), "0");
}

// Each frame counts what it drew: nothing with the object hidden, and the
// mean when blur came on part way; the time keeps a one-frame run's rate.
TEST_F(BenchmarkRun, TheLineCountsWhatEveryFrameDrew)
{
    EXPECT_EQ(runToEnd({"-objet", "0", "-frames", "5", "-width", "64", "-height", "64"}, {}).at("triangles_per_frame"), "0");
    const Fields one = runToEnd({"-frames", "1", "-width", "64", "-height", "64"}, {});
    EXPECT_NEAR(number(one, "fps"), 1.0 / number(one, "seconds"), number(one, "fps") * 0.001);

    ProgramRun run(display.name(), {"-seconds", "6", "-width", "64", "-height", "64"});
    const auto window = run.waitWindow();
    ASSERT_TRUE(window.has_value()) << run.process().standardError();
    waitForName(display.name(), window->id, [](const std::string& name) { return name.find("FPS") != name.npos; });
    sendKey(display.name(), window->id, "m");
    ASSERT_EQ(run.process().waitExit(60000), 0) << run.process().standardError();
    const Fields fields = endedRunFields(run);
    const double perFrame = number(fields, "triangles_per_frame");
    // The goblet's 1216 triangles, or 15 of them blurred.
    EXPECT_GT(perFrame, 1216.0);
    EXPECT_LT(perFrame, 1216.0 * 15);
    // Within the rounding of the printed fps and mean.
    const double fps = number(fields, "fps");
    EXPECT_NEAR(number(fields, "ktps"), fps * perFrame / 1000.0, (0.005 * perFrame + 0.005 * fps) / 1000.0 + 0.005);
}

// A signal ends the run through its normal path, line included, and the
// process then ends as that signal ends it.
TEST_F(BenchmarkRun, ASignalEndsTheRunWithItsLine)
{
    ProgramRun run(display.name(), {"-seconds", "60", "-divide", "4", "-width", "64", "-height", "64"});
    ASSERT_TRUE(run.waitWindow().has_value()) << run.process().standardError();
    ::kill(run.process().pid(), SIGTERM);
    EXPECT_EQ(run.process().waitExit(30000), -SIGTERM);
    EXPECT_EQ(endedRunFields(run).at("ended"), "signal");
}

TEST_F(BenchmarkRun, SwapIntervalIsSetAndReadBack)
{
    struct Case {
        std::vector<std::string> args;
        const char* interval;
    };
    // Not asked for, the driver's own interval is read back.
    for (const Case& c : {Case{{}, "1"}, Case{{"-swapinterval", "0"}, "0"}, Case{{"-swapinterval", "1"}, "1"},
                          Case{{"-swapinterval", "2"}, "2"}, Case{{"-MAXTRIANGLES"}, "0"},
                          Case{{"-MAXTRIANGLES", "-sw", "2"}, "2"}}) {
        std::vector<std::string> args{"-frames", "2", "-divide", "4", "-width", "64", "-height", "64"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Fields fields = runToEnd(args, {{"LD_PRELOAD", preload(QLXTEST_SWAP_CONTROL)}});
        EXPECT_EQ(fields.count("swap_interval") ? fields.at("swap_interval") : "", c.interval) << c.args.size();
    }
}

// Xvfb offers no swap control: the benchmark says so and runs on.
TEST_F(BenchmarkRun, WithoutSwapControlTheIntervalIsUnknown)
{
    const Fields fields = runToEnd({"-MAXTRIANGLES", "-frames", "2", "-divide", "4"}, {},
                                   "Swap interval 0 could not be set; the interval in force is unknown: "
                                   "rates may be capped by the display's refresh rate.\n");
    EXPECT_EQ(fields.count("swap_interval") ? fields.at("swap_interval") : "", "unknown");
}

} // namespace
