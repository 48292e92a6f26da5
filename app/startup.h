#pragma once
// Start-up: window creation, callback registration and the fixed order of the
// set-up steps.

class OptionReader;

// GLUT display mode: RGB with depth and accumulation buffers, plus bufferMode
// (GLUT_DOUBLE or GLUT_SINGLE).
unsigned displayMode(int bufferMode);

// The window size asked of the toolkit for a requested side: capped at the
// largest side the window system and the GL driver handle.
int windowSideRequest(int side);

int startUp(OptionReader& options);
int createWindow(OptionReader& options);
// The headless counterpart of createWindow: an off-screen GL context and the
// loop that draws into it.
int openOffScreen(OptionReader& options);
// Refuses, with status 2, a headless command line that cannot run.
void refuseUnrunnableHeadless();
void registerCallbacks();
