#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "geometry/revolved_mesh.h"
#include "mesh_checks.h"

namespace {

constexpr double pi = 3.14159265358979323846;

void fillWithMarker(RevolvedMesh& mesh)
{
    const float marker = -12345.0f;
    float* floats = reinterpret_cast<float*>(mesh.cells());
    for (int k = 0; k < mesh.cellCapacity() * 27; ++k)
        floats[k] = marker;
}

bool isMarker(const Vec3& v)
{
    return v.x == -12345.0f && v.y == -12345.0f && v.z == -12345.0f;
}

TEST(RevolvedMesh, ConstructionAllocatesButRevolvesNothing)
{
    const RevolvedMesh mesh(24);
    EXPECT_EQ(mesh.cellCapacity(), 24);
    EXPECT_NE(mesh.cells(), nullptr);
    EXPECT_EQ(mesh.segmentsAround(), 0);
    EXPECT_EQ(mesh.profilePoints(), 0);
    EXPECT_FALSE(mesh.startPole());
    EXPECT_FALSE(mesh.endPole());

    const RevolvedMesh negative(-5);
    EXPECT_EQ(negative.cellCapacity(), 0);
}

TEST(RevolvedMesh, CellCountsAreComputedIn64Bits)
{
    EXPECT_EQ(meshCellCount(16, 39), 624);
    EXPECT_EQ(meshCellCount(100000000, 39), 3900000000LL);
    EXPECT_EQ(meshCellCount(std::numeric_limits<int>::max(), 127),
              std::int64_t{std::numeric_limits<int>::max()} * 127);
    EXPECT_EQ(meshCellCount(-3, 39), 0);
    EXPECT_EQ(meshCellCount(3, -1), 0);
    // The bound keeps every cell index and 76 triangles per goblet division in int.
    EXPECT_LE(maxMeshCells, std::numeric_limits<int>::max());
    EXPECT_LE(maxMeshCells / 39 * 76, std::numeric_limits<int>::max());
}

TEST(RevolvedMesh, TooFewSectorsOrPointsLeaveTheMeshAsConstructed)
{
    const ProfilePoint profile[] = {{1.0f, 0.0f}, {1.0f, 1.0f}};
    for (const auto& [sectors, points] : {std::pair{2, 2}, std::pair{0, 2}, std::pair{-4, 2},
                                          std::pair{3, 1}, std::pair{8, 0}}) {
        RevolvedMesh mesh(16);
        fillWithMarker(mesh);
        mesh.revolve(sectors, points, profile, 1.0f, 1.0f, 1.0f);
        mesh.smoothNormals();
        EXPECT_EQ(mesh.segmentsAround(), 0);
        EXPECT_EQ(mesh.profilePoints(), 0);
        EXPECT_FALSE(mesh.startPole());
        for (int k = 0; k < 16; ++k)
            EXPECT_TRUE(isMarker(mesh.cells()[k].corners[0]) && isMarker(mesh.cells()[k].faceNormal));
    }
}

TEST(RevolvedMesh, TooFewCellsForTheGridLeaveTheMeshAsConstructed)
{
    const ProfilePoint profile[] = {{1.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 2.0f}};
    RevolvedMesh mesh(5);  // 3 sectors x 2 segments need 6
    fillWithMarker(mesh);
    mesh.revolve(3, 3, profile, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(mesh.segmentsAround(), 0);
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(isMarker(mesh.cells()[k].corners[0]));
}

TEST(RevolvedMesh, TwoPointProfileGivesOneQuadPerSector)
{
    const ProfilePoint profile[] = {{2.0f, 1.0f}, {2.0f, 3.0f}};
    RevolvedMesh mesh(3);
    mesh.revolve(3, 2, profile, 1.0f, 1.0f, 1.0f);
    ASSERT_EQ(mesh.segmentsAround(), 3);
    ASSERT_EQ(mesh.profilePoints(), 2);
    EXPECT_FALSE(mesh.startPole());
    EXPECT_FALSE(mesh.endPole());

    // Sector 0: corners 0 and 1 at angle 0 (on +y), corners 2 and 3 at -120 degrees.
    const MeshCell& first = mesh.cell(0, 0);
    const double back = -2.0 * pi / 3.0;
    const Vec3 expected[4] = {{0.0f, 2.0f, 1.0f},
                              {0.0f, 2.0f, 3.0f},
                              {static_cast<float>(2 * std::sin(back)), static_cast<float>(2 * std::cos(back)), 3.0f},
                              {static_cast<float>(2 * std::sin(back)), static_cast<float>(2 * std::cos(back)), 1.0f}};
    for (int corner = 0; corner < 4; ++corner)
        EXPECT_LT(distance(first.corners[corner], expected[corner]), 1e-6f) << "corner " << corner;

    // Sector k's A side lies at k * 120 degrees and its B side at the previous angle.
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(angleGap(angleOf(mesh.cell(k, 0).corners[0]), k * 2 * pi / 3), 0.0, 1e-6);
        EXPECT_NEAR(angleGap(angleOf(mesh.cell(k, 0).corners[3]), (k - 1) * 2 * pi / 3), 0.0, 1e-6);
    }
}

TEST(RevolvedMesh, ScalesApplyPerAxisAndAnglesGrowTowardsPlusX)
{
    const ProfilePoint profile[] = {{1.0f, 2.0f}, {1.0f, 4.0f}};
    RevolvedMesh mesh(4);
    mesh.revolve(4, 2, profile, 2.0f, 3.0f, 5.0f);
    // Sector 1 starts a quarter turn round: on +x.
    const Vec3 quarter = mesh.cell(1, 0).corners[0];
    EXPECT_NEAR(quarter.x, 2.0f, 1e-6f);
    EXPECT_NEAR(quarter.y, 0.0f, 1e-6f);
    EXPECT_EQ(quarter.z, 10.0f);
    const Vec3 start = mesh.cell(0, 0).corners[1];
    EXPECT_NEAR(start.x, 0.0f, 1e-6f);
    EXPECT_NEAR(start.y, 3.0f, 1e-6f);
    EXPECT_EQ(start.z, 20.0f);
}

TEST(RevolvedMesh, ZeroRadiusMakesPolesAndTrianglesButATinyRadiusDoesNot)
{
    const ProfilePoint poled[] = {{0.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 2.0f}, {0.0f, 3.0f}};
    RevolvedMesh mesh(4 * 3);
    fillWithMarker(mesh);
    mesh.revolve(4, 4, poled, 1.0f, 1.0f, 1.0f);
    mesh.smoothNormals();
    EXPECT_TRUE(mesh.startPole());
    EXPECT_TRUE(mesh.endPole());
    for (int i = 0; i < 4; ++i) {
        const MeshCell& start = mesh.cell(i, 0);
        EXPECT_EQ(lengthOf(start.corners[0]), 0.0f);  // the pole itself
        EXPECT_TRUE(isMarker(start.corners[3]));
        EXPECT_TRUE(isMarker(start.normals[3]));  // not even smoothing writes it
        const MeshCell& end = mesh.cell(i, 2);
        EXPECT_LT(distance(end.corners[1], {0.0f, 0.0f, 3.0f}), 1e-7f);  // the end pole is corner 1
        EXPECT_TRUE(isMarker(end.corners[3]));
        EXPECT_FALSE(isMarker(mesh.cell(i, 1).corners[3]));  // the middle is a quad
    }

    ProfilePoint nearAxis[] = {{0.0001f, 0.0f}, {1.0f, 1.0f}, {1.0f, 2.0f}, {0.0001f, 3.0f}};
    RevolvedMesh open(4 * 3);
    fillWithMarker(open);
    open.revolve(4, 4, nearAxis, 1.0f, 1.0f, 1.0f);
    EXPECT_FALSE(open.startPole());
    EXPECT_FALSE(open.endPole());
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(isMarker(open.cell(i, 0).corners[3]));
        EXPECT_GT(distance(open.cell(i, 0).corners[0], open.cell(i, 0).corners[3]), 0.0f);
    }
}

