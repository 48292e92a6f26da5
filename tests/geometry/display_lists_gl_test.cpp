// The compiled display lists, read back from the real GL driver.
#include <GL/glut.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "app/settings.h"
#include "geometry/goblet.h"
#include "list_capture.h"
#include "mesh_checks.h"
#include "render/display_lists.h"
#include "render/frame_state.h"
#include "support/gl_test_window.h"

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr float gobletScale = 4.8f * 0.05128205f;

class DisplayLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureGlTestWindow(64, 64, GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        settings = Settings{};
        frameState = FrameState{};
    }

    void TearDown() override
    {
        // What the teapot and quad lists leave switched.
        glDisable(GL_AUTO_NORMAL);
        glDisable(GL_MAP2_VERTEX_3);
    }

    ListCapture captureObject()
    {
        buildObjectList(settings.sceneKind, settings.divisions, settings.texturing != 0);
        EXPECT_NE(frameState.objectList, 0u);
        return captureList(frameState.objectList);
    }

    ListCapture captureSky()
    {
        buildSkyList(settings.skyUDivisions, settings.skyVDivisions);
        EXPECT_NE(frameState.skyList, 0u);
        return captureList(frameState.skyList);
    }
};

bool same(const Vec3& a, const Vec3& b, float tolerance = 1e-5f)
{
    return distance(a, b) <= tolerance;
}

// Whether p is profile point `point` of the goblet (at any angle).
bool onGobletPoint(const Vec3& p, int point)
{
    const ProfilePoint& q = gobletProfile[point];
    return std::fabs(std::hypot(p.x, p.y) - gobletScale * q.radius) < 1e-4f &&
           std::fabs(p.z - gobletScale * q.height) < 1e-4f;
}

// The vertices of triangle t that lie off the axis all sit at one of the
// angles k * step for k in `steps`, and every such angle is used.
void expectAngles(const ListCapture& c, std::size_t t, std::initializer_list<int> steps, int n,
                  const char* where)
{
    const double step = 2 * pi / n;
    std::vector<bool> used(steps.size(), false);
    for (int v = 0; v < 3; ++v) {
        const Vec3& p = c.vertices[3 * t + v].position;
        if (std::hypot(p.x, p.y) < 1e-4f)
            continue;
        bool found = false;
        std::size_t k = 0;
        for (int s : steps) {
            if (angleGap(angleOf(p), s * step) < 1e-4) {
                used[k] = found = true;
            }
            ++k;
        }
        EXPECT_TRUE(found) << where << ": triangle " << t << " vertex " << v << " at angle " << angleOf(p);
    }
    EXPECT_TRUE(std::all_of(used.begin(), used.end(), [](bool u) { return u; })) << where << ": triangle " << t;
}

// The goblet's 39 primitives, triangle by triangle: the start fan around the
// bowl's centre in falling angle, 37 wall strips in rising angle starting from
// -2pi/n, the end fan under the foot in rising angle.
void expectGobletStructure(const ListCapture& c, int n)
{
    ASSERT_EQ(c.triangles(), static_cast<std::size_t>(76 * n));
    std::size_t t = 0;
    for (int k = 0; k < n; ++k, ++t) {
        const Vec3& first = c.vertices[3 * t].position;
        EXPECT_TRUE(same(first, {0.0f, 0.0f, 0.0f})) << "start fan triangle " << k;
        for (int v = 1; v < 3; ++v)
            EXPECT_TRUE(onGobletPoint(c.vertices[3 * t + v].position, 1)) << "start fan triangle " << k;
        expectAngles(c, t, {n - 1 - k, n - 2 - k}, n, "start fan");
    }
    for (int j = 1; j <= 37; ++j) {
        for (int k = 0; k < n; ++k) {
            for (int half = 0; half < 2; ++half, ++t) {
                for (int v = 0; v < 3; ++v) {
                    const Vec3& p = c.vertices[3 * t + v].position;
                    EXPECT_TRUE(onGobletPoint(p, j) || onGobletPoint(p, j + 1)) << "strip " << j << " quad " << k;
                }
                expectAngles(c, t, {k - 1, k}, n, "strip");
            }
        }
    }
    for (int k = 0; k < n; ++k, ++t) {
        const Vec3& first = c.vertices[3 * t].position;
        EXPECT_TRUE(same(first, {0.0f, 0.0f, -18.0f * gobletScale})) << "end fan triangle " << k;
        for (int v = 1; v < 3; ++v)
            EXPECT_TRUE(onGobletPoint(c.vertices[3 * t + v].position, 38)) << "end fan triangle " << k;
        expectAngles(c, t, {k - 1, k}, n, "end fan");
    }
}

