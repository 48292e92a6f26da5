#include "render/render_state.h"

#include <GL/glu.h>
#include <GL/gl.h>

#include "app/settings.h"
#include "platform/frame_loop.h"
#include "render/frame_state.h"
#include "render/projection.h"
#include "render/rate_meter.h"

void initRenderState(SceneKind scene)
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const float* clear = frameState.clearColor;
    glClearColor(clear[0], clear[1], clear[2], 1.0f);
    glClearDepth(1.0);
    // Equal depths must pass: the colour passes redraw what the depth pass laid down.
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    // The teapot's patches wind clockwise and are not closed, so nothing is culled.
    if (scene == SceneKind::Teapot) {
        glFrontFace(GL_CW);
    } else {
        glFrontFace(GL_CCW);
        glEnable(GL_CULL_FACE);
    }
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glRotatef(-60.0f, 1.0f, 0.0f, 0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, frameState.objectOrientation);
    glPopMatrix();
}

void reshape(int width, int height)
{
    setViewAndProjection(width, height);
    frameLoop().startTimer(1, rateTimer, 1);
}

void setViewAndProjection(int width, int height)
{
    glViewport(0, 0, width, height);
    // An empty window (minimised, or sized to nothing) has no aspect ratio:
    // keep the last projection, size and overlay position until it has an area.
    if (hasArea(width, height)) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0.0, 0.0, 0.0, 0.0, 0.0, -1.0, 0.0, 1.0, 0.0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        frameState.fieldOfViewY = fieldOfViewFor(width, height);
        frameState.aspectRatio = static_cast<double>(width) / height;
        gluPerspective(frameState.fieldOfViewY, frameState.aspectRatio, nearPlane, farPlane);
        glMatrixMode(GL_MODELVIEW);

        settings.windowWidth = width;
        settings.windowHeight = height;
        frameState.overlayX = -0.9f;
        frameState.overlayY = overlayBaselineFor(width);
        frameState.overlayZ = 0.0f;
    }
}
