#include "render/display_lists.h"

#include <string>

#include "app/program_error.h"
#include "geometry/goblet.h"
#include "geometry/sky.h"
#include "geometry/teapot.h"
#include "render/frame_state.h"

namespace {

constexpr float gobletSize = 4.8f;
constexpr double teapotSize = 4.0;
constexpr float skyRadius = 1000.0f;
constexpr float quadHalfSide = 8.0f;

// The flat square, turned back by the object's initial -60 degree tilt so that
// it starts facing the eye, covering the environment image exactly once.
void drawTexturedQuad()
{
    glRotatef(60.0f, 1.0f, 0.0f, 0.0f);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glBegin(GL_POLYGON);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-quadHalfSide, -quadHalfSide, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(quadHalfSide, -quadHalfSide, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(quadHalfSide, quadHalfSide, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-quadHalfSide, quadHalfSide, 0.0f);
    glEnd();
}

// Geometry says why a shape was not built; the report words it.
void reportUnbuilt(const std::optional<BuildFailure>& failure)
{
    if (!failure)
        return;
    const std::string count = std::to_string(failure->count);
    switch (failure->reason) {
    case BuildFailure::Reason::TooManyCells:
        reportProgramError("Too many divisions: the mesh would need " + count + " cells, at most " +
                           std::to_string(failure->limit) + " are allowed");
    case BuildFailure::Reason::NoMemory:
        reportProgramError("Can't allocate a mesh of " + count + " cells");
    case BuildFailure::Reason::TeapotGrid:
        reportTooMany("divisions for the teapot", failure->count, failure->limit);
    }
}

} // namespace

GLuint allocateListName(GLuint& field)
{
    field = glGenLists(1);
    if (field == 0)
        reportProgramError("Can't allocate Display Lists");
    return field;
}

void buildObjectList(SceneKind scene, int divisions, bool texturing)
{
    glNewList(allocateListName(frameState.objectList), GL_COMPILE);
    switch (scene) {
    case SceneKind::Goblet:
        reportUnbuilt(buildGoblet(divisions, gobletSize, texturing));
        frameState.objectTriangles = gobletTriangles(divisions);
        break;
    case SceneKind::TexturedQuad:
        if (texturing)
            drawTexturedQuad();
        break;
    case SceneKind::Teapot:
        reportUnbuilt(drawTeapot(divisions, teapotSize));
        break;
    }
    glEndList();
}

void buildSkyList(int sectors, int rings)
{
    glNewList(allocateListName(frameState.skyList), GL_COMPILE);
    reportUnbuilt(buildSky(sectors, rings, skyRadius));
    glEndList();
}

void buildDisplayLists(SceneKind scene, int divisions, bool texturing, int skySectors, int skyRings)
{
    buildObjectList(scene, divisions, texturing);
    buildSkyList(skySectors, skyRings);
    allocateListName(frameState.overlayList);
}
