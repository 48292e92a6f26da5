#include "support/x_tools.h"

#include <chrono>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <thread>
#include <X11/Xlib.h>

#include "support/poll.h"
#include "support/process.h"

namespace {

std::string onDisplay(const std::string& display, const std::string& command)
{
    return "DISPLAY=" + shellQuote(display) + " " + command + " 2>/dev/null";
}

// Paces a drag as a hand would; nothing waits on it.
void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The named windows that xwininfo lists with "-children" or "-tree".
std::vector<TopWindow> listedWindows(const std::string& display, const std::string& which)
{
    // Lines look like:  0x200002 "Title": ()  512x512+-1+-1  +-1+-1
    static const std::regex line(R"re(^\s*(0x[0-9a-fA-F]+) "(.*)": \(.*\)\s+(\d+)x(\d+)[+-])re");
    std::vector<TopWindow> windows;
    std::istringstream text(captureCommand(onDisplay(display, "xwininfo -root " + which)));
    std::string row;
    std::smatch m;
    while (std::getline(text, row)) {
        if (std::regex_search(row, m, line))
            windows.push_back({std::stoul(m[1], nullptr, 16), m[2], std::stoi(m[3]), std::stoi(m[4])});
    }
    return windows;
}

std::optional<TopWindow> pollWindows(const std::string& display, const std::string& which,
                                     const std::function<bool(const TopWindow&)>& matches, int timeoutMs)
{
    std::optional<TopWindow> found;
    pollUntil([&] {
        for (const auto& w : listedWindows(display, which)) {
            if (matches(w)) {
                found = w;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

} // namespace

std::vector<TopWindow> topLevelWindows(const std::string& display)
{
    return listedWindows(display, "-children");
}

std::optional<TopWindow> waitForWindow(const std::string& display,
                                       const std::function<bool(const TopWindow&)>& matches,
                                       int timeoutMs)
{
    return pollWindows(display, "-children", matches, timeoutMs);
}

std::optional<TopWindow> waitForFramedWindow(const std::string& display,
                                             const std::function<bool(const TopWindow&)>& matches,
                                             int timeoutMs)
{
    return pollWindows(display, "-tree", matches, timeoutMs);
}

bool waitViewable(const std::string& display, unsigned long id, int timeoutMs)
{
    return pollUntil([&] {
        const std::string info = captureCommand(onDisplay(display, "xwininfo -id " + std::to_string(id)));
        return info.find("IsViewable") != std::string::npos;
    }, timeoutMs);
}

std::string windowName(const std::string& display, unsigned long id)
{
    std::string name = captureCommand(onDisplay(display, "xdotool getwindowname " + std::to_string(id)));
    if (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}

std::string waitForName(const std::string& display, unsigned long id,
                        const std::function<bool(const std::string&)>& matches, int timeoutMs)
{
    std::string name;
    pollUntil([&] {
        name = windowName(display, id);
        return matches(name);
    }, timeoutMs);
    return name;
}

void sendKey(const std::string& display, unsigned long id, const std::string& keysym)
{
    captureCommand(onDisplay(display, "xdotool key --window " + std::to_string(id) + " " +
                                          shellQuote(keysym)));
}

void dragLeft(const std::string& display, int fromX, int fromY, int toX, int toY, int moves)
{
    // Windows without a requested position sit at (-1, -1) on the screen.
    auto at = [](int v) { return std::to_string(v - 1); };
    std::string command = "xdotool mousemove " + at(fromX) + " " + at(fromY) + " mousedown 1";
    for (int i = 1; i <= moves; ++i) {
        const int x = fromX + (toX - fromX) * i / moves;
        const int y = fromY + (toY - fromY) * i / moves;
        command += " sleep 0.02 mousemove " + at(x) + " " + at(y);
    }
    command += " mouseup 1";
    captureCommand(onDisplay(display, command));
}

void sendDragLeft(const std::string& display, unsigned long id, int fromX, int fromY, int toX, int toY, int moves)
{
    Display* const connection = XOpenDisplay(display.c_str());
    if (!connection)
        return;
    const Window window = id;
    // With no event mask the events go to the client that made the window.
    auto send = [&](int type, int x, int y, unsigned state) {
        XEvent event{};
        event.type = type;
        if (type == MotionNotify) {
            event.xmotion = {MotionNotify, 0, True, connection, window, DefaultRootWindow(connection), None,
                             CurrentTime, x, y, x, y, state, NotifyNormal, True};
        } else {
            event.xbutton = {type, 0, True, connection, window, DefaultRootWindow(connection), None,
                             CurrentTime, x, y, x, y, state, Button1, True};
        }
        XSendEvent(connection, window, False, 0, &event);
        XFlush(connection);
    };
    send(ButtonPress, fromX, fromY, 0);
    for (int i = 1; i <= moves; ++i) {
        pause(20);
        send(MotionNotify, fromX + (toX - fromX) * i / moves, fromY + (toY - fromY) * i / moves, Button1Mask);
    }
    send(ButtonRelease, toX, toY, Button1Mask);
    XCloseDisplay(connection);
}

Screenshot screenshot(const std::string& display, unsigned long id)
{
    const std::string ppm = captureCommand(
        onDisplay(display, "import -window " + std::to_string(id) + " -depth 8 ppm:-"));
    Screenshot shot;
    std::istringstream header(ppm);
    std::string magic;
    int maxval = 0;
    header >> magic >> shot.width >> shot.height >> maxval;
    if (magic != "P6" || maxval != 255 || !header)
        return {};
    const auto start = static_cast<std::size_t>(header.tellg()) + 1;
    const auto size = static_cast<std::size_t>(shot.width) * shot.height * 3;
    if (ppm.size() < start + size)
        return {};
    shot.rgb.assign(ppm.begin() + static_cast<long>(start), ppm.begin() + static_cast<long>(start + size));
    return shot;
}
