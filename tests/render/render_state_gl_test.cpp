#include <cmath>

#include "render/projection.h"
#include "render_gl_fixture.h"

namespace {

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

class RenderState : public RenderGl {};

TEST_F(RenderState, FixedStateForTheGoblet)
{
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    GLint polygonMode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    EXPECT_EQ(polygonMode[0], GL_FILL);
    EXPECT_EQ(polygonMode[1], GL_FILL);
    float clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.0f);
    EXPECT_FLOAT_EQ(clear[1], 0.4f);
    EXPECT_FLOAT_EQ(clear[2], 1.0f);
    EXPECT_FLOAT_EQ(clear[3], 1.0f);
    float depth = 0.0f;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);

    // Tilted by -60 degrees about x: +y of the object leans away from the eye.
    const float* m = frameState.objectOrientation;
    const float expected[16] = {1, 0, 0, 0, 0, 0.5f, -0.8660254f, 0, 0, 0.8660254f, 0.5f, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-6f) << i;
}

TEST(RenderStateTeapot, ClockwiseFrontFacesAndNoCulling)
{
    ensureGlTestWindow(64, 64, GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // As in a fresh context: earlier cases in this process may have enabled it.
    glDisable(GL_CULL_FACE);
    initRenderState(SceneKind::Teapot);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
}

TEST_F(RenderState, ReshapeFollowsTheWindow)
{
    reshape(640, 480);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_NEAR(frameState.fieldOfViewY, 44.411, 5e-4);
    EXPECT_DOUBLE_EQ(frameState.aspectRatio, 640.0 / 480.0);
    EXPECT_EQ(settings.windowWidth, 640);
    EXPECT_EQ(settings.windowHeight, 480);
    EXPECT_FLOAT_EQ(frameState.overlayX, -0.9f);
    EXPECT_NEAR(frameState.overlayY, 0.876563f, 1e-6f);
    EXPECT_FLOAT_EQ(frameState.overlayZ, 0.0f);

    // The projection of the object: near 5, far 30, the field of view above.
    float p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    const double f = 1.0 / std::tan(frameState.fieldOfViewY * M_PI / 360.0);
    EXPECT_NEAR(p[5], f, 1e-5);
    EXPECT_NEAR(p[0], f * 480.0 / 640.0, 1e-5);
    EXPECT_NEAR(p[10], -35.0 / 25.0, 1e-5);
    EXPECT_NEAR(p[14], -300.0 / 25.0, 1e-5);
    // The eye at the origin looking down -z: the look-at is the identity.
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(mv[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
}

TEST_F(RenderState, EmptyWindowKeepsTheLastProjection)
{
    reshape(640, 480);
    float before[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    for (auto size : {std::pair{0, 480}, std::pair{640, 0}, std::pair{0, 0}}) {
        reshape(size.first, size.second);
        float after[16];
        glGetFloatv(GL_PROJECTION_MATRIX, after);
        for (int i = 0; i < 16; ++i) {
            EXPECT_TRUE(std::isfinite(after[i]));
            EXPECT_FLOAT_EQ(after[i], before[i]) << i;
        }
        EXPECT_NEAR(frameState.fieldOfViewY, 44.411, 5e-4);
        EXPECT_DOUBLE_EQ(frameState.aspectRatio, 640.0 / 480.0);
        EXPECT_FLOAT_EQ(frameState.overlayY, overlayBaselineFor(640));
        EXPECT_EQ(settings.windowWidth, 640);
        EXPECT_EQ(settings.windowHeight, 480);
    }
}

} // namespace
