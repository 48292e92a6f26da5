#pragma once
// -graph: the durations of the latest frames as a line along the bottom of
// the window, drawn over the finished picture like the rate overlay.

// After each frame is shown: the time since the one before goes into the graph.
void graphFrameShown();

// The window cannot draw: the wait until it can again is no frame's duration.
void forgetGraphFrameEnd();

// Draws the graph over the composed frame in plain OpenGL 1.1 and leaves the
// GL state as it found it. Headless its labels use the program's own font.
void drawFrameGraph();
