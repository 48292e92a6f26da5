#include <cmath>
#include <gtest/gtest.h>

#include "render/frame_state.h"
#include "render/input.h"
#include "render/spin.h"

#include <GL/glut.h>

namespace {

FrameState draggedBy(int dx, int dy)
{
    FrameState state;
    state.dragging = true;
    state.dragLastX = 100;
    state.dragLastY = 200;
    state.pointerX = 100 + dx;
    state.pointerY = 200 + dy;
    return state;
}

TEST(DragMovement, BecomesSpinScaledByTheWindowSize)
{
    FrameState state = draggedBy(2, -4);
    takeDragMovement(state, 160.0f, 512, 256);
    EXPECT_FLOAT_EQ(state.spinVelocity[0], 0.625f);
    EXPECT_FLOAT_EQ(state.spinVelocity[1], -2.5f);
    EXPECT_EQ(state.dragLastX, 102);
    EXPECT_EQ(state.dragLastY, 196);
}

TEST(DragMovement, NoMovementOrNoDragKeepsTheSpin)
{
    FrameState still = draggedBy(0, 0);
    still.spinVelocity[0] = 3.0f;
    still.spinVelocity[1] = -1.0f;
    takeDragMovement(still, 160.0f, 512, 512);
    EXPECT_FLOAT_EQ(still.spinVelocity[0], 3.0f);
    EXPECT_FLOAT_EQ(still.spinVelocity[1], -1.0f);

    FrameState released = draggedBy(50, 50);
    released.dragging = false;
    released.spinVelocity[0] = 3.0f;
    takeDragMovement(released, 160.0f, 512, 512);
    EXPECT_FLOAT_EQ(released.spinVelocity[0], 3.0f);
    EXPECT_EQ(released.dragLastX, 100);
}

TEST(DragMovement, ZeroExtentGivesNoInfiniteSpin)
{
    FrameState state = draggedBy(5, 5);
    takeDragMovement(state, 160.0f, 0, 512);
    EXPECT_FLOAT_EQ(state.spinVelocity[0], 0.0f);
    EXPECT_FLOAT_EQ(state.spinVelocity[1], 1.5625f);
}

TEST(SpinStep, UnscaledBeforeTheFirstRateAndSharedOverBlurSteps)
{
    const float velocity[2] = {0.625f, -1.25f};
    const SpinStep plain = spinStep(velocity, 0, 0.0f);
    EXPECT_FLOAT_EQ(plain.x, 0.625f);
    EXPECT_FLOAT_EQ(plain.y, -1.25f);
    const SpinStep blurred = spinStep(velocity, 8, 0.0f);
    EXPECT_FLOAT_EQ(blurred.x, 0.078125f);
    EXPECT_FLOAT_EQ(blurred.y, -0.15625f);
    // A negative -motion draws one sub-frame, which takes the whole step.
    const SpinStep negative = spinStep(velocity, -5, 0.0f);
    EXPECT_FLOAT_EQ(negative.x, 0.625f);
    EXPECT_FLOAT_EQ(negative.y, -1.25f);
}

// One pixel per frame across a 512-pixel window at the default speed turns the
// object by 6.25 degrees a second, whatever the frame rate and blur.
TEST(SpinStep, SpeedOnScreenDoesNotDependOnRateOrBlur)
{
    FrameState state = draggedBy(1, 0);
    takeDragMovement(state, 160.0f, 512, 512);
    for (float fps : {12.5f, 59.94f, 240.0f}) {
        const SpinRotation unblurred = spinRotation(spinStep(state.spinVelocity, 0, fps));
        EXPECT_NEAR(unblurred.angle * fps, 6.25f, 1e-4f) << fps;
        for (int steps : {1, 8, 16}) {
            const SpinRotation blurred = spinRotation(spinStep(state.spinVelocity, steps, fps));
            EXPECT_NEAR(blurred.angle * static_cast<float>(steps) * fps, 6.25f, 1e-4f) << fps << " " << steps;
        }
    }
}

// -spin X turns X degrees a second about (1, 1, 0) once a rate is measured,
// and a fixed step replaces the measured rate from the first frame on.
TEST(SpinStep, StartedSpinAndFixedStep)
{
    FrameState state;
    startSpin(state, 720.0f);
    const SpinRotation measured = spinRotation(spinStep(state.spinVelocity, 0, 50.0f));
    EXPECT_NEAR(measured.angle * 50.0f, 720.0f, 1e-3f);
    EXPECT_NEAR(measured.axisX, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(measured.axisY, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(spinRotation(spinStep(state.spinVelocity, 0, 0.0f)).angle, 36.0f, 1e-4f);
    for (const float fps : {0.0f, 50.0f, 1000.0f}) {
        EXPECT_NEAR(spinRotation(spinStep(state.spinVelocity, 0, fps, 16.667f)).angle, 720.0f * 0.016667f, 1e-3f);
        EXPECT_NEAR(spinRotation(spinStep(state.spinVelocity, 8, fps, 16.667f)).angle * 8, 720.0f * 0.016667f,
                    1e-3f);
    }
}

TEST(SpinRotation, AxisAtRightAnglesToTheDrag)
{
    const SpinRotation none = spinRotation({0.0f, 0.0f});
    EXPECT_FLOAT_EQ(none.angle, 0.0f);

    const SpinRotation right = spinRotation({2.0f, 0.0f});
    EXPECT_FLOAT_EQ(right.angle, 2.0f);
    EXPECT_FLOAT_EQ(right.axisX, 0.0f);
    EXPECT_FLOAT_EQ(right.axisY, 1.0f);

    const SpinRotation left = spinRotation({-2.0f, 0.0f});
    EXPECT_FLOAT_EQ(left.angle, 2.0f);
    EXPECT_FLOAT_EQ(left.axisY, -1.0f);

    const SpinRotation down = spinRotation({0.0f, 0.5f});
    EXPECT_FLOAT_EQ(down.angle, 0.5f);
    EXPECT_FLOAT_EQ(down.axisX, 1.0f);
    EXPECT_FLOAT_EQ(down.axisY, 0.0f);

    const SpinRotation slanted = spinRotation({3.0f, 4.0f});
    EXPECT_FLOAT_EQ(slanted.angle, 5.0f);
    EXPECT_FLOAT_EQ(slanted.axisX, 0.8f);
    EXPECT_FLOAT_EQ(slanted.axisY, 0.6f);
    EXPECT_FLOAT_EQ(slanted.axisZ, 0.0f);
}

// The first pass drawn in a frame takes the step; the later colour passes draw
// at the orientation their depth pass set.
TEST(AdvancingPasses, FirstPassOfEachMode)
{
    // Blur, either multiPass.
    for (int multiPass : {0, 1}) {
        EXPECT_TRUE(advancesOrientation(8, 1, multiPass));
        for (int i = 2; i <= 8; ++i)
            EXPECT_FALSE(advancesOrientation(8, i, multiPass)) << i;
    }
    // Repeated passes.
    EXPECT_TRUE(advancesOrientation(0, 0, 1));
    for (int i = 2; i <= 8; ++i)
        EXPECT_FALSE(advancesOrientation(0, i, 1)) << i;
    // Single pass.
    EXPECT_TRUE(advancesOrientation(0, 0, 0));
}

class Pointer : public ::testing::Test {
protected:
    void SetUp() override { frameState = FrameState{}; }
};

TEST_F(Pointer, LeftButtonStartsAndEndsADrag)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 40, 50);
    EXPECT_TRUE(frameState.dragging);
    EXPECT_EQ(frameState.pointerX, 40);
    EXPECT_EQ(frameState.pointerY, 50);
    EXPECT_EQ(frameState.dragLastX, 40);
    EXPECT_EQ(frameState.dragLastY, 50);

    motion(45, 47);
    EXPECT_EQ(frameState.pointerX, 45);
    EXPECT_EQ(frameState.pointerY, 47);
    EXPECT_EQ(frameState.dragLastX, 40);

    frameState.spinVelocity[0] = 1.5f;
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 60, 70);
    EXPECT_FALSE(frameState.dragging);
    EXPECT_EQ(frameState.pointerX, 60);
    EXPECT_EQ(frameState.pointerY, 70);
    // Releasing keeps the object spinning.
    EXPECT_FLOAT_EQ(frameState.spinVelocity[0], 1.5f);
}

// A new press without movement takes no movement from the previous drag.
TEST_F(Pointer, PressWithoutMovementLeavesTheSpin)
{
    frameState.spinVelocity[0] = 1.5f;
    frameState.dragLastX = 10;
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 300, 300);
    takeDragMovement(frameState, 160.0f, 512, 512);
    EXPECT_FLOAT_EQ(frameState.spinVelocity[0], 1.5f);
}

TEST_F(Pointer, OtherButtonsOnlyMoveThePointer)
{
    frameState.dragLastX = 7;
    for (int button : {GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON}) {
        for (int state : {GLUT_DOWN, GLUT_UP}) {
            mouse(button, state, 11, 12);
            EXPECT_FALSE(frameState.dragging);
            EXPECT_EQ(frameState.pointerX, 11);
            EXPECT_EQ(frameState.pointerY, 12);
            EXPECT_EQ(frameState.dragLastX, 7);
        }
    }
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 5, 5);
    EXPECT_TRUE(frameState.dragging);
}

} // namespace
