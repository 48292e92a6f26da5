#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/program_run.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> execLine(const std::string& desktopEntry)
{
    std::istringstream lines(desktopEntry);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Exec=", 0) == 0) {
            std::istringstream words(line.substr(5));
            std::vector<std::string> argv;
            for (std::string w; words >> w;)
                argv.push_back(w);
            return argv;
        }
    }
    return {};
}

// Installs into a fresh prefix and starts the program exactly as the desktop
// entry says, from a directory that holds no image. The program finds its image
// by itself only under the prefix it was built for, so here the entry must
// point it there.
TEST(Install, InstalledProgramStartsFromItsDesktopEntryAnywhere)
{
    const fs::path prefix = fs::temp_directory_path() / ("qlxtest-install-" + std::to_string(getpid()));
    fs::remove_all(prefix);
    const std::string install = "cmake --install " + shellQuote(QLXTEST_BINARY_DIR) + " --prefix " +
                                shellQuote(prefix.string()) + " >/dev/null 2>&1 && echo installed";
    ASSERT_NE(captureCommand(install).find("installed"), std::string::npos);

    EXPECT_TRUE(fs::is_regular_file(prefix / "bin/qlxtest"));
    EXPECT_GT(fs::file_size(prefix / "share/qlxtest/sky.ppm"), 1000u);
    const std::string manPage =
        captureCommand("gzip -dc " + shellQuote((prefix / "share/man/man1/qlxtest.1.gz").string()));
    EXPECT_NE(manPage.find("QLX_TEST_IMAGE_PATH"), std::string::npos);
    EXPECT_NE(manPage.find("\"qlxtest " QLXTEST_PROJECT_VERSION "\""), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(prefix / "share/icons/hicolor/scalable/apps/qlxtest.svg"));

    const std::string entry = readText(prefix / "share/applications/qlxtest.desktop");
    EXPECT_NE(entry.find("Icon=qlxtest"), std::string::npos);
    if (!captureCommand("command -v desktop-file-validate").empty()) {
        const std::string check = "desktop-file-validate " +
                                  shellQuote((prefix / "share/applications/qlxtest.desktop").string()) +
                                  " 2>&1; echo status=$?";
        EXPECT_NE(captureCommand(check).find("status=0"), std::string::npos) << captureCommand(check);
    }

    std::vector<std::string> argv = execLine(entry);
    ASSERT_GE(argv.size(), 3u) << entry;
    ASSERT_EQ(argv[0], "env");
    argv[0] = "/usr/bin/env";
    EXPECT_EQ(argv.back(), (prefix / "bin/qlxtest").string());

    VirtualDisplay display;
    ChildProcess program(argv, programEnvironment(display.name(), {}), "/");
    const auto window = waitForWindow(display.name(), [](const TopWindow&) { return true; });
    ASSERT_TRUE(window.has_value()) << program.standardError();
    EXPECT_TRUE(waitViewable(display.name(), window->id));
    EXPECT_NE(window->name.find("Super sampled Motion-Blur"), std::string::npos) << window->name;
    sendKey(display.name(), window->id, "Escape");
    EXPECT_EQ(program.waitExit(patienceMs), 0) << program.standardError();
    fs::remove_all(prefix);
}

} // namespace
