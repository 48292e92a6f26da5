#pragma once
// The frame loop's run-time state: blur mode, orientation and spin, pointer,
// projection, rate-meter counters, display-list names and the rate text.

#include <GL/gl.h>
#include <array>
#include <cstring>

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

// The object's orientation as a value, to keep and put back around drawing
// that turns it.
using Orientation = std::array<float, 16>;

inline Orientation orientationOf(const FrameState& state)
{
    Orientation m;
    std::memcpy(m.data(), state.objectOrientation, sizeof state.objectOrientation);
    return m;
}

inline void setOrientation(FrameState& state, const Orientation& m)
{
    std::memcpy(state.objectOrientation, m.data(), sizeof state.objectOrientation);
}
