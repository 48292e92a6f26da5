// The program's own checks and its fixed-step picture on each Mesa driver:
// llvmpipe, softpipe, and zink (OpenGL over Vulkan) on lavapipe, every one on
// Xvfb. A second implementation catches GL usage that one driver forgives. A
// driver that cannot start on this machine is skipped with the reason; with
// QLX_REQUIRE_DRIVERS=1, as in CI, that is a failure instead.

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "image/image_files.h"
#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

using Environment = std::vector<std::pair<std::string, std::string>>;

struct Driver {
    const char* name;  // what GL_RENDERER starts with
    bool software;     // zink is reached through the software path
};

void PrintTo(const Driver& driver, std::ostream* out)
{
    *out << driver.name;
}

class Drivers : public ::testing::TestWithParam<Driver> {
protected:
    VirtualDisplay display;
    TempDir runtime;  // zink's Vulkan loader wants XDG_RUNTIME_DIR

    Environment environment() const
    {
        Environment env{{"GALLIUM_DRIVER", GetParam().name}, {"XDG_RUNTIME_DIR", runtime.path()}};
        if (GetParam().software)
            env.emplace_back("LIBGL_ALWAYS_SOFTWARE", "1");
#ifdef QLXTEST_SANITIZER_PRELOAD
        if (GetParam().software) {
            for (const auto& [name, value] : programEnvironment(display.name(), {})) {
                if (name == "ASAN_OPTIONS")
                    env.emplace_back(name, value + ":suppressions=" QLXTEST_SOURCE_DIR "/tests/validation/zink_asan.supp");
            }
        }
#endif
        return env;
    }

    // The renderer glxinfo gets with this environment, or why there is none.
    std::string probe() const
    {
        std::string command = "DISPLAY=" + shellQuote(display.name());
        for (const auto& [name, value] : environment())
            command += " " + name + "=" + shellQuote(value);
        return captureCommand(command + " glxinfo -B 2>&1");
    }

    // Standard output of a run of the program to its end; its status must be 0.
    std::string run(const std::vector<std::string>& args)
    {
        ProgramRun program(display.name(), args, environment());
        const auto status = program.process().waitExit(120000);
        EXPECT_EQ(status, 0) << program.process().standardOutput() << program.process().standardError();
        return program.process().standardOutput();
    }
};

std::string matched(const std::string& text, const std::string& pattern)
{
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : std::string();
}

TEST_P(Drivers, ValidateAndTheFixedStepPictureTwice)
{
    const std::string driver = GetParam().name;
    const std::string renderer = matched(probe(), "OpenGL renderer string: (.*)");
    if (renderer.rfind(driver, 0) != 0) {
        const std::string reason = driver + " cannot start here; glxinfo says:\n" + probe();
        if (const char* require = std::getenv("QLX_REQUIRE_DRIVERS"); require && std::string(require) == "1")
            FAIL() << reason;
        GTEST_SKIP() << reason;
    }
    std::cout << "driver: " << renderer << "\n";

    const std::string report = run({"-validate"});
    EXPECT_TRUE(std::regex_search(report, std::regex("qlxtest-validate: 6 of 6 checks passed on \"" + driver)))
        << report;

    const std::vector<std::string> fixedStep{"-width", "128", "-height", "128", "-timestep", "16.667", "-frames",
                                             "60", "-checksum", "-blur", "-spin", "720"};
    const std::string first = run(fixedStep);
    std::string named = matched(first, R"( renderer=("[^"]*"|\S+))");
    if (named.size() >= 2 && named.front() == '"')
        named = named.substr(1, named.size() - 2);
    EXPECT_EQ(named, renderer) << first;
    const std::string checksum = matched(first, " checksum=([0-9a-f]{16})\n");
    EXPECT_FALSE(checksum.empty()) << first;
    EXPECT_EQ(matched(run(fixedStep), " checksum=([0-9a-f]{16})\n"), checksum) << "on " << renderer;
}

INSTANTIATE_TEST_SUITE_P(Mesa, Drivers,
                         ::testing::Values(Driver{"llvmpipe", false}, Driver{"softpipe", false},
                                           Driver{"zink", true}),
                         [](const ::testing::TestParamInfo<Driver>& info) { return std::string(info.param.name); });

} // namespace
