#pragma once
// Looking at and driving windows on a test X server through xwininfo, xdotool,
// ImageMagick's import and Xlib. Every call names the display explicitly.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/poll.h"

struct TopWindow {
    unsigned long id = 0;
    std::string name;
    int width = 0;
    int height = 0;
};

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // row after row, top row first

    const std::uint8_t* pixel(int x, int y) const
    {
        return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};

std::vector<TopWindow> topLevelWindows(const std::string& display);
// Polls until a top-level window satisfies the predicate.
std::optional<TopWindow> waitForWindow(const std::string& display,
                                       const std::function<bool(const TopWindow&)>& matches,
                                       int timeoutMs = patienceMs);
// The same among the named windows at any depth: under a window manager the
// program's windows sit inside its frames.
std::optional<TopWindow> waitForFramedWindow(const std::string& display,
                                             const std::function<bool(const TopWindow&)>& matches,
                                             int timeoutMs = patienceMs);
// Polls until the window is mapped and viewable, so that input sent to it arrives.
bool waitViewable(const std::string& display, unsigned long id, int timeoutMs = patienceMs);
std::string windowName(const std::string& display, unsigned long id);
// Polls the window's name until it satisfies the predicate; returns the last name read.
std::string waitForName(const std::string& display, unsigned long id,
                        const std::function<bool(const std::string&)>& matches,
                        int timeoutMs = patienceMs);
void sendKey(const std::string& display, unsigned long id, const std::string& keysym);
// Left-button drag through XTEST between window coordinates, in small moves.
void dragLeft(const std::string& display, int fromX, int fromY, int toX, int toY, int moves = 10);
// The same drag sent to the window itself (XSendEvent): Xwayland without a
// pointer device, as under a headless compositor, crashes on XTEST motion.
void sendDragLeft(const std::string& display, unsigned long id, int fromX, int fromY, int toX, int toY,
                  int moves = 10);
Screenshot screenshot(const std::string& display, unsigned long id);
