// The Windows executable under Wine on a private Xvfb: its window and title,
// its fatal boxes with standard error and exit status, Windows paths in the
// image variable, and its checks of its own picture. tools/run-windows-tests builds
// the executable, names it in QLX_WINDOWS_EXECUTABLE and gives the run one
// Wine prefix.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <regex>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "image/image_files.h"
#include "support/process.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

namespace {

constexpr const char* imageVariable = "QLX_TEST_IMAGE_PATH";
constexpr int startTimeoutMs = 30000;
const std::string goodImage = "P3 2 2 255  255 0 0  0 255 0  0 0 255  255 255 255\n";
const std::string bilevelImage = "P1\n2 2\n0 1\n1 0\n";

// One server for the whole run, like the prefix: Wine's desktop process then
// starts once, not for every program.
const VirtualDisplay& display()
{
    static const VirtualDisplay server;
    return server;
}

std::string executable()
{
    const char* path = std::getenv("QLX_WINDOWS_EXECUTABLE");
    return path ? path : "";
}

std::string executableDirectory()
{
    const std::string path = executable();
    return path.substr(0, path.rfind('/'));
}

// A Unix path as Windows programs under Wine see it.
std::string windowsPath(std::string path)
{
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return "Z:" + path;
}

// freeglut under Wine warns at every start that it cannot measure the screen.
std::string withoutToolkitWarnings(std::string text)
{
    const std::string warnings =
        "): fgPlatformInitialize: CreateDC failed, Screen size info may be incorrect\r\n"
        "This is quite likely caused by a bad '-display' parameter\r\n";
    const auto end = text.find(warnings);
    if (text.rfind("freeglut (", 0) == 0 && end != std::string::npos)
        text.erase(0, end + warnings.size());
    return text;
}

class WineProgram {
public:
    WineProgram(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& env,
                const std::string& workingDirectory)
        : process_(commandLine(args), withDisplay(env), workingDirectory)
    {
    }

    ChildProcess& process() { return process_; }
    std::string errors() const { return withoutToolkitWarnings(process_.standardError()); }

    // For failure messages.
    std::string state()
    {
        const auto status = process_.waitExit(0);
        return (status ? "exited with status " + std::to_string(*status) : std::string("running")) +
               ", stderr: " + process_.standardError();
    }

    // The GL window, found by the default title that ends its name.
    std::optional<TopWindow> waitMainWindow()
    {
        const std::regex title(".*Super sampled Motion-Blur");
        auto window = waitForWindow(
            display().name(), [&](const TopWindow& w) { return std::regex_match(w.name, title); },
            startTimeoutMs);
        if (window && !waitViewable(display().name(), window->id))
            return std::nullopt;
        return window;
    }

    void expectEndedByEscape(const TopWindow& window)
    {
        sendKey(display().name(), window.id, "Escape");
        EXPECT_EQ(process_.waitExit(patienceMs), 0);
        EXPECT_EQ(errors(), "");
    }

    // Rates in the title show that the program got past its set-up and draws.
    void expectRunsUntilEscape()
    {
        const auto window = waitMainWindow();
        ASSERT_TRUE(window.has_value()) << state();
        const std::regex rates(R"( *\d+\.\d\d FPS +\d+\.\d{3} kTPS Super sampled Motion-Blur)");
        const std::string title = waitForName(
            display().name(), window->id, [&](const std::string& name) { return std::regex_match(name, rates); });
        EXPECT_TRUE(std::regex_match(title, rates)) << title << "; " << state();
        expectEndedByEscape(*window);
    }

private:
    static std::vector<std::string> commandLine(const std::vector<std::string>& args)
    {
        std::string wine = captureCommand("command -v wine");
        wine.erase(wine.find_last_not_of('\n') + 1);
        std::vector<std::string> argv{wine, executable()};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    static std::vector<std::pair<std::string, std::string>> withDisplay(
        std::vector<std::pair<std::string, std::string>> env)
    {
        env.insert(env.begin(), {"DISPLAY", display().name()});
        return env;
    }

    ChildProcess process_;
};

class WineRun : public ::testing::Test {
protected:
    TempDir images;    // where the variable points
    TempDir emptyDir;  // a working directory without sky.ppm