// The face normal is the profile's direction of travel turned a quarter turn
// anticlockwise in the (radius, height) half-plane.
TEST(RevolvedMesh, FaceNormalsTurnTheProfileDirectionAQuarterTurn)
{
    // Up, outwards, down, inwards.
    const ProfilePoint square[] = {{1.0f, 0.0f}, {1.0f, 1.0f}, {2.0f, 1.0f}, {2.0f, 0.0f}, {1.0f, 0.0f}};
    const int sectors = 64;
    RevolvedMesh mesh(sectors * 4);
    mesh.revolve(sectors, 5, square, 1.0f, 1.0f, 1.0f);
    for (int i = 0; i < sectors; ++i) {
        const double middle = (i - 0.5) * 2 * pi / sectors;
        const Vec3 outward{static_cast<float>(std::sin(middle)), static_cast<float>(std::cos(middle)), 0.0f};
        const auto radialPart = [&](const Vec3& n) { return n.x * outward.x + n.y * outward.y; };
        const Vec3 up = mesh.cell(i, 0).faceNormal;
        const Vec3 out = mesh.cell(i, 1).faceNormal;
        const Vec3 down = mesh.cell(i, 2).faceNormal;
        const Vec3 in = mesh.cell(i, 3).faceNormal;
        EXPECT_NEAR(radialPart(up), -1.0f, 1e-3f);  // at the axis
        EXPECT_NEAR(out.z, 1.0f, 1e-6f);
        EXPECT_NEAR(radialPart(down), 1.0f, 1e-3f);  // away from the axis
        EXPECT_NEAR(in.z, -1.0f, 1e-6f);
    }
}

