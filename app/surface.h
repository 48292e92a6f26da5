#pragma once
// What start-up draws into, chosen once for every mode: a window, or under
// -headless an off-screen buffer on EGL, on the device -device names.

class OptionReader;

// GLUT display mode: RGB with depth and accumulation buffers, plus bufferMode
// (GLUT_DOUBLE or GLUT_SINGLE).
unsigned displayMode(int bufferMode);

// The window size asked of the toolkit for a requested side: capped at the
// largest side the window system and the GL driver handle.
int windowSideRequest(int side);

// Refuses, with status 2, a -device that no run could use: one without
// -headless, on a platform without EGL, or a number EGL does not list. When
// EGL lists no device at all, the run itself fails, as without -device.
void refuseUnusableDevice();

// Creates the window of the settings' size, or under -headless the off-screen
// buffer and the loop that draws into it; the title is read in its turn.
void openSurface(OptionReader& options);
