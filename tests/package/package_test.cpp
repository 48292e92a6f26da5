// The Debian package from tools/package, installed on this machine, run and
// removed again. It changes the system, so it runs only when asked for, as
// root: QLX_PACKAGE_TEST=1, which .ci/run sets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/process.h"
#include "support/program_run.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

namespace {

namespace fs = std::filesystem;

std::string trimmed(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

class DebianPackage : public ::testing::Test {
protected:
    std::string deb;

    void SetUp() override
    {
        const char* asked = std::getenv("QLX_PACKAGE_TEST");
        if (!asked || std::string(asked) != "1")
            GTEST_SKIP() << "installs the Debian package on this machine: run tools/package, then as root "
                            "with QLX_PACKAGE_TEST=1 (.ci/run does)";
        ASSERT_EQ(geteuid(), 0u) << "QLX_PACKAGE_TEST=1 needs root";
        deb = std::string(QLXTEST_SOURCE_DIR) + "/dist/qlxtest_" QLXTEST_PROJECT_VERSION "_" +
              trimmed(captureCommand("dpkg --print-architecture")) + ".deb";
        ASSERT_TRUE(fs::is_regular_file(deb)) << deb << " is missing: run tools/package";
    }

    std::string field(const std::string& name)
    {
        return trimmed(captureCommand("dpkg-deb -f " + shellQuote(deb) + " " + name));
    }
};

TEST_F(DebianPackage, DeclaresItsVersionDependenciesAndFiles)
{
    EXPECT_EQ(field("Version"), QLXTEST_PROJECT_VERSION);
    const std::string depends = field("Depends");
    const std::string both = depends + ", " + field("Recommends");
    for (const char* library : {"libglut", "libglu1", "libegl1", "python3"})
        EXPECT_NE(depends.find(library), std::string::npos) << depends;
    for (const char* runTime : {"libsdl2-2.0-0", "xfonts-base", "python3-matplotlib", "xvfb", "x11-utils", "xdotool"})
        EXPECT_NE(both.find(runTime), std::string::npos) << both;

    const std::string contents = captureCommand("dpkg-deb -c " + shellQuote(deb));
    for (const char* path : {"./usr/bin/qlxtest", "./usr/share/qlxtest/sky.ppm", "./usr/share/man/man1/qlxtest.1.gz",
                             "./usr/share/applications/qlxtest.desktop", "./usr/bin/qlxtest-bench",
                             "./usr/share/qlxtest/bench/qlxbaseline.py", "./usr/share/man/man1/qlxtest-bench.1.gz"})
        EXPECT_NE(contents.find(std::string(path) + "\n"), std::string::npos) << path;
    // The swap counter in a private directory of the architecture's library directory.
    const std::string shim = "./usr/lib/" + trimmed(captureCommand("dpkg-architecture -qDEB_HOST_MULTIARCH")) +
                             "/qlxtest/libqlx_swap_counter.so\n";
    EXPECT_NE(contents.find(shim), std::string::npos) << shim;
}

// Purges the package however the test ends, so that nothing stays installed.
struct Installation {
    std::string log;

    explicit Installation(const std::string& deb)
    {
        // Minimal images may keep manual pages out (dpkg path-exclude); this
        // one is let in so that man can find it. dpkg leaves the package
        // unconfigured when dependencies are missing; apt-get brings them.
        log = captureCommand("dpkg --path-include='/usr/share/man/man1/qlxtest*.1.gz' -i " + shellQuote(deb) +
                             " 2>&1; DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "
                             "-f install -y --no-install-recommends 2>&1");
    }
    ~Installation() { remove(); }
    static std::string remove()
    {
        return captureCommand("DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y qlxtest "
                              "2>&1");
    }
    static std::string status()
    {
        return captureCommand("dpkg-query -W -f='${Status}' qlxtest 2>/dev/null");
    }
};

// Runs commandLine through the shell, from an empty directory, with no image
// variable: the window must show the rates and the title, and Escape end it.
void expectRunsAnywhere(const VirtualDisplay& display, const std::string& commandLine)
{
    const fs::path empty = fs::temp_directory_path() / ("qlxtest-package-" + std::to_string(getpid()));
    fs::create_directories(empty);
    {
        ChildProcess program({"/bin/sh", "-c", "exec " + commandLine}, programEnvironment(display.name(), {}),
                             empty.string());
        const auto window = waitForWindow(display.name(), [](const TopWindow&) { return true; });
        ASSERT_TRUE(window.has_value()) << commandLine << ": " << program.standardError();
        const auto ratesAndTitle = [](const std::string& name) {
            return name.find("FPS") != std::string::npos && name.find("Super sampled Motion-Blur") != std::string::npos;
        };
        const std::string title = waitForName(display.name(), window->id, ratesAndTitle);
        EXPECT_TRUE(ratesAndTitle(title)) << commandLine << ": " << title;
        ASSERT_TRUE(waitViewable(display.name(), window->id));
        sendKey(display.name(), window->id, "Escape");
        EXPECT_EQ(program.waitExit(patienceMs), 0) << commandLine;
        EXPECT_EQ(program.standardError(), "") << commandLine;
    }
    fs::remove_all(empty);
}

TEST_F(DebianPackage, InstalledRunsFromAnywhereAndIsRemovedCleanly)
{
    unsetenv("QLX_TEST_IMAGE_PATH");
    std::vector<std::string> files;
    {
        Installation installation(deb);
        ASSERT_EQ(Installation::status(), "install ok installed") << installation.log;
        std::istringstream listed(captureCommand("dpkg -L qlxtest"));
        for (std::string path; std::getline(listed, path);) {
            if (fs::is_regular_file(path))
                files.push_back(path);
        }
        ASSERT_NE(std::find(files.begin(), files.end(), "/usr/bin/qlxtest"), files.end());

        VirtualDisplay display;
        expectRunsAnywhere(display, "qlxtest");

        std::ifstream entry("/usr/share/applications/qlxtest.desktop");
        std::string exec;
        for (std::string line; std::getline(entry, line);) {
            if (line.rfind("Exec=", 0) == 0)
                exec = line.substr(5);
        }
        ASSERT_FALSE(exec.empty());
        expectRunsAnywhere(display, exec);

        const std::string manual = captureCommand("MANPAGER=cat MANWIDTH=80 man qlxtest 2>&1");
        EXPECT_NE(manual.find("NAME"), std::string::npos) << manual;
        EXPECT_NE(manual.find("QLX_TEST_IMAGE_PATH"), std::string::npos) << manual;

        const std::string removal = Installation::remove();
        EXPECT_EQ(Installation::status(), "") << removal;
    }
    for (const std::string& path : files)
        EXPECT_FALSE(fs::exists(path)) << path;
}

// The installed runner measures the installed program from an empty directory,
// with no build tree: headless, two runs into a JSON, then against that JSON
// as a baseline, where two runs a side are too few to judge.
TEST_F(DebianPackage, InstalledRunnerMeasuresTheInstalledProgram)
{
    unsetenv("QLX_TEST_IMAGE_PATH");
    Installation installation(deb);
    ASSERT_EQ(Installation::status(), "install ok installed") << installation.log;
    const fs::path empty = fs::temp_directory_path() / ("qlxtest-bench-package-" + std::to_string(getpid()));
    fs::create_directories(empty);
    const std::string json = (empty / "run.json").string();
    const auto runner = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = {"/usr/bin/qlxtest-bench", "--headless", "--duration", "1", "--repeats", "2"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        for (const char* option : {"--", "-width", "128", "-height", "128"})
            argv.push_back(option);
        ChildProcess process(argv, {}, empty.string());
        const std::optional<int> status = process.waitExit(120000);
        return std::make_pair(status, process.standardOutput() + process.standardError());
    };

    const auto measured = runner({"--json", json});
    EXPECT_EQ(measured.first, std::optional<int>(0)) << measured.second;
    EXPECT_NE(measured.second.find("renderer "), std::string::npos) << measured.second;
    const std::string runs = captureCommand(
        "/usr/bin/python3 -c 'import json, sys; print(len(json.load(open(sys.argv[1]))[\"figures\"][\"fps\"][\"values\"]))' " +
        shellQuote(json) + " 2>&1");
    EXPECT_EQ(trimmed(runs), "2");

    const auto compared = runner({"--baseline", json});
    EXPECT_EQ(compared.first, std::optional<int>(0)) << compared.second;
    EXPECT_NE(compared.second.find("too few repeats (at least 3 runs a side)"), std::string::npos) << compared.second;

    const std::string manual = captureCommand("MANPAGER=cat MANWIDTH=80 man qlxtest-bench 2>&1");
    EXPECT_NE(manual.find("BASELINE RULE"), std::string::npos) << manual;
    fs::remove_all(empty);
}

} // namespace
