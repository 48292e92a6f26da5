// The real program under valgrind's memcheck in every scene: start-up, a few
// seconds of frames with blur, a drag and the overlay switched on, then
// Escape. No invalid read or write, no use of uninitialised memory and no
// leak may come from qlxtest's own code; the reports that belong to the GL
// driver and the dynamic loader are suppressed by name in valgrind.supp.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/process.h"
#include "support/program_run.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

namespace {

// Under valgrind the software GL draws a frame in seconds.
constexpr int valgrindPatienceMs = 240000;

std::string readLog(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool showsRate(const std::string& name)
{
    static const std::regex rate(R"(^ *\d+\.\d+ (FPS|kTPS)( .*)?$)");
    return std::regex_match(name, rate);
}

struct Scene {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const Scene& scene, std::ostream* out)
{
    *out << scene.name;
}

class UnderValgrind : public ::testing::TestWithParam<Scene> {
protected:
    VirtualDisplay display;
    std::string log = "/tmp/qlxtest-valgrind-" + std::to_string(::getpid()) + ".log";

    void TearDown() override { std::remove(log.c_str()); }
};

TEST_P(UnderValgrind, FramesThenEscapeLeaveNoErrors)
{
    std::vector<std::string> argv = {QLXTEST_VALGRIND,
                                     "--error-exitcode=99",
                                     "--leak-check=full",
                                     "--show-leak-kinds=definite,indirect",
                                     "--errors-for-leak-kinds=definite,indirect",
                                     "--keep-debuginfo=yes",
                                     "--num-callers=30",
                                     "--suppressions=" QLXTEST_SOURCE_DIR "/tests/hardening/valgrind.supp",
                                     "--log-file=" + log,
                                     QLXTEST_EXECUTABLE};
    argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
    ChildProcess program(argv, programEnvironment(display.name(), {}), defaultImageDirectory());

    std::optional<TopWindow> window;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(valgrindPatienceMs);
    while (!window && program.running() && std::chrono::steady_clock::now() < deadline)
        window = waitForWindow(display.name(), [](const TopWindow& w) { return !w.name.empty(); }, 1000);
    ASSERT_TRUE(window.has_value()) << "status " << program.waitExit(0).value_or(999) << "\n"
                                    << program.standardError() << readLog(log);
    const std::string title = waitForName(display.name(), window->id, showsRate, valgrindPatienceMs);
    ASSERT_TRUE(showsRate(title)) << title;

    // Blur on, a drag, the overlay on: each takes effect between frames.
    sendKey(display.name(), window->id, "m");
    dragLeft(display.name(), 200, 256, 300, 300);
    sendKey(display.name(), window->id, "f");
    // A new rate in the title: frames were drawn with all three.
    const std::string after = waitForName(display.name(), window->id,
                                          [&](const std::string& name) { return showsRate(name) && name != title; },
                                          valgrindPatienceMs);
    ASSERT_NE(after, title) << "waited for a new rate in the title\n" << readLog(log);
    ASSERT_TRUE(program.running()) << readLog(log);

    sendKey(display.name(), window->id, "Escape");
    const auto status = program.waitExit(valgrindPatienceMs);
    ASSERT_TRUE(status.has_value()) << "still running after Escape";
    const std::string report = readLog(log);
    EXPECT_EQ(*status, 0) << report;
    EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
    // The verdict and the leak figures, for the log.
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("ERROR SUMMARY") != std::string::npos || line.find(" lost: ") != std::string::npos ||
            line.find("suppressed: ") != std::string::npos)
            std::cout << line << '\n';
    }
}

const Scene scenes[] = {
    {"Goblet", {}},
    {"GobletWithSky", {"-sphere", "1"}},
    {"Teapot", {"-TEAPOT"}},
    {"TexturedSquare", {"-TEXTURE"}},
};

INSTANTIATE_TEST_SUITE_P(Scenes, UnderValgrind, ::testing::ValuesIn(scenes),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
