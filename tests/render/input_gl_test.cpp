#include <chrono>
#include <thread>

#include <GL/freeglut.h>

#include "render/input.h"
#include "render_gl_fixture.h"

namespace {

// Runs the toolkit's pending timers (a restart samples at once and again a
// millisecond later).
void runTimers()
{
    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        glutMainLoopEvent();
    }
}

class Keys : public RenderGl {
protected:
    void SetUp() override
    {
        RenderGl::SetUp();
        runTimers();  // the fixture's own reshape restarted the meter
        forgetSamples();
    }

    static void forgetSamples()
    {
        frameState.previousSampleTime = 0;
        frameState.lastSampleTime = 0;
    }

    // Presses the key; true when it restarted the rate meter, that is two
    // samples followed.
    static bool pressRestarts(unsigned char key)
    {
        forgetSamples();
        keyboard(key, 10, 10);
        runTimers();
        const bool sampled = frameState.lastSampleTime != 0;
        if (sampled) {
            EXPECT_NE(frameState.previousSampleTime, 0) << "a restart takes two samples";
        }
        return sampled;
    }
};

TEST_F(Keys, BlurTogglesBetweenOffAndTheStepCount)
{
    EXPECT_FALSE(pressRestarts('m'));  // repeated passes on: same cost either way
    EXPECT_EQ(frameState.blurSteps, 8);
    EXPECT_FALSE(pressRestarts('M'));
    EXPECT_EQ(frameState.blurSteps, 0);

    frameState.multiPass = 0;
    EXPECT_TRUE(pressRestarts('m'));
    EXPECT_EQ(frameState.blurSteps, 8);

    settings.motionSteps = 1;
    keyboard('m', 0, 0);
    keyboard('m', 0, 0);
    EXPECT_EQ(frameState.blurSteps, 1);
    settings.motionSteps = 0;
    keyboard('m', 0, 0);
    keyboard('m', 0, 0);
    EXPECT_EQ(frameState.blurSteps, 0);
}

TEST_F(Keys, RepeatedPassesToggleWithARestart)
{
    EXPECT_TRUE(pressRestarts('n'));
    EXPECT_EQ(frameState.multiPass, 0);
    EXPECT_TRUE(pressRestarts('N'));
    EXPECT_EQ(frameState.multiPass, 1);
    frameState.multiPass = 5;
    keyboard('n', 0, 0);
    EXPECT_EQ(frameState.multiPass, 0);
}

TEST_F(Keys, TexturingToggleLeavesFlatShading)
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    EXPECT_TRUE(pressRestarts('t'));
    EXPECT_EQ(settings.texturing, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    GLint shading = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    EXPECT_EQ(shading, GL_SMOOTH);

    EXPECT_TRUE(pressRestarts('T'));
    EXPECT_EQ(settings.texturing, 1);
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    EXPECT_EQ(shading, GL_FLAT);
}

// Showing the rates compiles the overlay list without drawing anything now.
TEST_F(Keys, OverlayKeyCompilesWithoutDrawing)
{
    frameState.rateText = "  59.94 FPS    72.887 kTPS";
    glClear(GL_COLOR_BUFFER_BIT);
    const Picture before = read();
    EXPECT_FALSE(pressRestarts('f'));
    EXPECT_EQ(settings.showRates, 1);
    ASSERT_TRUE(glIsList(frameState.overlayList));
    EXPECT_EQ(differingPixels(read(), before), 0);

    glCallList(frameState.overlayList);
    glFlush();
    EXPECT_GT(differingPixels(read(), before), 0);

    keyboard('F', 0, 0);
    EXPECT_EQ(settings.showRates, 0);
    settings.showRates = 2;  // "-FPS" given twice
    keyboard('f', 0, 0);
    EXPECT_EQ(settings.showRates, 0);
}

TEST_F(Keys, OtherKeysDoNothing)
{
    for (int key : {int{'a'}, int{'q'}, int{'x'}, int{' '}, int{'1'}, 200, 0}) {
        EXPECT_FALSE(pressRestarts(static_cast<unsigned char>(key))) << key;
        EXPECT_EQ(frameState.blurSteps, 0);
        EXPECT_EQ(frameState.multiPass, 1);
        EXPECT_EQ(settings.texturing, 1);
        EXPECT_EQ(settings.showRates, 0);
    }
}

TEST_F(Keys, EveryResizeRestartsTheMeter)
{
    forgetSamples();
    reshape(300, 200);
    runTimers();
    EXPECT_NE(frameState.lastSampleTime, 0);
    EXPECT_NE(frameState.previousSampleTime, 0);
    forgetSamples();
    reshape(0, 0);
    runTimers();
    EXPECT_NE(frameState.previousSampleTime, 0);
}

} // namespace
