#pragma once
// The choices made on the command line. Filled once by the option table before
// the window exists; a few fields change later (window size on reshape,
// showRates and texturing by keys).

#include <GL/glut.h>
#include <climits>
#include <cstdint>

#include "render/scene_kind.h"

enum class EnvMapKind : std::int32_t {
    SPHERICAL = 0,
    RSPHERICAL = 1,
    PANORAMIC = 2,
    RPANORAMIC = 3,
    HYPEROMNI = 4,
};

// What an integer option without a default leaves in its field when it is not given.
constexpr int optionAbsent = INT_MIN;

struct Settings {
    // Every field an option's value goes to starts at that option's default
    // in the option table: a new Settings is what an empty command line gives.
    Settings();

    int windowWidth;
    int windowHeight;
    int textureFilter = GL_LINEAR_MIPMAP_LINEAR;
    int qlxSize;
    int xCenter;
    int yCenter;
    int sampleCount;
    int textureSize;
    int motionSteps;
    float motionSpeed;
    int showSky;
    int showObject;
    int autoRotate;
    int divisions;
    int skyUDivisions;
    int skyVDivisions;
    float mirrorA;
    float mirrorB;
    float focalLength;
    int showRates = 0;
    int showGraph = 0;
    int bufferMode = GLUT_DOUBLE;  // or GLUT_SINGLE
    int glass = 0;
    SceneKind sceneKind = SceneKind::Goblet;
    int texturing = 1;
    int maxTriangles = 0;
    EnvMapKind envMapKind = EnvMapKind::RSPHERICAL;
    int swapInterval;  // optionAbsent: not asked for
    int frameLimit;
    float secondsLimit;
    int validate = 0;
    int headless = 0;
    int startBlurred = 0;  // as if m had been pressed before the first frame
    float spinSpeed;       // degrees a second about (1, 1, 0); 0: at rest
    float timeStepMs;      // above 0: every frame advances the spin by this time
    int checksum = 0;
    int listDevices = 0;
    int device;  // optionAbsent: EGL's candidates in their order
};

extern Settings settings;
