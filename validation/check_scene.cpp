#include "validation/check_scene.h"

#include <GL/glut.h>
#include <cstdlib>

#include "app/settings.h"
#include "image/environment_texture.h"
#include "render/display_lists.h"
#include "render/frame.h"
#include "render/frame_state.h"
#include "render/render_state.h"

namespace {

void deleteList(GLuint list)
{
    if (list != 0)
        glDeleteLists(list, 1);
}

PnmImage makeRampImage()
{
    constexpr int side = 64;
    PnmImage image;
    image.width = side;
    image.height = side;
    image.pixels.reset(static_cast<std::uint8_t*>(std::calloc(side * side, 3)));
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            std::uint8_t* texel = &image.pixels[static_cast<std::size_t>(y * side + x) * 3];
            texel[0] = static_cast<std::uint8_t>(40 + x * 3);
            texel[1] = static_cast<std::uint8_t>(y * 4);
            texel[2] = ((x / 8 + y / 8) % 2) ? 230 : 40;
        }
    }
    return image;
}

} // namespace

void prepareScene(SceneKind scene)
{
    deleteList(frameState.objectList);
    deleteList(frameState.skyList);
    settings = Settings{};
    settings.sceneKind = scene;
    if (scene == SceneKind::Teapot)
        settings.divisions = 5;
    settings.bufferMode = GLUT_SINGLE;
    frameState = FrameState{};
    buildObjectList(scene, settings.divisions, true);
    buildSkyList(settings.skyUDivisions, settings.skyVDivisions);
    initRenderState(scene);
    setViewAndProjection(checkSide, checkSide);
    frameState.multiPass = 0;
}

Picture composeAndRead()
{
    composeFrame();
    return readPicture(checkSide, checkSide);
}

void useEnvironmentImage(const PnmImage& image, GLint filter)
{
    if (environmentTexture == 0) {
        setUpEnvironmentTextureImage(image, filter, true);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, environmentTexture);
    uploadEnvironmentImage(image, filter);
    applyTextureFilter(filter);
}

const PnmImage& rampImage()
{
    static const PnmImage image = makeRampImage();
    return image;
}

void startSpin()
{
    frameState.measuredFps = 20.0f;  // steps at their unscaled size
    frameState.spinVelocity[0] = 40.0f;
    frameState.spinVelocity[1] = 25.0f;
}