TEST_F(DisplayLists, DefaultGobletIsTwoFansAnd37StripsWithNormals)
{
    const ListCapture c = captureObject();
    EXPECT_EQ(c.error, static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(frameState.objectTriangles, 1216);
    EXPECT_EQ(c.triangles(), 1216u);
    // 2 fans of 18 and 37 strips of 34 vertices.
    EXPECT_EQ(c.verticesSubmitted, 2u * 18 + 37u * 34);
    expectGobletStructure(c, 16);

    // The fans start at the poles with the straight up and down normals.
    EXPECT_TRUE(same(c.vertices.front().normal, {0.0f, 0.0f, 1.0f}, 0.0f));
    const CapturedVertex& endPole = c.vertices[3 * (16 + 37 * 32)];
    EXPECT_NEAR(endPole.position.z, -4.431f, 1e-3f);
    EXPECT_TRUE(same(endPole.normal, {0.0f, 0.0f, -1.0f}, 0.0f));
    for (const CapturedVertex& v : c.vertices) {
        EXPECT_NEAR(lengthOf(v.normal), 1.0f, 1e-5f);
        EXPECT_EQ(v.texCoord, markerTexCoord);  // no texture coordinates in the list
    }
}

TEST_F(DisplayLists, GobletExtent)
{
    const ListCapture c = captureObject();
    float minZ = 1e9f, maxZ = -1e9f, maxRadius = 0.0f;
    for (const CapturedVertex& v : c.vertices) {
        minZ = std::min(minZ, v.position.z);
        maxZ = std::max(maxZ, v.position.z);
        maxRadius = std::max(maxRadius, std::hypot(v.position.x, v.position.y));
    }
    EXPECT_NEAR(minZ, -4.898f, 1e-3f);
    EXPECT_NEAR(maxZ, 4.849f, 1e-3f);
    EXPECT_NEAR(maxRadius, 3.643f, 1e-3f);
}

TEST_F(DisplayLists, SharedGobletVerticesCarryOneNormal)
{
    const ListCapture c = captureObject();
    for (std::size_t a = 0; a < c.vertices.size(); ++a)
        for (std::size_t b = a + 1; b < c.vertices.size(); ++b)
            if (same(c.vertices[a].position, c.vertices[b].position)) {
                ASSERT_TRUE(same(c.vertices[a].normal, c.vertices[b].normal))
                    << "vertices " << a << " and " << b;
            }
}

TEST_F(DisplayLists, ThreeDivisionGoblet)
{
    settings.divisions = 3;
    const ListCapture c = captureObject();
    EXPECT_EQ(frameState.objectTriangles, 228);
    EXPECT_EQ(c.verticesSubmitted, 2u * 5 + 37u * 8);
    expectGobletStructure(c, 3);
}

TEST_F(DisplayLists, WithoutTexturingTheGobletHasTheSameVerticesAndNoNormals)
{
    const ListCapture withNormals = captureObject();
    settings.texturing = 0;
    const ListCapture without = captureObject();
    ASSERT_EQ(without.vertices.size(), withNormals.vertices.size());
    EXPECT_EQ(without.verticesSubmitted, withNormals.verticesSubmitted);
    for (std::size_t v = 0; v < without.vertices.size(); ++v) {
        ASSERT_TRUE(same(without.vertices[v].position, withNormals.vertices[v].position, 0.0f)) << v;
        ASSERT_TRUE(same(without.vertices[v].normal, markerNormal, 0.0f)) << v;
    }
    EXPECT_EQ(frameState.objectTriangles, 1216);
}

TEST_F(DisplayLists, FewerThanThreeDivisionsDrawAndCountNothing)
{
    for (int divisions : {2, 1, 0, -4}) {
        settings.divisions = divisions;
        frameState.objectTriangles = -1;
        const ListCapture c = captureObject();
        EXPECT_EQ(c.verticesSubmitted, 0u) << divisions;
        EXPECT_EQ(c.triangles(), 0u) << divisions;
        EXPECT_EQ(frameState.objectTriangles, 0) << divisions;
    }
}

TEST_F(DisplayLists, TriangleBenchmarkGoblet)
{
    settings.divisions = 1024;
    settings.texturing = 0;
    const ListCapture c = captureObject();
    EXPECT_EQ(frameState.objectTriangles, 77824);
    // No vertex count here: Mesa splits a list this long across its vertex
    // stores and repeats the vertices a strip needs to carry on.
    expectGobletStructure(c, 1024);
    EXPECT_TRUE(std::all_of(c.vertices.begin(), c.vertices.end(),
                            [](const CapturedVertex& v) { return same(v.normal, markerNormal, 0.0f); }));
}

// Whether p is ring `ring` of the default sky bowl (radius 1000, 16 rings).
bool onSkyRing(const Vec3& p, int ring)
{
    const double alpha = ring * (90.0 / 16) * pi / 180;
    const double radius = ring == 0 ? 0.1 : 1000 * std::sin(alpha);
    return std::fabs(std::hypot(p.x, p.y) - radius) < 1e-2 && std::fabs(p.z + 1000 * std::cos(alpha)) < 1e-2;
}

TEST_F(DisplayLists, DefaultSkyIs16StripsOfTexturedQuads)
{
    const ListCapture c = captureSky();
    EXPECT_EQ(c.verticesSubmitted, 16u * 66);
    ASSERT_EQ(c.triangles(), 1024u);
    std::size_t t = 0;
    for (int j = 0; j < 16; ++j)
        for (int k = 0; k < 32; ++k)
            for (int half = 0; half < 2; ++half, ++t) {
                for (int v = 0; v < 3; ++v) {
                    const Vec3& p = c.vertices[3 * t + v].position;
                    EXPECT_TRUE(onSkyRing(p, j) || onSkyRing(p, j + 1)) << "strip " << j << " quad " << k;
                }
                expectAngles(c, t, {k - 1, k}, 32, "sky strip");
            }

    float farthest = 0.0f;
    for (const CapturedVertex& v : c.vertices) {
        EXPECT_TRUE(same(v.normal, markerNormal, 0.0f));  // no normals in the list
        EXPECT_EQ(v.texCoord[2], 0.0f);                    // glTexCoord2fv: r = 0, q = 1
        EXPECT_EQ(v.texCoord[3], 1.0f);
        farthest = std::max(farthest, std::hypot(v.texCoord[0] - 0.5f, v.texCoord[1] - 0.5f));
        if (onSkyRing(v.position, 16) && angleGap(angleOf(v.position), 0.0) < 1e-6) {
            EXPECT_NEAR(v.texCoord[0], 0.5f, 1e-4f);
            EXPECT_NEAR(v.texCoord[1], 0.155f, 1e-3f);
        }
    }
    EXPECT_LT(farthest, 0.354f);
    EXPECT_GT(farthest, 0.34f);
}

TEST_F(DisplayLists, SkyDivisionsAreClamped)
{
    settings.skyUDivisions = 2;
    settings.skyVDivisions = 16;
    EXPECT_EQ(captureSky().verticesSubmitted, 16u * 8);
    settings.skyUDivisions = 4;
    settings.skyVDivisions = 500;
    EXPECT_EQ(captureSky().verticesSubmitted, 127u * 10);
    settings.skyVDivisions = -1;
    EXPECT_EQ(captureSky().verticesSubmitted, 2u * 10);
}

TEST_F(DisplayLists, TeapotIs32SurfacesOfGridSquaredQuads)
{
    settings.sceneKind = SceneKind::Teapot;
    settings.divisions = 5;
    const ListCapture c = captureObject();
    EXPECT_EQ(frameState.objectTriangles, 0);
    EXPECT_EQ(c.triangles(), 2u * 32 * 25);
    // glEvalMesh2 fills each surface with one quad strip per row.
    EXPECT_EQ(c.verticesSubmitted, 32u * 5 * 12);
    EXPECT_TRUE(glIsEnabled(GL_AUTO_NORMAL));
    EXPECT_TRUE(glIsEnabled(GL_MAP2_VERTEX_3));

    Vec3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
    for (const CapturedVertex& v : c.vertices) {
        low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z)};
        high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y), std::max(high.z, v.position.z)};
        EXPECT_FALSE(same(v.normal, markerNormal, 0.0f));  // the GL made a normal for it
    }
    // Upright and doubled: the data's z from 0 to 3.15, lowered by 1.5, along +y.
    EXPECT_NEAR(low.y, -3.0f, 1e-4f);
    EXPECT_NEAR(high.y, 3.3f, 1e-4f);
    // Handle along -x, out to the data's -3; the spout along +x, past its tip's
    // corners at 3.2 but inside their control hull (3.525).
    EXPECT_NEAR(low.x, -6.0f, 1e-4f);
    EXPECT_GT(high.x, 6.4f);
    EXPECT_LT(high.x, 7.05f);
    // Front to back: the body's widest radius, 2, doubled, mirrored about z = 0.
    EXPECT_NEAR(low.z, -4.0f, 1e-4f);
    EXPECT_NEAR(high.z, 4.0f, 1e-4f);
}

