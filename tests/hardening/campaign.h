#pragma once
// One run of the real program in the extremes campaign and the two outcomes
// it may have. It runs: its window shows frames, no error box appears, and
// Escape ends it with status 0 and nothing on standard error. Or it ends in a
// fatal report: a box under the caption and, once acknowledged, the text on
// standard error and status 0. A signal, a hang, a sanitizer report (status
// and standard error) or a wrong picture fails either.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/process.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

using Environment = std::vector<std::pair<std::string, std::string>>;

// Clear colour (0, 0.4, 1) in 8 bits.
inline constexpr std::uint8_t clearColour[3] = {0, 102, 255};

// Some cases take seconds a frame, more in a sanitized build on a busy
// machine; none may take longer than these.
struct Patience {
    int windowMs = 120000;  // until the window or the box appears
    int framesMs = 120000;  // until the title shows a measured rate
    int exitMs = 120000;    // from Escape, or the box's OK, to the exit
};

class Campaign : public ::testing::Test {
protected:
    explicit Campaign(const std::vector<std::string>& serverArgs = {}) : display(1280, 1024, serverArgs) {}

    VirtualDisplay display;
    std::optional<ChildProcess> program;
    TopWindow window;

    // Starts the program with args; command, when given, is put in front of it
    // (for a run under another user).
    void start(const std::vector<std::string>& args, const Environment& env = {},
               const std::string& workingDirectory = "", const std::vector<std::string>& command = {});

    // The program's main window appears and stays free of error boxes; with
    // framesShown its title reports a measured rate, so frames are finished.
    void expectRunning(bool framesShown = true, const Patience& patience = {});
    // Escape ends the running program with status 0 and a clean standard error.
    void expectEscapeEnds(const Patience& patience = {});
    // Both of the above, with a look at the picture in between.
    void expectRuns(const std::function<void(const Screenshot&)>& lookAtPicture = nullptr,
                    const Patience& patience = {});
    // A box under caption, looked at by lookAtBox while it waits; acknowledged,
    // the program writes text and a line end to standard error and exits with
    // status 0.
    void expectFatal(const std::string& caption, const std::string& text, const Patience& patience = {},
                     const std::function<void(const TopWindow&)>& lookAtBox = nullptr);

    Screenshot picture();
    std::string standardError() { return program ? program->standardError() : std::string(); }
};

// Pixels of the picture that are not the clear colour.
int objectPixels(const Screenshot& shot);
// Whether every pixel of the square of the given half side around the
// picture's centre is within tolerance of the colour.
bool centreIs(const Screenshot& shot, const std::uint8_t rgb[3], int halfSide, int tolerance);
