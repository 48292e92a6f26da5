#pragma once
// The frame loop's run-time state: blur mode, orientation and spin, pointer,
// projection, rate-meter counters, display-list names and the rate text.

#include <GL/gl.h>

#include "options/text_string.h"

struct FrameState {
    float clearColor[3] = {0.0f, 0.4f, 1.0f};
    float objectOrientation[16] = {};  // column-major, as GL_MODELVIEW_MATRIX reads back
    double fieldOfViewY = 0.0;
    double aspectRatio = 0.0;
    float overlayX = 0.0f;
    float overlayY = 0.0f;
    float overlayZ = 0.0f;
    int blurSteps = 0;
    int multiPass = 1;
    float spinVelocity[2] = {0.0f, 0.0f};
    bool dragging = false;
    int pointerX = 0;
    int pointerY = 0;
    int dragLastX = 0;
    int dragLastY = 0;
    float measuredFps = 0.0f;
    int framesSinceSample = 0;
    int previousSampleTime = 0;
    int lastSampleTime = 0;
    GLuint objectList = 0;
    GLuint skyList = 0;
    GLuint overlayList = 0;
    int objectTriangles = 0;
    TextString rateText;
};

extern FrameState frameState;
