#include "render/input.h"

#include <GL/glut.h>
#include <cctype>

#include "app/settings.h"
#include "platform/frame_loop.h"
#include "render/frame_state.h"
#include "render/rate_meter.h"
#include "render/run_result.h"
#include "render/spin.h"

namespace {

constexpr unsigned char escapeKey = 27;

// The meter samples now and again a millisecond later, starting a fresh interval.
void restartRates()
{
    frameLoop().startTimer(1, rateTimer, 1);
}

void toggleOverlay()
{
    if (settings.showRates) {
        settings.showRates = 0;
        return;
    }
    settings.showRates = 1;
    // Holds the current text without drawing it now; frames replay it.
    glNewList(frameState.overlayList, GL_COMPILE);
    buildOverlay();
    glEndList();
}

void toggleBlur()
{
    // With repeated passes on, blur changes nothing in the cost of a frame.
    if (!frameState.multiPass)
        restartRates();
    frameState.blurSteps = frameState.blurSteps == 0 ? settings.motionSteps : 0;
}

void toggleRepeatedPasses()
{
    restartRates();
    frameState.multiPass = frameState.multiPass ? 0 : 1;
}

void toggleTexturing()
{
    restartRates();
    if (settings.texturing) {
        settings.texturing = 0;
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glShadeModel(GL_SMOOTH);
    } else {
        // The next frame enables texturing and coordinate generation again.
        settings.texturing = 1;
        glShadeModel(GL_FLAT);
    }
}

} // namespace

void idle()
{
    frameLoop().requestFrame();
}

void keyboard(unsigned char key, int, int)
{
    if (key == escapeKey)
        endRun(RunEnd::Escape);
    switch (std::tolower(key)) {
    case 'f':
        toggleOverlay();
        break;
    case 'm':
        toggleBlur();
        break;
    case 'n':
        toggleRepeatedPasses();
        break;
    case 't':
        toggleTexturing();
        break;
    default:
        break;
    }
}

void mouse(int button, int state, int x, int y)
{
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
        frameState.dragging = true;
        frameState.dragLastX = x;
        frameState.dragLastY = y;
    } else if (button == GLUT_LEFT_BUTTON && state == GLUT_UP) {
        frameState.dragging = false;
    }
    frameState.pointerX = x;
    frameState.pointerY = y;
}

void motion(int x, int y)
{
    frameState.pointerX = x;
    frameState.pointerY = y;
}

void windowClosing()
{
    noteRunEnd(RunEnd::Close);
}

void startInput(bool blurred, float spinDegreesPerSecond)
{
    if (blurred)
        frameState.blurSteps = settings.motionSteps;
    if (spinDegreesPerSecond != 0.0f)
        startSpin(frameState, spinDegreesPerSecond);
}
