#pragma once
// An OpenGL context with no window system at all, for runs on machines
// without a display: build servers, CI and GPU servers.

// Whether this platform can draw without a window system.
bool headlessAvailable();

struct HeadlessSize {
    int width;
    int height;
};

// Makes current a compatibility-profile OpenGL context that draws into an
// off-screen buffer of width × height with 8-bit red, green, blue and alpha
// and a depth buffer of at least 24 bits. A GPU is preferred to the software
// renderer. Returns the buffer's size; a failure is fatal.
HeadlessSize openHeadlessContext(int width, int height);