// A profile of no length: the smoothed normals are zero, never NaN.
TEST(RevolvedMesh, DegenerateCellsGetZeroNormals)
{
    const Vec3 zero{0.0f, 0.0f, 0.0f};
    const ProfilePoint flat[] = {{1.0f, 0.0f}, {1.0f, 0.0f}};
    RevolvedMesh line(3);
    line.revolve(3, 2, flat, 1.0f, 1.0f, 1.0f);
    line.smoothNormals();
    forEachUsedCorner(line, [&](int i, int j, int corner) {
        EXPECT_EQ(distance(line.cell(i, j).normals[corner], zero), 0.0f);
    });
}

TEST(RevolvedMesh, SmoothedNormalsOfACylinderPointAtTheAxis)
{
    const ProfilePoint profile[] = {{1.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 2.0f}};
    const int sectors = 7;
    RevolvedMesh mesh(sectors * 2);
    mesh.revolve(sectors, 3, profile, 1.0f, 1.0f, 1.0f);
    mesh.smoothNormals();
    forEachUsedCorner(mesh, [&](int i, int j, int corner) {
        const Vec3 p = mesh.cell(i, j).corners[corner];
        const Vec3 n = mesh.cell(i, j).normals[corner];
        // By symmetry the faces on either side of a vertex average to -radial.
        EXPECT_NEAR(n.x, -p.x, 1e-5f);
        EXPECT_NEAR(n.y, -p.y, 1e-5f);
        EXPECT_NEAR(n.z, 0.0f, 1e-6f);
    });
}

TEST(RevolvedMesh, SmoothedNormalsAreUnitAndAgreeAtSharedVertices)
{
    // A wavy open profile with no symmetry in height.
    const ProfilePoint profile[] = {{0.5f, -2.0f}, {1.5f, -1.0f}, {1.0f, 0.0f}, {2.0f, 0.5f}, {1.2f, 2.0f}};
    for (int sectors : {3, 4, 9}) {
        RevolvedMesh mesh(sectors * 4);
        mesh.revolve(sectors, 5, profile, 1.0f, 1.0f, 1.0f);
        mesh.smoothNormals();
        forEachUsedCorner(mesh, [&](int i, int j, int corner) {
            EXPECT_NEAR(lengthOf(mesh.cell(i, j).normals[corner]), 1.0f, 1e-5f);
        });
        expectSharedVerticesAgree(mesh, 1e-5f);
    }
}

