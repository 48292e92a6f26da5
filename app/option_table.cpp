#include "app/option_table.h"

#include <GL/gl.h>

#include "app/settings.h"
#include "options/number_text.h"
#include "options/option_reader.h"
#include "render/frame_state.h"

namespace {

constexpr int kNoFilter = -999999;

// The table's real defaults are single-precision values handed over as doubles.
float getFloat(OptionReader& options, const char* name, float defaultValue, int minLength)
{
    return narrowToFloat(options.getDouble(name, static_cast<double>(defaultValue), minLength));
}

int textureFilterFrom(OptionReader& options)
{
    int filter = kNoFilter;
    const int nearest = options.countFlag("-N", 2);
    const int linear = options.countFlag("-L", 2);
    const int trilinear = options.countFlag("-LL", 3);
    if (nearest)
        filter = GL_NEAREST;
    if (linear)
        filter = GL_LINEAR;
    if (trilinear)
        filter = GL_LINEAR_MIPMAP_LINEAR;
    return filter == kNoFilter ? GL_LINEAR_MIPMAP_LINEAR : filter;
}

int powerOfTwoSize(int exponent)
{
    if (exponent < 0)
        exponent = 0;
    if (exponent > 10)
        exponent = 10;
    return 1 << exponent;
}

void applySceneRules(int teapot, int texture)
{
    settings.sceneKind = SceneKind::Goblet;
    if (teapot) {
        settings.sceneKind = SceneKind::Teapot;
        if (settings.divisions == 16)
            settings.divisions = 5;
    } else if (texture) {
        settings.sceneKind = SceneKind::TexturedQuad;
    }
}

void applyBenchmarkRule(int count)
{
    settings.maxTriangles = count;
    if (!count)
        return;
    settings.sceneKind = SceneKind::Goblet;
    if (settings.divisions == 16)
        settings.divisions = 1024;
    if (settings.windowWidth == 512)
        settings.windowWidth = 128;
    if (settings.windowHeight == 512)
        settings.windowHeight = 128;
    settings.texturing = 0;
    frameState.multiPass = 0;
    frameState.blurSteps = 0;
}

EnvMapKind projectionFrom(OptionReader& options)
{
    const int spherical = options.countFlag("-SPHERICAL", 3);
    const int rspherical = options.countFlag("-RSPHERICAL", 3);
    const int hyperomni = options.countFlag("-HYPEROMNI", 2);
    const int panoramic = options.countFlag("-PANORAMIC", 2);
    const int rpanoramic = options.countFlag("-RPANORAMIC", 3);
    if (rspherical || !(spherical || hyperomni || panoramic || rpanoramic))
        return EnvMapKind::RSPHERICAL;
    if (spherical)
        return EnvMapKind::SPHERICAL;
    if (hyperomni)
        return EnvMapKind::HYPEROMNI;
    if (panoramic)
        return EnvMapKind::PANORAMIC;
    return EnvMapKind::RPANORAMIC;
}

} // namespace

void applyOptionTable(OptionReader& options)
{
    settings.windowWidth = options.getInt("-width", 512, 2);
    settings.windowHeight = options.getInt("-height", 512, 2);
    settings.textureFilter = textureFilterFrom(options);

    const int qlxSize = options.getInt("-qlxsize", 440, 2);
    settings.qlxSize = qlxSize < 1 || qlxSize > 1000 ? 440 : qlxSize;
    settings.xCenter = options.getInt("-xcenter", -20, 2);
    settings.yCenter = options.getInt("-ycenter", 10, 2);
    const int sampleCount = options.getInt("-sample", 2, 3);
    settings.sampleCount = sampleCount < 1 ? 1 : sampleCount;
    settings.textureSize = powerOfTwoSize(options.getInt("-tsize", 8, 3));

    settings.motionSteps = options.getInt("-motion", 8, 2);
    settings.motionSpeed = getFloat(options, "-mspeed", 160.0f, 3);
    settings.showSky = options.getInt("-sphere", 0, 2);
    settings.showObject = options.getInt("-objet", 1, 2);
    settings.autoRotate = options.getInt("-rotate", 0, 2);
    settings.divisions = options.getInt("-divide", 16, 2);
    settings.skyUDivisions = options.getInt("-sudivide", 32, 3);
    settings.skyVDivisions = options.getInt("-svdivide", 16, 3);

    settings.mirrorA = getFloat(options, "-a", 23.0595f, 2);
    settings.mirrorB = getFloat(options, "-b", 32.6842f, 2);
    settings.focalLength = getFloat(options, "-f", 5.44f, 2);

    settings.showRates = options.countFlag("-FPS", 2);
    settings.bufferMode = options.countFlag("-SINGLE", 2) ? 0 : 2;
    settings.glass = options.countFlag("-GLASS", 2);

    const int teapot = options.countFlag("-TEAPOT", 4);
    const int texture = options.countFlag("-TEXTURE", 4);
    applySceneRules(teapot, texture);

    if (options.countFlag("-NOTEX", 3))
        settings.texturing = 0;
    applyBenchmarkRule(options.countFlag("-MAXTRIANGLES", 4));
    settings.envMapKind = projectionFrom(options);

    frameState.measuredFps = 0.0f;
}
