#pragma once
// An OpenGL context with no window system at all, for runs on machines
// without a display: build servers, CI and GPU servers.

// Whether this platform can draw without a window system.
bool headlessAvailable();

#include <climits>
#include <string>
#include <vector>

struct HeadlessSize {
    int width;
    int height;
    // Empty once the context is current; else what stood in the way.
    std::string failure;
};

// Means "no device chosen": the candidates below, in their order. Not -1:
// -device -1 is a number EGL does not list, and fails as one.
constexpr int anyHeadlessDevice = INT_MIN;

// Makes current a compatibility-profile OpenGL context that draws into an
// off-screen buffer of width × height with 8-bit red, green, blue and alpha
// and a depth buffer of at least 24 bits. Tries EGL's devices, GPUs before
// software ones, then the surfaceless platform, each through the whole
// set-up before the next. Returns the buffer's size, or "no EGL candidate
// could draw: " and each candidate's name and reason, "; " between them.
// A device number (EGL's order) tries that device alone: its failure reads
// "-device N could not draw: " and its name and reason.
HeadlessSize openHeadlessContext(int width, int height, int device = anyHeadlessDevice);

// The devices EGL lists; 0 where it offers no device list, -1 where it cannot start.
int headlessDeviceCount();

// One EGL device, as a context made on it shows it.
struct HeadlessDevice {
    // The DRM render node, else the primary node, else "software" for a
    // software device, else "-".
    std::string node;
    // GL_RENDERER; empty when no context could be made, failure says why.
    std::string renderer;
    std::string failure;
};

// Every device EGL lists, in its order, each taken through the same set-up
// as a run and let go again.
std::vector<HeadlessDevice> headlessDevices();
