#pragma once
// A private Wayland session for one test program: weston on its headless
// backend (no GPU, no input devices) with Xwayland, its socket in a runtime
// directory of its own. X programs reach it through the display it announces;
// Xwayland starts with the first of them. Stopped on destruction.

#include <string>
#include <sys/types.h>

class WaylandSession {
public:
    WaylandSession();
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // ":N", for DISPLAY.
    const std::string& name() const { return name_; }
    // What weston and Xwayland wrote so far, for failure messages.
    std::string log() const;

private:
    void stop();

    pid_t pid_ = -1;
    std::string runtimeDirectory_;
    std::string name_;
};
