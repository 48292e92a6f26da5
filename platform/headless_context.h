#pragma once
// An OpenGL context with no window system at all, for runs on machines
// without a display: build servers, CI and GPU servers.

// Whether this platform can draw without a window system.
bool headlessAvailable();

#include <string>

struct HeadlessSize {
    int width;
    int height;
    // Empty once the context is current; else what stood in the way.
    std::string failure;
};

// Makes current a compatibility-profile OpenGL context that draws into an
// off-screen buffer of width × height with 8-bit red, green, blue and alpha
// and a depth buffer of at least 24 bits. Tries EGL's devices, GPUs before
// software ones, then the surfaceless platform, each through the whole
// set-up before the next. Returns the buffer's size, or "no EGL candidate
// could draw: " and each candidate's name and reason, "; " between them.
HeadlessSize openHeadlessContext(int width, int height);
