#include "validation/face_check.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <string>

#include "app/settings.h"
#include "render/frame_state.h"
#include "validation/check_scene.h"

namespace {

// Each view turns the object by an angle about an axis. The last, looking
// into the teapot's top, is the goblet's only: the inside of the teapot's
// rim shows round its lid.
constexpr std::array<float, 3> views[] = {{0, 1, 0}, {180, 1, 0}, {270, 1, 0}, {90, 0, 1}, {270, 0, 1}, {90, 1, 0}};

// An object seen from any side covers more than this.
constexpr int fewestObjectPixels = checkSide * checkSide / 100;

// Two-sided lighting with nothing but emission: the side a pixel shows
// decides its colour, whatever the normals.
void colourFacesBySide()
{
    const GLfloat none[] = {0.0f, 0.0f, 0.0f, 1.0f}, white[] = {1.0f, 1.0f, 1.0f, 1.0f},
                  red[] = {1.0f, 0.0f, 0.0f, 1.0f};
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, none);
    glMaterialfv(GL_FRONT, GL_EMISSION, white);
    glMaterialfv(GL_BACK, GL_EMISSION, red);
}

struct SceneFaces {
    int back = 0;
    int fewestFront = checkSide * checkSide;  // in the view that showed least
};

SceneFaces objectFaces(SceneKind scene)
{
    prepareScene(scene);
    settings.texturing = 0;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    colourFacesBySide();
    SceneFaces seen;
    const int viewCount = scene == SceneKind::Teapot ? 5 : 6;
    for (int v = 0; v < viewCount; ++v) {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glRotatef(views[v][0], views[v][1], views[v][2], 0.0f);
        glGetFloatv(GL_MODELVIEW_MATRIX, frameState.objectOrientation);
        glPopMatrix();
        const FacesSeen faces = facesSeen(composeAndRead());
        seen.back += faces.back;
        seen.fewestFront = std::min(seen.fewestFront, faces.front);
    }
    glPopAttrib();
    return seen;
}

FacesSeen skyFaces()
{
    prepareScene(SceneKind::Goblet);
    settings.texturing = 0;
    settings.showSky = 1;
    settings.showObject = 0;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    colourFacesBySide();
    const FacesSeen seen = facesSeen(composeAndRead());
    glPopAttrib();
    return seen;
}

} // namespace

FacesSeen facesSeen(const Picture& picture)
{
    FacesSeen seen;
    for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
        const bool red = picture.rgb[i] == 255;
        const bool green = picture.rgb[i + 1] == 255;
        seen.front += red && green;
        seen.back += red && picture.rgb[i + 1] == 0;
        seen.neither += !(red && (green || picture.rgb[i + 1] == 0));
    }
    return seen;
}

CheckResult checkFaces()
{
    const SceneFaces goblet = objectFaces(SceneKind::Goblet);
    const SceneFaces teapot = objectFaces(SceneKind::Teapot);
    const FacesSeen sky = skyFaces();
    std::string text = "faces back-face pixels goblet=" + std::to_string(goblet.back) +
                       " teapot=" + std::to_string(teapot.back) + " sky=" + std::to_string(sky.back);
    const bool noBack = goblet.back == 0 && teapot.back == 0 && sky.back == 0;
    const bool allSeen = goblet.fewestFront > fewestObjectPixels && teapot.fewestFront > fewestObjectPixels &&
                         sky.neither == 0;
    if (!allSeen) {
        text += "; front-face pixels in the emptiest view goblet=" + std::to_string(goblet.fewestFront) +
                " teapot=" + std::to_string(teapot.fewestFront) + ", sky leaves " + std::to_string(sky.neither) +
                " pixels uncovered";
    }
    return {noBack && allSeen ? Outcome::Pass : Outcome::Fail, text};
}