// Sector 0's B side is the same vertex as the last sector's A side: the wrap
// must give both the same neighbours.
TEST(RevolvedMesh, SectorZeroNeighboursWrapToTheLastSector)
{
    const ProfilePoint profile[] = {{1.0f, 0.0f}, {2.0f, 1.0f}, {1.0f, 2.0f}};
    const int sectors = 5;
    RevolvedMesh mesh(sectors * 2);
    mesh.revolve(sectors, 3, profile, 1.0f, 1.0f, 1.0f);
    mesh.smoothNormals();
    for (int j = 0; j < 2; ++j) {
        const MeshCell& first = mesh.cell(0, j);
        const MeshCell& last = mesh.cell(sectors - 1, j);
        EXPECT_LT(distance(first.corners[3], last.corners[0]), 1e-6f);
        EXPECT_LT(distance(first.normals[3], last.normals[0]), 1e-6f);
        EXPECT_LT(distance(first.normals[2], last.normals[1]), 1e-6f);
        // Sector 1's B side lies at angle 0; turned back one sector it must
        // match sector 0's, as every sector is a turned copy of the others.
        const double turn = -2 * pi / sectors;
        const Vec3 n = mesh.cell(1, j).normals[3];
        const Vec3 rotated{static_cast<float>(n.x * std::cos(turn) + n.y * std::sin(turn)),
                           static_cast<float>(-n.x * std::sin(turn) + n.y * std::cos(turn)), n.z};
        EXPECT_LT(distance(first.normals[3], rotated), 1e-5f);
    }
}

TEST(RevolvedMesh, PoleNormalsSumOnlyTheCellAndItsTwoNeighbours)
{
    const ProfilePoint profile[] = {{0.0f, 0.0f}, {1.0f, 0.5f}, {1.0f, 1.5f}, {0.0f, 2.0f}};
    const int sectors = 6;
    RevolvedMesh mesh(sectors * 3);
    mesh.revolve(sectors, 4, profile, 1.0f, 1.0f, 1.0f);
    mesh.smoothNormals();
    const auto face = [&](int i, int j) { return mesh.cell((i + sectors) % sectors, j).faceNormal; };
    const auto sum3 = [](Vec3 a, Vec3 b, Vec3 c) {
        return normalized(Vec3{a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z});
    };
    for (int i = 0; i < sectors; ++i) {
        EXPECT_LT(distance(mesh.cell(i, 0).normals[0], sum3(face(i, 0), face(i + 1, 0), face(i - 1, 0))), 1e-6f);
        EXPECT_LT(distance(mesh.cell(i, 2).normals[1], sum3(face(i, 2), face(i + 1, 2), face(i - 1, 2))), 1e-6f);
        // Not the whole fan's average: the pole normal leans towards its own sector.
        EXPECT_GT(std::hypot(mesh.cell(i, 0).normals[0].x, mesh.cell(i, 0).normals[0].y), 0.01f);
    }
    // The end triangle's corner 2 is its lower vertex, shared with segment 1.
    for (int i = 0; i < sectors; ++i)
        EXPECT_LT(distance(mesh.cell(i, 2).normals[2], mesh.cell(i, 1).normals[2]), 1e-6f);
}

TEST(RevolvedMesh, PoleNormalOverridesApplyOnlyWithThatPole)
{
    const ProfilePoint profile[] = {{0.0f, 0.0f}, {1.0f, 0.5f}, {1.0f, 1.5f}};
    RevolvedMesh mesh(4 * 2);
    mesh.revolve(4, 3, profile, 1.0f, 1.0f, 1.0f);
    mesh.smoothNormals();
    const Vec3 before = mesh.cell(0, 1).normals[1];
    mesh.setStartPoleNormal({0.0f, 0.0f, 2.0f});  // stored as given, not normalised
    mesh.setEndPoleNormal({0.0f, 0.0f, -1.0f});   // no end pole: nothing happens
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(distance(mesh.cell(i, 0).normals[0], {0.0f, 0.0f, 2.0f}), 0.0f);
        EXPECT_LT(mesh.cell(i, 1).normals[1].z, 0.5f);
    }
    EXPECT_EQ(distance(mesh.cell(0, 1).normals[1], before), 0.0f);
}

} // namespace
