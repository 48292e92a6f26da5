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

TEST(Goblet, DefaultMeshHasPolesExtentAndUpDownPoleNormals)
{
    const RevolvedMesh mesh = makeGobletMesh(16, 4.8f);
    EXPECT_EQ(mesh.cellCapacity(), 16 * 39);
    EXPECT_EQ(mesh.segmentsAround(), 16);
    EXPECT_EQ(mesh.profilePoints(), 40);
    EXPECT_TRUE(mesh.startPole());
    EXPECT_TRUE(mesh.endPole());

    const Extent e = extentOf(mesh);
    EXPECT_NEAR(e.minZ, -4.898f, 1e-3f);
    EXPECT_NEAR(e.maxZ, 4.849f, 1e-3f);
    EXPECT_NEAR(e.maxRadius, 3.643f, 1e-3f);

    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(distance(mesh.cell(i, 0).corners[0], {0.0f, 0.0f, 0.0f}), 0.0f);
        EXPECT_EQ(distance(mesh.cell(i, 0).normals[0], {0.0f, 0.0f, 1.0f}), 0.0f);
        EXPECT_NEAR(mesh.cell(i, 38).corners[1].z, -4.431f, 1e-3f);
        EXPECT_EQ(distance(mesh.cell(i, 38).normals[1], {0.0f, 0.0f, -1.0f}), 0.0f);
    }
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

TEST(Sky, TextureCoordinatesStayInsideTheSphereMap)
{
    const RevolvedMesh mesh = makeSkyMesh(32, 16, 1000.0f);
    float farthest = 0.0f;
    forEachUsedCorner(mesh, [&](int i, int j, int corner) {
        const Vec3 st = sphereMapCoords(mesh.cell(i, j).normals[corner]);
        farthest = std::max(farthest, std::hypot(st.x - 0.5f, st.y - 0.5f));
        if (j == 0 && corner == 0) {
            EXPECT_NEAR(std::hypot(st.x - 0.5f, st.y - 0.5f), 0.012f, 1e-3f);
        }
    });
    EXPECT_LT(farthest, 0.354f);
    EXPECT_NEAR(farthest, 0.345f, 2e-3f);

    // The rim point on +y.
    const Vec3 rim = mesh.cell(0, 15).corners[1];
    ASSERT_NEAR(rim.y, 1000.0f, 1e-2f);
    const Vec3 n = mesh.cell(0, 15).normals[1];
    EXPECT_NEAR(n.x, 0.0f, 1e-5f);
    EXPECT_NEAR(n.y, -0.9988f, 1e-4f);
    EXPECT_NEAR(n.z, 0.0491f, 1e-4f);
    const Vec3 st = sphereMapCoords(n);
    EXPECT_NEAR(st.x, 0.5f, 1e-5f);
    EXPECT_NEAR(st.y, 0.155f, 1e-3f);
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

// Every mirrored copy of a body patch must face the same way (outwards), or
// half the pot would be inside out.
TEST(Teapot, MirroredSurfacesKeepTheirOrientation)
{
    const auto grids = teapotControlGrids();
    const auto at = [](const TeapotControlGrid& g, int row, int column) {
        const float* p = &g[(4 * row + column) * 3];
        return Vec3{p[0], p[1], p[2]};
    };
    // Patches 1 and 2 (upper and lower body) are grids 4-7 and 8-11.
    const auto facing = [&](const TeapotControlGrid& grid) {
        const Vec3 centre = at(grid, 1, 1);
        const Vec3 n = cross(at(grid, 1, 2) - centre, at(grid, 2, 1) - centre);
        return n.x * centre.x + n.y * centre.y;  // > 0: u x v points away from the axis
    };
    const float first = facing(grids[4]);
    EXPECT_NE(first, 0.0f);
    for (int g = 5; g < 12; ++g)
        EXPECT_GT(facing(grids[g]) * first, 0.0f) << "grid " << g;
    // The mirror images cover all four quadrants of the body.
    std::set<int> quadrants;
    for (int g = 4; g < 8; ++g) {
        const Vec3 centre = at(grids[g], 1, 1);
        quadrants.insert(std::signbit(centre.x) * 2 + std::signbit(centre.y));
    }
    EXPECT_EQ(quadrants.size(), 4u);
    // The handle and spout (patches 6-9) give two grids each: 6 x 4 + 4 x 2.
    EXPECT_EQ(grids.size(), 32u);
    EXPECT_EQ(at(grids[24], 0, 0).y, teapotPoints[41][1]);
    EXPECT_EQ(at(grids[25], 0, 3).y, -teapotPoints[41][1]);
}

} // namespace