TEST_F(DisplayLists, TeapotWithoutGridDrawsNothing)
{
    settings.sceneKind = SceneKind::Teapot;
    for (int divisions : {0, -3}) {
        settings.divisions = divisions;
        const ListCapture c = captureObject();
        EXPECT_EQ(c.triangles(), 0u) << divisions;
        EXPECT_EQ(c.verticesSubmitted, 0u) << divisions;
        EXPECT_EQ(c.error, static_cast<GLenum>(GL_INVALID_VALUE)) << divisions;  // the grid is refused
    }
}

TEST_F(DisplayLists, TexturedQuadFacesTheEyeAfterTheTilt)
{
    settings.sceneKind = SceneKind::TexturedQuad;
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    const ListCapture c = captureObject();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_EQ(c.verticesSubmitted, 4u);
    ASSERT_EQ(c.triangles(), 2u);
    EXPECT_EQ(frameState.objectTriangles, 0);

    // Each corner of the square, turned 60 degrees about x, with its texture corner.
    const float cosine = 0.5f, sine = std::sqrt(3.0f) / 2;
    int corners = 0;
    for (const auto& [x, y, s, t] : {std::array<float, 4>{-8, -8, 0, 0}, std::array<float, 4>{8, -8, 1, 0},
                                     std::array<float, 4>{8, 8, 1, 1}, std::array<float, 4>{-8, 8, 0, 1}}) {
        const Vec3 expected{x, y * cosine, y * sine};
        for (const CapturedVertex& v : c.vertices) {
            if (!same(v.position, expected, 1e-4f))
                continue;
            ++corners;
            EXPECT_EQ(v.texCoord[0], s);
            EXPECT_EQ(v.texCoord[1], t);
            EXPECT_TRUE(same(v.normal, markerNormal, 0.0f));
            break;
        }
    }
    EXPECT_EQ(corners, 4);
}

