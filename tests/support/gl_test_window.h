#pragma once
// A GL context for tests that need the real driver: a private Xvfb and one
// GLUT window on it, made once per test program. Call from a test's set-up.

// Creates the display and the window on first use; later calls return at once.
// mode is a GLUT display mode.
void ensureGlTestWindow(int width, int height, unsigned mode);