    void SetUp() override
    {
        ASSERT_FALSE(executable().empty()) << "QLX_WINDOWS_EXECUTABLE names no executable";
        unsetenv(imageVariable);
    }

    static std::vector<std::pair<std::string, std::string>> variable(const std::string& value)
    {
        return {{imageVariable, value}};
    }

    // A box under caption, nothing on standard error until it is acknowledged
    // with Return, then text as one Windows text line, and status 0.
    static void expectFatal(WineProgram& run, const std::string& caption, const std::string& text)
    {
        const auto box = waitForWindow(
            display().name(), [&](const TopWindow& w) { return w.name == caption; }, startTimeoutMs);
        ASSERT_TRUE(box.has_value()) << "no box titled " << caption << "; " << run.state();
        EXPECT_EQ(run.errors(), "");
        ASSERT_TRUE(waitViewable(display().name(), box->id));
        sendKey(display().name(), box->id, "Return");
        EXPECT_EQ(run.process().waitExit(patienceMs), 0);
        EXPECT_EQ(run.errors(), text + "\r\n");
    }
};

TEST_F(WineRun, TitleCarriesTheRatesAndEscapeEndsTheProgram)
{
    WineProgram run({}, {}, executableDirectory());
    run.expectRunsUntilEscape();
}

TEST_F(WineRun, MissingImageShowsItsBox)
{
    WineProgram run({}, {}, emptyDir.path());
    expectFatal(run, "Loading Image Error", "Can't open file sky.ppm.");
}

TEST_F(WineRun, ArgumentsArriveAsUtf8)
{
    // In the legacy code page the name would come back as one byte a letter.
    WineProgram run({"-envfile", "\u00e9\u20ac.ppm"}, {}, emptyDir.path());
    expectFatal(run, "Loading Image Error", "Can't open file \u00e9\u20ac.ppm.");
}

TEST_F(WineRun, VariableEndingInBlanksIsTrimmedAndJoinedWithABackslash)
{
    images.write("sky.ppm", bilevelImage);
    WineProgram run({}, variable(windowsPath(images.path()) + " \t "), emptyDir.path());
    expectFatal(run, "Image Format Error", windowsPath(images.file("sky.ppm")) + " is not ppm format.");
}

TEST_F(WineRun, VariableEndingInABackslashGetsNoSecondOne)
{
    images.write("sky.ppm", bilevelImage);
    WineProgram run({}, variable(windowsPath(images.path()) + "\\"), emptyDir.path());
    expectFatal(run, "Image Format Error", windowsPath(images.file("sky.ppm")) + " is not ppm format.");
}

TEST_F(WineRun, EmptyVariableLeadsToTheRootOfTheDrive)
{
    // "" + "\" + "tmp\..." is the image's path on the current drive.
    images.write("sky.ppm", goodImage);
    const std::string fromRoot = windowsPath(images.file("sky.ppm")).substr(3);
    WineProgram run({"-envfile", fromRoot}, variable(""), emptyDir.path());
    run.expectRunsUntilEscape();
}

// A device name opens the device, whose reads may wait for ever: it counts as
// a file that cannot be opened. COM1 is made to lead to a terminal that nobody
// writes to, whatever serial ports this machine has.
TEST_F(WineRun, DeviceNameIsNoImage)
{
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const char* prefix = std::getenv("WINEPREFIX");
    ASSERT_NE(prefix, nullptr) << "the run needs its own Wine prefix (tools/run-windows-tests)";
    const std::string link = std::string(prefix) + "/dosdevices/com1";
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink(::ptsname(terminal), link.c_str()), 0);

