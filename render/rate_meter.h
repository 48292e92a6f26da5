#pragma once
// The frame-rate meter: once a second (and twice after a restart) the frame and
// triangle rates go into the rate text and the window title; the overlay draws
// the text at the window's top left.

#include <cfloat>
#include <optional>

#include "options/text_string.h"
#include "render/scene_kind.h"

struct FrameState;

// The title text, set when the window is created; the meter puts it after the rates.
extern TextString windowTitle;

// Timer callback of the rate meter: 0 periodic, 1 restart, 2 second restart sample.
void rateTimer(int value);

// Draws rateText with its shadow; called only while a display list is compiled.
void buildOverlay();

// The characters of text from raster position (x, y, z) in a GLUT bitmap font.
void drawText(const TextString& text, float x, float y, float z, void* font);

enum class RateFormat {
    TrianglesOnly,       // "%9.3f kTPS": the maximum-triangles benchmark
    FramesAndTriangles,  // "%7.2f FPS %9.3f kTPS": the goblet
    FramesOnly,          // "%7.2f FPS": the other scenes
};

RateFormat rateFormatFor(int maxTriangles, SceneKind sceneKind);

// Triangles a frame counts: a blurred frame of n sub-frames draws the object
// 2n - 1 times; an unblurred one counts one draw, also with repeated passes.
// In double: the product can pass the int range.
double trianglesPerFrame(int objectTriangles, int blurSteps);

// Thousands of triangles per second, from trianglesPerFrame.
float kiloTrianglesPerSecond(int objectTriangles, int blurSteps, float framesPerSecond);

// Longest fixed-point text of a float: sign, every integer digit, point, decimals.
constexpr int longestFixedText(int decimals)
{
    return 1 + (FLT_MAX_10_EXP + 1) + 1 + decimals;
}

// Room for the longest rate text any pair of floats can give, terminator included.
constexpr int rateBufferSize =
    longestFixedText(2) + int(sizeof " FPS ") - 1 + longestFixedText(3) + int(sizeof " kTPS") - 1 + 1;

TextString formatRateText(RateFormat format, float framesPerSecond, float kiloTriangles);

// Steps 1 and 2 of a sample: moves the sample times on and, when frames were
// counted, measures the rate, formats rateText and resets the frame count.
void takeRateSample(FrameState& state, int now, RateFormat format, int blurSteps);

// The window title: the rate text, then a blank and the title (the benchmark
// shows the rate text alone).
TextString windowTitleFor(const TextString& rateText, const TextString& title, int maxTriangles);

struct TimerRequest {
    unsigned delayMs = 0;
    int value = 0;
};

// What a rate-timer call schedules after itself.
std::optional<TimerRequest> followUpTimer(int value);
