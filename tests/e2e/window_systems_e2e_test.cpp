// The program on the X servers of today's desktops: one whose GLX has no
// accumulation buffers (Xwayland's on a GPU, played on Xvfb by a preloaded
// library), and a Wayland session's Xwayland.

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include "support/program_run.h"
#include "support/virtual_display.h"
#include "support/wayland_session.h"

namespace {

const std::string kTitle = "Super sampled Motion-Blur";
// Clear colour (0, 0.4, 1) in 8 bits.
constexpr int kClear[3] = {0, 102, 255};
// Goblet triangles a frame, in thousands: one draw, or 15 for eight blurred sub-frames.
constexpr double kSharp = 1.216;
constexpr double kBlurred = 18.24;

using Environment = std::vector<std::pair<std::string, std::string>>;

// A goblet title, "%7.2f FPS %9.3f kTPS <title>", whose figures come from
// frames of kiloTriangles each.
bool ratesTitle(const std::string& name, double kiloTriangles)
{
    static const std::regex rates("^( *\\d+\\.\\d\\d) FPS ( *\\d+\\.\\d\\d\\d) kTPS " + kTitle + "$");
    std::smatch m;
    if (!std::regex_match(name, m, rates))
        return false;
    const double fps = std::stod(m[1]);
    const double ktps = std::stod(m[2]);
    return fps > 0.0 && std::abs(ktps - kiloTriangles * fps) <= 0.0006 + kiloTriangles * 0.005;
}

// Accumulation red bits of the window's visual: glxinfo's row for the visual
// that xwininfo names, before the table of frame buffer configurations.
std::string accumulationBits(const std::string& display, unsigned long id)
{
    return captureCommand("export DISPLAY=" + shellQuote(display) + "; v=$(xwininfo -id " + std::to_string(id) +
                          " | awk '/Visual:/ {print $2}'); glxinfo | awk -v v=\"^0x0*${v#0x} \" "
                          "'/GLXFBConfigs/ {exit} $0 ~ v {print $19}'");
}

int clearPixels(const Screenshot& shot)
{
    int count = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const std::uint8_t* p = shot.pixel(x, y);
            count += p[0] == kClear[0] && p[1] == kClear[1] && p[2] == kClear[2];
        }
    }
    return count;
}

// The default run to its end: the rates in the title, a drag that sets the
// goblet spinning, blur on, blurred frames of the goblet read back, Escape
// and status 0 with nothing on standard error.
void expectBlurredGoblet(const std::string& display, ProgramRun& run, const TopWindow& window)
{
    const auto waitRates = [&](double kiloTriangles) {
        return waitForName(display, window.id,
                           [&](const std::string& name) { return ratesTitle(name, kiloTriangles); });
    };
    const std::string sharp = waitRates(kSharp);
    EXPECT_TRUE(ratesTitle(sharp, kSharp)) << sharp << "\n" << run.process().standardError();

    sendDragLeft(display, window.id, 256, 256, 330, 280);
    sendKey(display, window.id, "m");
    const std::string blurred = waitRates(kBlurred);
    EXPECT_TRUE(ratesTitle(blurred, kBlurred)) << blurred;
    const Screenshot first = screenshot(display, window.id);
    // A slow build may show one frame for a while.
    EXPECT_TRUE(eventually("the blurred goblet to turn",
                           [&] { return screenshot(display, window.id).rgb != first.rgb; }));
    // Xvfb, with no window manager, cuts off the row and column at -1.
    ASSERT_GE(first.width * first.height, 511 * 511);
    // The clear colour round the goblet, the goblet in the middle, turning.
    const int clear = clearPixels(first);
    EXPECT_GT(clear, 100000);
    EXPECT_GT(first.width * first.height - clear, 10000);

    sendKey(display, window.id, "Escape");
    EXPECT_EQ(run.process().waitExit(patienceMs), 0);
    EXPECT_EQ(run.process().standardError(), "");
}

TEST(NoAccumulationBuffers, WindowOpensWithoutOneAndShowsTheBlurredGoblet)
{
    VirtualDisplay display;
    {
        // Where the server has them, the window gets one, as asked.
        ProgramRun run(display.name(), {});
        const auto window = run.waitWindow();
        ASSERT_TRUE(window.has_value()) << run.process().standardError();
        EXPECT_EQ(accumulationBits(display.name(), window->id), "16\n");
        sendKey(display.name(), window->id, "Escape");
        EXPECT_EQ(run.process().waitExit(patienceMs), 0);
    }
    std::string preload = QLXTEST_HIDE_ACCUMULATION_PRELOAD;
#ifdef QLXTEST_SANITIZER_PRELOAD
    preload = std::string(QLXTEST_SANITIZER_PRELOAD) + ":" + preload;
#endif
    ProgramRun run(display.name(), {}, {{"LD_PRELOAD", preload}});
    const auto window = run.waitWindow();
    ASSERT_TRUE(window.has_value()) << "status " << run.process().waitExit(0).value_or(-999) << ": "
                                    << run.process().standardError();
    EXPECT_EQ(accumulationBits(display.name(), window->id), "0\n");
    expectBlurredGoblet(display.name(), run, *window);
}

// weston's window manager puts the program's windows in frames of its own,
// so they are found by name. Headless, it has no input devices: input goes to
// the windows directly.
TEST(WaylandSession, ProgramRunsAndReportsThroughXwayland)
{
    WaylandSession session;
    const auto titled = [](const std::string& name) {
        return [name](const TopWindow& w) {
            return w.name.size() >= name.size() && w.name.compare(w.name.size() - name.size(), name.size(), name) == 0;
        };
    };
    {
        ProgramRun run(session.name(), {});
        const auto window = waitForFramedWindow(session.name(), titled(kTitle));
        ASSERT_TRUE(window && waitViewable(session.name(), window->id))
            << run.process().standardError() << session.log();
        expectBlurredGoblet(session.name(), run, *window);
    }
    ProgramRun run(session.name(), {"-e", "/nonexistent"});
    const auto box = waitForFramedWindow(session.name(), titled("Loading Image Error"));
    ASSERT_TRUE(box && waitViewable(session.name(), box->id)) << run.process().standardError() << session.log();
    sendKey(session.name(), box->id, "Return");
    EXPECT_EQ(run.process().waitExit(patienceMs), 0);
    EXPECT_EQ(run.process().standardError(), "Can't open file /nonexistent.\n");
}

} // namespace
