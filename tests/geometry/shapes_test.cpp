// The goblet, sky and teapot data and meshes, without a GL.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <vector>

#include "geometry/goblet.h"
#include "geometry/sky.h"
#include "geometry/teapot.h"
#include "mesh_checks.h"

namespace {

struct Extent {
    float minZ = 1e30f;
    float maxZ = -1e30f;
    float maxRadius = 0.0f;
};

Extent extentOf(const RevolvedMesh& mesh)
{
    Extent e;
    forEachUsedCorner(mesh, [&](int i, int j, int corner) {
        const Vec3 p = mesh.cell(i, j).corners[corner];
        e.minZ = std::min(e.minZ, p.z);
        e.maxZ = std::max(e.maxZ, p.z);
        e.maxRadius = std::max(e.maxRadius, std::hypot(p.x, p.y));
    });
    return e;
}

TEST(Goblet, ProfileRunsFromAxisToAxis)
{
    EXPECT_EQ(gobletProfile.size(), 40u);
    EXPECT_EQ(gobletProfile.front().radius, 0.0f);
    EXPECT_EQ(gobletProfile.back().radius, 0.0f);
    EXPECT_EQ(gobletProfile[11].height, 19.7f);  // top of the lip
    EXPECT_EQ(gobletProfile[16].radius, 14.8f);  // widest
    EXPECT_EQ(gobletProfile[35].height, -19.9f);  // underside of the foot
    for (std::size_t p = 1; p + 1 < gobletProfile.size(); ++p)
        EXPECT_GT(gobletProfile[p].radius, 0.0f) << p;
}

TEST(Goblet, TrianglesAreCountedOnlyWhenSomethingIsDrawn)
{
    EXPECT_EQ(gobletTriangles(16), 1216);
    EXPECT_EQ(gobletTriangles(3), 228);
    EXPECT_EQ(gobletTriangles(1024), 77824);
    EXPECT_EQ(gobletTriangles(2), 0);
    EXPECT_EQ(gobletTriangles(0), 0);
    EXPECT_EQ(gobletTriangles(-7), 0);
    EXPECT_EQ(gobletTriangles(std::numeric_limits<int>::max()), std::numeric_limits<int>::max());
}

TEST(Goblet, EveryVertexCarriesOneNormalInAllItsCells)
{
    for (int divisions : {3, 16}) {
        SCOPED_TRACE(divisions);
        expectSharedVerticesAgree(makeGobletMesh(divisions, 4.8f), 1e-5f);
    }
}

TEST(Goblet, FewerThanThreeDivisionsLeaveNothingToDraw)
{
    for (int divisions : {2, 1, 0, -3}) {
        const RevolvedMesh mesh = makeGobletMesh(divisions, 4.8f);
        EXPECT_EQ(mesh.segmentsAround(), 0) << divisions;
        EXPECT_EQ(mesh.cellCapacity(), std::max(0, divisions * 39)) << divisions;
    }
}

TEST(Sky, DefaultBowlIsAHemisphereWithAnOpenBottom)
{
    const RevolvedMesh mesh = makeSkyMesh(32, 16, 1000.0f);
    EXPECT_EQ(mesh.cellCapacity(), 512);
    EXPECT_EQ(mesh.segmentsAround(), 32);
    EXPECT_EQ(mesh.profilePoints(), 17);
    EXPECT_FALSE(mesh.startPole());
    EXPECT_FALSE(mesh.endPole());

    const Extent e = extentOf(mesh);
    EXPECT_NEAR(e.minZ, -1000.0f, 1e-3f);
    EXPECT_NEAR(e.maxZ, 0.0f, 1e-3f);
    EXPECT_NEAR(e.maxRadius, 1000.0f, 1e-2f);
    for (int i = 0; i < 32; ++i) {
        // The bottom ring: radius 0.1 around (0, 0, -1000), not a point.
        const Vec3 bottom = mesh.cell(i, 0).corners[0];
        EXPECT_NEAR(std::hypot(bottom.x, bottom.y), 0.1f, 1e-4f);
        EXPECT_GT(lengthOf(cross(mesh.cell(i, 0).corners[1] - mesh.cell(i, 0).corners[0],
                                 mesh.cell(i, 0).corners[3] - mesh.cell(i, 0).corners[0])), 0.0f);
    }
    // Normals point into the bowl and towards +z.
    forEachUsedCorner(mesh, [&](int i, int j, int corner) {
        const Vec3 p = mesh.cell(i, j).corners[corner];
        const Vec3 n = mesh.cell(i, j).normals[corner];
        EXPECT_LT(p.x * n.x + p.y * n.y + p.z * n.z, 0.0f);
        EXPECT_GE(n.z, 0.0f);
    });
}

TEST(Sky, DivisionCountsAreClamped)
{
    struct Case {
        int sectors, rings, expectedSectors, expectedPoints;
    };
    for (const Case& c : {Case{2, 16, 3, 17}, Case{-5, 16, 3, 17}, Case{32, 1, 32, 3}, Case{32, 0, 32, 3},
                          Case{32, -9, 32, 3}, Case{4, 500, 4, 128}, Case{4, 127, 4, 128}}) {
        const RevolvedMesh mesh = makeSkyMesh(c.sectors, c.rings, 1000.0f);
        EXPECT_EQ(mesh.segmentsAround(), c.expectedSectors) << c.sectors << " " << c.rings;
        EXPECT_EQ(mesh.profilePoints(), c.expectedPoints) << c.sectors << " " << c.rings;
        EXPECT_EQ(mesh.cellCapacity(), c.expectedSectors * (c.expectedPoints - 1));
    }
    // Two rings: profile points at 0, 45 and 90 degrees.
    const RevolvedMesh two = makeSkyMesh(3, 0, 1.0f);
    EXPECT_NEAR(two.cell(0, 1).corners[0].z, -std::cos(3.14159265f / 4), 1e-6f);
}

TEST(Teapot, ControlPointsAreThePublishedTable)
{
    EXPECT_EQ(teapotPoints.size(), 127u);
    const std::array<float, 3> first[] = {{0.2f, 0.0f, 2.7f}, {0.2f, -0.112f, 2.7f}, {0.112f, -0.2f, 2.7f},
                                          {0.0f, -0.2f, 2.7f}, {1.3375f, 0.0f, 2.53125f}};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(teapotPoints[k], first[k]) << k;
    EXPECT_EQ(teapotPoints[96], (std::array<float, 3>{0.0f, 0.0f, 3.15f}));
    EXPECT_EQ(teapotPoints[118], (std::array<float, 3>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(teapotPoints[126], (std::array<float, 3>{0.84f, -1.5f, 0.075f}));
    for (const auto& patch : teapotPatches)
        for (int index : patch)
            EXPECT_TRUE(index >= 0 && index < 127);
    // The halves and quarters all lie at y <= 0, the quarters also at x >= 0.
    for (int p = 0; p < teapotPatchCount; ++p)
        for (int index : teapotPatches[p]) {
            EXPECT_LE(teapotPoints[index][1], 0.0f);
            if (p < teapotQuarterPatches) {
                EXPECT_GE(teapotPoints[index][0], 0.0f);
            }
        }
}

// Every edge of the 32 surfaces, bar the poles and the open ends (the rim's
// top, the lid's edge, both ends of the handle and of the spout), meets
// another surface's edge with the control net running straight across: a
// point number out of place in a patch breaks an edge or bends the net.
TEST(Teapot, SurfacesJoinTheirNeighboursSmoothly)
{
    const auto grids = teapotControlGrids();
    // Point k along edge e (grid e / 4; first row, last row, first column,
    // last column), on the edge at depth 0 and next to it inside at depth 1.
    const auto point = [&](int e, int k, int depth) {
        const int side = e % 4, line = side % 2 ? 3 - depth : depth;
        const float* p = &grids[e / 4][3 * (side < 2 ? 4 * line + k : 4 * k + line)];
        return Vec3{p[0], p[1], p[2]};
    };
    const auto joins = [&](int a, int b, bool reversed) {
        for (int k = 0; k < 4; ++k) {
            const int kb = reversed ? 3 - k : k;
            const Vec3 on = point(a, k, 0), u = point(a, k, 1) - on, v = point(b, kb, 1) - on;
            if (distance(on, point(b, kb, 0)) != 0.0f)
                return false;
            const bool pole = lengthOf(u) == 0.0f || lengthOf(v) == 0.0f;
            if (!pole && (u.x * v.x + u.y * v.y + u.z * v.z >= 0.0f ||
                          lengthOf(cross(u, v)) > 1e-3f * lengthOf(u) * lengthOf(v)))
                return false;
        }
        return true;
    };
    const std::set<std::pair<int, int>> open{{0, 0}, {4, 1}, {6, 0}, {7, 1}, {8, 0}, {9, 1}};
    int poles = 0;
    for (int a = 0; a < 4 * 32; ++a) {
        const int patch = a < 96 ? a / 16 : 6 + (a - 96) / 8;  // quarters give four grids, halves two
        const Vec3 first = point(a, 0, 0);
        const bool pole = distance(point(a, 1, 0), first) + distance(point(a, 2, 0), first) +
                              distance(point(a, 3, 0), first) == 0.0f;
        poles += pole;
        bool joined = pole || open.count({patch, a % 4});
        for (int b = 0; b < 4 * 32 && !joined; ++b)
            joined = b != a && (joins(a, b, false) || joins(a, b, true));
        EXPECT_TRUE(joined) << "patch " << patch << " grid " << a / 4 << " side " << a % 4;
    }
    EXPECT_EQ(poles, 8);  // the knob's top and the bottom's centre, four grids each
}

} // namespace