TEST_F(DisplayLists, UntexturedQuadSceneCompilesAnEmptyList)
{
    settings.sceneKind = SceneKind::TexturedQuad;
    settings.texturing = 0;
    glEnable(GL_TEXTURE_GEN_S);
    const ListCapture c = captureObject();
    EXPECT_NE(frameState.objectList, 0u);
    EXPECT_EQ(c.verticesSubmitted, 0u);
    EXPECT_EQ(c.triangles(), 0u);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));  // not even the state changes run
    glDisable(GL_TEXTURE_GEN_S);
}

TEST_F(DisplayLists, BuildAllocatesObjectSkyAndOverlayNamesInOrder)
{
    buildDisplayLists(settings.sceneKind, settings.divisions, true, settings.skyUDivisions, settings.skyVDivisions);
    EXPECT_NE(frameState.objectList, 0u);
    EXPECT_GT(frameState.skyList, frameState.objectList);
    EXPECT_GT(frameState.overlayList, frameState.skyList);
    EXPECT_EQ(frameState.objectTriangles, 1216);
    EXPECT_EQ(captureList(frameState.objectList).triangles(), 1216u);
    EXPECT_EQ(captureList(frameState.skyList).triangles(), 1024u);
    EXPECT_EQ(captureList(frameState.overlayList).verticesSubmitted, 0u);

    GLuint field = 0;
    const GLuint name = allocateListName(field);
    EXPECT_EQ(name, field);
    EXPECT_GT(name, frameState.overlayList);
}

} // namespace
