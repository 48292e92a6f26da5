#include "geometry/revolved_mesh.h"

#include <cmath>
#include <new>

#include "geometry/angles.h"

namespace {

Vec3 plus(const Vec3& a, const Vec3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

} // namespace

std::int64_t meshCellCount(std::int64_t sectors, std::int64_t segments)
{
    if (sectors < 0 || segments < 0)
        return 0;
    return sectors * segments;
}

RevolvedMesh::RevolvedMesh(std::int64_t cellCount)
{
    if (cellCount <= 0)
        return;
    if (cellCount > maxMeshCells) {
        failure_ = BuildFailure{BuildFailure::Reason::TooManyCells, cellCount, maxMeshCells};
        return;
    }
    // Default-initialised on purpose: revolve writes every cell it uses.
    cells_.reset(new (std::nothrow) MeshCell[static_cast<std::size_t>(cellCount)]);
    if (!cells_) {
        failure_ = BuildFailure{BuildFailure::Reason::NoMemory, cellCount, 0};
        return;
    }
    cellCapacity_ = static_cast<int>(cellCount);
}

void RevolvedMesh::revolve(int segmentsAround, int profilePoints, const ProfilePoint* profile,
                           float scaleX, float scaleY, float scaleZ)
{
    if (segmentsAround < 3 || profilePoints < 2)
        return;
    if (meshCellCount(segmentsAround, profilePoints - 1) > cellCapacity_)
        return;
    segmentsAround_ = segmentsAround;
    profilePoints_ = profilePoints;
    startPole_ = profile[0].radius == 0.0f;
    endPole_ = profile[profilePoints - 1].radius == 0.0f;

    const double step = 2.0 * pi / segmentsAround;
    // Angle 0 lies on +y and angles grow towards +x.
    const auto point = [&](int p, int k) {
        const double theta = k * step;
        const double radius = profile[p].radius;
        return Vec3{static_cast<float>(scaleX * radius * std::sin(theta)),
                    static_cast<float>(scaleY * radius * std::cos(theta)),
                    scaleZ * profile[p].height};
    };

    const int c = profilePoints - 1;
    const int firstQuad = startPole_ ? 1 : 0;
    const int lastQuad = endPole_ ? c - 2 : c - 1;
    for (int i = 0; i < segmentsAround; ++i) {
        // Sector 0's B side uses angle -step, computed afresh rather than
        // copied from the last sector.
        const auto a = [&](int p) { return point(p, i); };
        const auto b = [&](int p) { return point(p, i - 1); };
        if (startPole_) {
            MeshCell& cell = this->cell(i, 0);
            cell.corners[0] = a(0);
            cell.corners[1] = a(1);
            cell.corners[2] = b(1);
        }
        if (endPole_) {
            MeshCell& cell = this->cell(i, c - 1);
            cell.corners[0] = a(c - 1);
            cell.corners[1] = a(c);
            cell.corners[2] = b(c - 1);
        }
        for (int j = firstQuad; j <= lastQuad; ++j) {
            MeshCell& cell = this->cell(i, j);
            cell.corners[0] = a(j);
            cell.corners[1] = a(j + 1);
            cell.corners[2] = b(j + 1);
            cell.corners[3] = b(j);
        }
        for (int j = 0; j < c; ++j) {
            MeshCell& cell = this->cell(i, j);
            const bool triangle = (startPole_ && j == 0) || (endPole_ && j == c - 1);
            cell.faceNormal = unitCross(cell.corners[1] - cell.corners[0],
                                        cell.corners[2] - cell.corners[1]);
            for (int corner = 0; corner < (triangle ? 3 : 4); ++corner)
                cell.normals[corner] = cell.faceNormal;
        }
    }
}

Vec3 RevolvedMesh::cornerNormal(int i, int j, int corner) const
{
    const int last = profilePoints_ - 2;
    Vec3 sum{0.0f, 0.0f, 0.0f};
    const auto add = [&](int sector, int segment) {
        if (segment >= 0 && segment <= last)
            sum = plus(sum, cell(wrap(sector), segment).faceNormal);
    };

    if (corner == 0 && j == 0 && startPole_) {
        // At a pole only the cell and its two neighbouring sectors count.
        add(i, 0);
        add(i + 1, 0);
        add(i - 1, 0);
    } else if (corner == 1 && j == last && endPole_) {
        add(i, j);
        add(i + 1, j);
        add(i - 1, j);
    } else if (corner == 2 && j == last && endPole_) {
        // The end triangle's corner 2 is its lower vertex B_(c-1).
        add(i, j);
        add(i - 1, j);
        add(i, j - 1);
        add(i - 1, j - 1);
    } else {
        // Corners 0 and 1 lie at the sector's own angle (shared with the next
        // sector), 2 and 3 at the previous angle; corners 0 and 3 sit at the
        // segment's lower profile point, 1 and 2 at its upper one.
        const int sideSector = corner < 2 ? i + 1 : i - 1;
        const int otherSegment = (corner == 0 || corner == 3) ? j - 1 : j + 1;
        add(i, j);
        add(sideSector, j);
        add(i, otherSegment);
        add(sideSector, otherSegment);
    }
    return normalize(sum);
}

void RevolvedMesh::smoothNormals()
{
    if (segmentsAround_ < 3 || profilePoints_ < 2)
        return;
    const int c = profilePoints_ - 1;
    for (int i = 0; i < segmentsAround_; ++i) {
        for (int j = 0; j < c; ++j) {
            const bool startTriangle = startPole_ && j == 0;
            const bool endTriangle = endPole_ && j == c - 1;
            // A start triangle has no corner 3; an end triangle's corner 3 is
            // computed like any other and never read.
            const int corners = startTriangle && !endTriangle ? 3 : 4;
            MeshCell& target = cell(i, j);
            for (int corner = 0; corner < corners; ++corner)
                target.normals[corner] = cornerNormal(i, j, corner);
        }
    }
}

void RevolvedMesh::setStartPoleNormal(const Vec3& normal)
{
    if (!startPole_)
        return;
    for (int i = 0; i < segmentsAround_; ++i)
        cell(i, 0).normals[0] = normal;
}

void RevolvedMesh::setEndPoleNormal(const Vec3& normal)
{
    if (!endPole_)
        return;
    const int c = profilePoints_ - 1;
    for (int i = 0; i < segmentsAround_; ++i)
        cell(i, c - 1).normals[1] = normal;
}