    WineProgram run({"-envfile", "COM1"}, {}, emptyDir.path());
    expectFatal(run, "Loading Image Error", "Can't open file COM1.");
    ::close(terminal);
}

// Standard output redirected to a file, as "qlxtest.exe ... > out.txt" does:
// the GUI program keeps the handle it inherits. Wine always offers
// WGL_EXT_swap_control and reads back what was stored, so this exercises the
// call path only; the interval cannot show anything about a real driver.
TEST_F(WineRun, FramesLimitWritesTheResultLineToTheRedirect)
{
    WineProgram run({"-MAXTRIANGLES", "-frames", "30"}, {}, executableDirectory());
    ASSERT_EQ(run.process().waitExit(60000), 0) << run.state();
    const std::regex line("qlxtest-result: frames=30 seconds=[0-9.]+ fps=[0-9.]+ ktps=[0-9.]+ "
                          "triangles_per_frame=77824 width=128 height=128 swap_interval=0 renderer=.* "
                          "frame_ms_p50=[0-9.]+ frame_ms_p99=[0-9.]+ frame_ms_max=[0-9.]+ fps_1pct_low=[0-9.]+ "
                          "cpu_seconds=[0-9.]+ hidden_seconds=[0-9.]+ resized=0 ended=limit\r\n");
    EXPECT_TRUE(std::regex_match(run.process().standardOutput(), line)) << run.process().standardOutput();
}

// A device name is written directly (renaming onto NUL fails); a file is
// replaced whole, with no temporary file left beside it; a failure names its
// reason in the system's words.
TEST_F(WineRun, FilesGoToADeviceOrReplaceAFileOrSayWhyNot)
{
    const std::string file = images.write("shot.ppm", "P6\n1 1\n255\nabc");
    const std::string missing = windowsPath(images.file("nodir/shot.ppm"));
    const std::vector<std::pair<std::vector<std::string>, int>> cases{
        {{"-snapshot", "NUL"}, 0},
        {{"-snapshot", "CON"}, 0},
        {{"-frametimes", "NUL"}, 0},
        {{"-snapshot", windowsPath(file), "-frametimes", windowsPath(images.file("times.csv"))}, 0},
        {{"-snapshot", missing}, 1},
    };
    for (const auto& [named, status] : cases) {
        SCOPED_TRACE(named[1]);
        std::vector<std::string> args{"-width", "64", "-height", "64", "-frames", "3"};
        args.insert(args.end(), named.begin(), named.end());
        WineProgram run(args, {}, executableDirectory());
        EXPECT_EQ(run.process().waitExit(60000), status) << run.state();
        if (status == 0) {
            EXPECT_EQ(run.errors(), "");
        } else {
            // Words, not only a number: "...: The system cannot find the path specified".
            const std::string prefix = "Can't write snapshot " + missing + ": ";
            EXPECT_EQ(run.errors().rfind(prefix, 0), 0u) << run.errors();
            EXPECT_TRUE(std::regex_search(run.errors().substr(prefix.size()), std::regex("^[A-Za-z]+ [a-z]+ [a-z]+")))
                << run.errors();
        }
    }
    const PnmImagePtr picture = readPnmFile(file);
    ASSERT_TRUE(picture);
    EXPECT_GT(picture->width, 1);  // the old one's; Windows makes the window wider than asked
    EXPECT_EQ(captureCommand("ls -A " + shellQuote(images.path())), "shot.ppm\ntimes.csv\n");
    EXPECT_EQ(readWholeFile(images.file("times.csv")).rfind("frame,end_seconds,duration_ms\n", 0), 0u);
}

// Refused up front, in one line and with status 2, as on Linux: off screen
// needs EGL, and a typo in a script's number runs nothing.
TEST_F(WineRun, RefusalsEndWithStatusTwo)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-validate", "-headless"}, {"-headless", "-frames", "5"}, {"-frames", "2x"}, {"-validate", "-checksum"}}) {
        SCOPED_TRACE(args.front() + " " + args.back());
        WineProgram run(args, {}, executableDirectory());
        EXPECT_EQ(run.process().waitExit(startTimeoutMs), 2) << run.state();
        const std::string errors = run.errors();
        EXPECT_EQ(errors.find("\r\n"), errors.size() - 2) << errors;
        EXPECT_EQ(run.process().standardOutput(), "");
    }
}

// The program's own checks of its picture, on Wine's GL.
TEST_F(WineRun, ValidationPasses)
{
    WineProgram run({"-validate"}, {}, emptyDir.path());
    const auto status = run.process().waitExit(startTimeoutMs);
    const std::string out = run.process().standardOutput();
    EXPECT_EQ(status, 0) << out << run.state();
    EXPECT_NE(out.find("qlxtest-validate: 6 of 6 checks passed on \""), std::string::npos) << out;
    EXPECT_EQ(out.find("FAIL"), std::string::npos) << out;
}

} // namespace
