#include "render/rate_meter.h"

#include <GL/glut.h>
#include <array>
#include <cstdio>

#include "app/settings.h"
#include "platform/clock.h"
#include "platform/frame_loop.h"
#include "render/frame_state.h"
#include "render/screen_space.h"

TextString windowTitle;

RateFormat rateFormatFor(int maxTriangles, SceneKind sceneKind)
{
    if (maxTriangles)
        return RateFormat::TrianglesOnly;
    return sceneKind == SceneKind::Goblet ? RateFormat::FramesAndTriangles : RateFormat::FramesOnly;
}

double trianglesPerFrame(int objectTriangles, int blurSteps)
{
    // A count below 1 (a negative -motion) draws the first sub-frame alone.
    const double draws = blurSteps > 1 ? 2.0 * blurSteps - 1.0 : 1.0;
    return objectTriangles * draws;
}

float kiloTrianglesPerSecond(int objectTriangles, int blurSteps, float framesPerSecond)
{
    return static_cast<float>(trianglesPerFrame(objectTriangles, blurSteps)) * framesPerSecond * 0.001f;
}

TextString formatRateText(RateFormat format, float framesPerSecond, float kiloTriangles)
{
    std::array<char, rateBufferSize> buffer{};
    const double fps = framesPerSecond;
    const double ktps = kiloTriangles;
    switch (format) {
    case RateFormat::TrianglesOnly:
        std::snprintf(buffer.data(), buffer.size(), "%9.3f kTPS", ktps);
        break;
    case RateFormat::FramesAndTriangles:
        std::snprintf(buffer.data(), buffer.size(), "%7.2f FPS %9.3f kTPS", fps, ktps);
        break;
    case RateFormat::FramesOnly:
        std::snprintf(buffer.data(), buffer.size(), "%7.2f FPS", fps);
        break;
    }
    return TextString(buffer.data());
}

void takeRateSample(FrameState& state, int now, RateFormat format, int blurSteps)
{
    state.previousSampleTime = state.lastSampleTime;
    state.lastSampleTime = now;
    if (state.framesSinceSample == 0)
        return;
    // A clock that has not moved on (or has wrapped) keeps the last rate.
    if (state.lastSampleTime > state.previousSampleTime) {
        const long long elapsed = static_cast<long long>(state.lastSampleTime) - state.previousSampleTime;
        state.measuredFps = static_cast<float>(state.framesSinceSample) /
                            (static_cast<float>(elapsed) * 0.001f);
    }
    const float kiloTriangles = kiloTrianglesPerSecond(state.objectTriangles, blurSteps, state.measuredFps);
    state.rateText = formatRateText(format, state.measuredFps, kiloTriangles);
    state.framesSinceSample = 0;
}

TextString windowTitleFor(const TextString& rateText, const TextString& title, int maxTriangles)
{
    if (maxTriangles)
        return rateText;
    return rateText + " " + title;
}

std::optional<TimerRequest> followUpTimer(int value)
{
    if (value == 0)
        return TimerRequest{1000, 0};
    if (value == 1)
        return TimerRequest{1, 2};
    return std::nullopt;
}

namespace {

bool rateMeterStopped = false;

} // namespace

void stopRateMeter()
{
    rateMeterStopped = true;
}

void rateTimer(int value)
{
    if (rateMeterStopped)
        return;
    takeRateSample(frameState, millisecondClock(), rateFormatFor(settings.maxTriangles, settings.sceneKind),
                   frameState.blurSteps);
    frameLoop().setTitle(windowTitleFor(frameState.rateText, windowTitle, settings.maxTriangles).data());
    if (const auto next = followUpTimer(value))
        frameLoop().startTimer(next->delayMs, rateTimer, next->value);
}

void drawText(const TextString& text, float x, float y, float z, void* font)
{
    glRasterPos3f(x, y, z);
    for (int i = 0; i < text.length(); ++i)
        glutBitmapCharacter(font, static_cast<unsigned char>(text.data()[i]));
}

void buildOverlay()
{
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    if (settings.texturing)
        glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);

    beginScreenSpace();

    // The shadow sits one pixel to the right of the text.
    const float onePixel = settings.windowWidth > 0 ? 2.0f / static_cast<float>(settings.windowWidth) : 0.0f;
    glColor3f(0.5f, 0.5f, 0.3f);
    drawText(frameState.rateText, frameState.overlayX + onePixel, frameState.overlayY, frameState.overlayZ,
             GLUT_BITMAP_9_BY_15);
    glColor3f(0.8f, 0.8f, 0.6f);
    drawText(frameState.rateText, frameState.overlayX, frameState.overlayY, frameState.overlayZ,
             GLUT_BITMAP_9_BY_15);

    endScreenSpace();
    glPopAttrib();
}
