#pragma once
// The choices made on the command line. Filled once by the option table before
// the window exists; a few fields change later (window size on reshape,
// showRates and texturing by keys).

#include <GL/gl.h>
#include <cstdint>

enum class SceneKind : std::int32_t { Goblet = 0, TexturedQuad = 1, Teapot = 2 };

enum class EnvMapKind : std::int32_t {
    SPHERICAL = 0,
    RSPHERICAL = 1,
    PANORAMIC = 2,
    RPANORAMIC = 3,
    HYPEROMNI = 4,
};

struct Settings {
    int windowWidth = 512;
    int windowHeight = 512;
    int textureFilter = GL_LINEAR_MIPMAP_LINEAR;
    int qlxSize = 440;
    int xCenter = -20;
    int yCenter = 10;
    int sampleCount = 2;
    int textureSize = 256;
    int motionSteps = 8;
    float motionSpeed = 160.0f;
    int showSky = 0;
    int showObject = 1;
    int autoRotate = 0;
    int divisions = 16;
    int skyUDivisions = 32;
    int skyVDivisions = 16;
    float mirrorA = 23.0595f;
    float mirrorB = 32.6842f;
    float focalLength = 5.44f;
    int showRates = 0;
    int bufferMode = 2;  // GLUT_DOUBLE, or GLUT_SINGLE (0)
    int glass = 0;
    SceneKind sceneKind = SceneKind::Goblet;
    int texturing = 1;
    int maxTriangles = 0;
    EnvMapKind envMapKind = EnvMapKind::RSPHERICAL;
};

extern Settings settings;
