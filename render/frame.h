#pragma once
// One frame: the optional sky, the object as the running mean of its
// sub-frames (the motion blur), the optional rate overlay and frame-time graph,
// then swap or flush.

// Display callback: composes and presents one frame, counts it, turns the
// environment when auto-rotation is on.
void display();

// Draws and presents one frame; a run with a limit ends at the frame that reaches it.
void composeFrame();

// The object once, in colour, as sub-frame index of a frame with `steps` blur
// steps (0 when blur is off).
void drawSubframe(int steps, int index);

// The object into the depth buffer only, at the next orientation step.
void drawObjectDepth();

// The clear colour over the whole window with alpha 1/index, except where the
// depth buffer holds something nearer.
void drawFadeQuad(int index);

// Advances objectOrientation by one step when advance is set, then multiplies
// the current model-view matrix by it.
void applyOrientation(int steps, bool advance);
