#pragma once
// The arithmetic of the object's spin: how a drag becomes spin velocity, how
// the velocity becomes one rotation step, and which passes take a step.

struct FrameState;

struct SpinStep {
    float x = 0.0f;
    float y = 0.0f;
};

// A rotation in degrees about a unit axis; angle 0 means no rotation.
struct SpinRotation {
    float angle = 0.0f;
    float axisX = 0.0f;
    float axisY = 0.0f;
    float axisZ = 0.0f;
};

// While dragging, turns the pointer movement since the last step into the new
// spin velocity and marks the movement as taken. Without movement the velocity
// stays, so a press that does not move neither stops nor changes the spin.
void takeDragMovement(FrameState& state, float motionSpeed, int windowWidth, int windowHeight);

// One orientation step: the velocity shared out over the blur steps (below 2: no
// sharing) and scaled to 20 / measuredFps so the on-screen speed does not depend
// on the frame rate. Before the first rate sample the step is unscaled. A
// fixed step above 0 (milliseconds) scales by 20 x fixedStepMs / 1000 instead,
// from the first frame on, so frame N is the same on every run.
SpinStep spinStep(const float velocity[2], int steps, float measuredFps, float fixedStepMs = 0.0f);

// The spin a drag right and down gives at degreesPerSecond once a rate is
// measured: a turn about (1, 1, 0) / sqrt 2 in eye coordinates.
void startSpin(FrameState& state, float degreesPerSecond);

// The step as a rotation about the eye axis at right angles to the drag, so
// the near side of the object follows the pointer. A step that is not finite,
// or too large for its angle to be, is no rotation.
SpinRotation spinRotation(SpinStep step);

// Whether the colour pass `index` of a frame with `steps` blur steps advances
// the orientation: the first pass drawn in a frame does, later ones do not.
bool advancesOrientation(int steps, int index, int multiPass);
