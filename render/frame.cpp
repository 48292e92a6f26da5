#include "render/frame.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include "app/settings.h"
#include "platform/frame_loop.h"
#include "render/frame_graph.h"
#include "render/frame_state.h"
#include "render/projection.h"
#include "render/rate_meter.h"
#include "render/run_result.h"
#include "render/screen_space.h"
#include "render/snapshot.h"
#include "render/spin.h"

namespace {

constexpr float objectDistance = 16.0f;
constexpr double skyFarPlane = 10000.0;
// Just in front of the cleared depth, so the fade quad loses only to the object.
constexpr float fadeDepth = 0.9999f;
constexpr float autoRotateDegrees = 1.0f;

void drawSky()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(frameState.fieldOfViewY, frameState.aspectRatio, nearPlane, skyFarPlane);
    glMatrixMode(GL_MODELVIEW);
    if (settings.texturing) {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    // Without the depth test the sky leaves the cleared depth for the object.
    glDisable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);
    glCallList(frameState.skyList);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// Sub-frame i after the first: a depth-only pass at the sub-frame's
// orientation, the clear colour faded in where the object is absent, then the
// object itself, both at weight 1/i, so the colour buffer stays the mean.
void drawLaterSubframe(int steps, int index)
{
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    if (settings.texturing)
        glDisable(GL_TEXTURE_2D);
    drawObjectDepth();
    glDepthMask(GL_FALSE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    drawFadeQuad(index);
    if (settings.texturing)
        glEnable(GL_TEXTURE_2D);
    drawSubframe(steps, index);
    glDepthMask(GL_TRUE);
}

void drawObject()
{
    if (frameState.blurSteps != 0) {
        drawSubframe(frameState.blurSteps, 1);
        glEnable(GL_BLEND);
        for (int i = 2; i <= frameState.blurSteps; ++i)
            drawLaterSubframe(frameState.blurSteps, i);
        glDisable(GL_BLEND);
    } else if (frameState.multiPass) {
        // As many passes as a blurred frame, all at one orientation.
        drawSubframe(0, 0);
        glEnable(GL_BLEND);
        for (int i = 2; i <= settings.motionSteps; ++i)
            drawLaterSubframe(0, i);
        glDisable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
        drawSubframe(0, 0);
    }
}

void drawOverlay()
{
    // The first frame after a rate sample compiles the new text; the others replay it.
    if (frameState.framesSinceSample == 0) {
        glNewList(frameState.overlayList, GL_COMPILE_AND_EXECUTE);
        buildOverlay();
        glEndList();
    } else {
        glCallList(frameState.overlayList);
    }
}

} // namespace

void display()
{
    endRunOnCaughtSignal();
    composeFrame();
    ++frameState.framesSinceSample;
    if (settings.autoRotate) {
        // The texture matrix is never reset: the image keeps turning about its centre.
        glMatrixMode(GL_TEXTURE);
        glTranslatef(0.5f, 0.5f, 0.0f);
        glRotatef(autoRotateDegrees, 0.0f, 0.0f, 1.0f);
        glTranslatef(-0.5f, -0.5f, 0.0f);
        glMatrixMode(GL_MODELVIEW);
    }
}

void composeFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (settings.texturing)
        glEnable(GL_TEXTURE_2D);
    if (settings.showSky)
        drawSky();
    if (settings.texturing) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }
    glEnable(GL_DEPTH_TEST);
    if (settings.showObject)
        drawObject();
    if (settings.showRates)
        drawOverlay();
    if (settings.showGraph)
        drawFrameGraph();
    keepFrameForSnapshot();
    frameLoop().present(settings.bufferMode == GLUT_DOUBLE);
    if (settings.showGraph)
        graphFrameShown();
    frameShown();
}

void drawSubframe(int steps, int index)
{
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -objectDistance);
    applyOrientation(steps, advancesOrientation(steps, index, frameState.multiPass));
    if (steps != 0 && index >= 2)
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f / static_cast<float>(index));
    else
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glCallList(frameState.objectList);
    glPopMatrix();
}

void drawObjectDepth()
{
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -objectDistance);
    // With blur on every depth pass takes the next step and the colour pass
    // after it draws at that orientation.
    applyOrientation(frameState.blurSteps, frameState.blurSteps != 0);
    glCallList(frameState.objectList);
    glPopMatrix();
}

void drawFadeQuad(int index)
{
    beginScreenSpace();
    const float* clear = frameState.clearColor;
    glColor4f(clear[0], clear[1], clear[2], 1.0f / static_cast<float>(index));
    glBegin(GL_QUADS);
    glVertex3f(-1.0f, -1.0f, fadeDepth);
    glVertex3f(1.0f, -1.0f, fadeDepth);
    glVertex3f(1.0f, 1.0f, fadeDepth);
    glVertex3f(-1.0f, 1.0f, fadeDepth);
    glEnd();
    endScreenSpace();
}

void applyOrientation(int steps, bool advance)
{
    if (advance) {
        takeDragMovement(frameState, settings.motionSpeed, settings.windowWidth, settings.windowHeight);
        const SpinRotation rotation =
            spinRotation(spinStep(frameState.spinVelocity, steps, frameState.measuredFps, settings.timeStepMs));
        // The step turns about the eye's axes: it goes in front of the old orientation.
        glPushMatrix();
        glLoadIdentity();
        if (rotation.angle != 0.0f)
            glRotatef(rotation.angle, rotation.axisX, rotation.axisY, rotation.axisZ);
        glMultMatrixf(frameState.objectOrientation);
        glGetFloatv(GL_MODELVIEW_MATRIX, frameState.objectOrientation);
        glPopMatrix();
    }
    glMultMatrixf(frameState.objectOrientation);
}
