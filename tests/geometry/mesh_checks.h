#pragma once
// Shared checks on revolved meshes for the geometry tests.

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "geometry/revolved_mesh.h"

inline float lengthOf(const Vec3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

inline float distance(const Vec3& a, const Vec3& b)
{
    return lengthOf(a - b);
}

// Angle about z of a point, measured like the mesh: 0 on +y, growing towards +x.
inline double angleOf(const Vec3& p)
{
    return std::atan2(static_cast<double>(p.x), static_cast<double>(p.y));
}

// Distance between two angles around the circle, in [0, pi].
inline double angleGap(double a, double b)
{
    const double twoPi = 2.0 * 3.14159265358979323846;
    double d = std::fmod(std::fabs(a - b), twoPi);
    return d > twoPi / 2 ? twoPi - d : d;
}

inline bool isTriangleCell(const RevolvedMesh& mesh, int segment)
{
    const int c = mesh.profilePoints() - 1;
    return (mesh.startPole() && segment == 0) || (mesh.endPole() && segment == c - 1);
}

// Calls visit(sector, segment, corner) for every corner a cell uses.
inline void forEachUsedCorner(const RevolvedMesh& mesh, const std::function<void(int, int, int)>& visit)
{
    for (int i = 0; i < mesh.segmentsAround(); ++i)
        for (int j = 0; j < mesh.profilePoints() - 1; ++j)
            for (int corner = 0; corner < (isTriangleCell(mesh, j) ? 3 : 4); ++corner)
                visit(i, j, corner);
}

// Every used corner normal of every cell that holds a vertex at the same
// position must agree: the smoothing computes it separately in each cell.
inline void expectSharedVerticesAgree(const RevolvedMesh& mesh, float tolerance)
{
    struct Entry {
        Vec3 position;
        Vec3 normal;
    };
    std::vector<Entry> entries;
    forEachUsedCorner(mesh, [&](int i, int j, int corner) {
        entries.push_back({mesh.cell(i, j).corners[corner], mesh.cell(i, j).normals[corner]});
    });
    const float scale = 1e-5f;
    int sharedPairs = 0;
    for (std::size_t a = 0; a < entries.size(); ++a) {
        for (std::size_t b = a + 1; b < entries.size(); ++b) {
            const float reach = scale * (1.0f + lengthOf(entries[a].position));
            if (distance(entries[a].position, entries[b].position) > reach)
                continue;
            ++sharedPairs;
            ASSERT_LT(distance(entries[a].normal, entries[b].normal), tolerance)
                << "vertex (" << entries[a].position.x << ", " << entries[a].position.y << ", "
                << entries[a].position.z << ")";
        }
    }
    EXPECT_GT(sharedPairs, 0);
}
