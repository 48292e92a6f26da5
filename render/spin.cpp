#include "render/spin.h"

#include <cmath>

#include "geometry/vec3.h"
#include "render/frame_state.h"

void takeDragMovement(FrameState& state, float motionSpeed, int windowWidth, int windowHeight)
{
    if (!state.dragging || (state.pointerX == state.dragLastX && state.pointerY == state.dragLastY))
        return;
    // A window with no extent along an axis gives no spin about it rather than
    // an infinite one.
    const auto speedAlong = [motionSpeed](int moved, int extent) {
        return extent != 0 ? static_cast<float>(moved) * motionSpeed / static_cast<float>(extent) : 0.0f;
    };
    state.spinVelocity[0] = speedAlong(state.pointerX - state.dragLastX, windowWidth);
    state.spinVelocity[1] = speedAlong(state.pointerY - state.dragLastY, windowHeight);
    state.dragLastX = state.pointerX;
    state.dragLastY = state.pointerY;
}

SpinStep spinStep(const float velocity[2], int steps, float measuredFps, float fixedStepMs)
{
    SpinStep step{velocity[0], velocity[1]};
    // Below 1 sub-frame (a negative -motion) the one drawn takes the whole step.
    if (steps > 1) {
        step.x /= static_cast<float>(steps);
        step.y /= static_cast<float>(steps);
    }
    const float scale = fixedStepMs > 0.0f ? 20.0f * fixedStepMs / 1000.0f
                        : measuredFps != 0.0f ? 20.0f / measuredFps
                                              : 1.0f;
    step.x *= scale;
    step.y *= scale;
    return step;
}

void startSpin(FrameState& state, float degreesPerSecond)
{
    // The velocity is the step a frame before scaling; a second holds 20 scaled steps.
    const float each = static_cast<float>(degreesPerSecond / (20.0 * std::sqrt(2.0)));
    state.spinVelocity[0] = each;
    state.spinVelocity[1] = each;
}

SpinRotation spinRotation(SpinStep step)
{
    if (step.x == 0.0f && step.y == 0.0f)
        return {};
    // A horizontal drag turns the object about the vertical axis and a
    // vertical one about the horizontal axis.
    Vec3 axis{step.y, step.x, 0.0f};
    normalize(axis);
    const float angle = std::hypot(step.x, step.y);
    // An infinite speed (from -mspeed beyond the float range) would turn the
    // orientation into NaN and lose the object for good: it is no rotation.
    if (!std::isfinite(angle) || !std::isfinite(axis.x) || !std::isfinite(axis.y))
        return {};
    return {angle, axis.x, axis.y, axis.z};
}

bool advancesOrientation(int steps, int index, int multiPass)
{
    return (steps == 0 && !multiPass) || (steps != 0 && index == 1) || (multiPass && index < 2);
}
