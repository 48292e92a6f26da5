#pragma once
// Surfaces of revolution: a (radius, height) profile swept around the z axis in
// equal angular sectors, stored as a grid of cells with face normals and
// smoothed corner normals, ready to be sent to the GL straight from the cells.

#include <cstdint>
#include <memory>
#include <optional>

#include "geometry/build_failure.h"
#include "geometry/vec3.h"

struct ProfilePoint {
    float radius;  // exactly 0.0 puts the point on the axis
    float height;
};
static_assert(sizeof(ProfilePoint) == 2 * sizeof(float), "ProfilePoint must be two packed floats");

// One grid cell. Quads use corners 0-3; triangles (the pole segments) use
// corners 0-2 and leave the fourth corner and normal unwritten.
struct MeshCell {
    Vec3 corners[4];
    Vec3 normals[4];
    Vec3 faceNormal;
};
static_assert(sizeof(MeshCell) == 27 * sizeof(float), "MeshCell must be 27 packed floats");

// The largest mesh the program builds: 4,194,304 cells, 432 MiB while its
// display list compiles. That is a goblet of 107,546 divisions (105 times the
// triangle benchmark's 1024; it builds in a few seconds and the process peaks
// near 750 MB) or a sky of 33,026 sectors at its 127-ring limit. It also keeps
// every cell index and the goblet's 76 triangles per division inside int.
constexpr std::int64_t maxMeshCells = std::int64_t{1} << 22;

// Cells of a mesh of sectors x segments, computed in 64 bits so that no int
// product overflows; 0 when either count is negative.
std::int64_t meshCellCount(std::int64_t sectors, std::int64_t segments);

class RevolvedMesh {
public:
    // Allocates cellCount uninitialised cells (none when negative). A count
    // above maxMeshCells, or memory that cannot be had, leaves no cells and
    // is kept in failure().
    explicit RevolvedMesh(std::int64_t cellCount);

    const std::optional<BuildFailure>& failure() const { return failure_; }

    int cellCapacity() const { return cellCapacity_; }
    bool startPole() const { return startPole_; }
    bool endPole() const { return endPole_; }
    int segmentsAround() const { return segmentsAround_; }
    int profilePoints() const { return profilePoints_; }

    // All cellCapacity cells, in grid order.
    MeshCell* cells() { return cells_.get(); }
    const MeshCell* cells() const { return cells_.get(); }

    // Sector i, profile segment j (cell number i * (profilePoints - 1) + j).
    MeshCell& cell(int sector, int segment) { return cells_[index(sector, segment)]; }
    const MeshCell& cell(int sector, int segment) const { return cells_[index(sector, segment)]; }

    // Corner positions, face normals and provisional corner normals. Does
    // nothing with fewer than 3 sectors or 2 profile points, or when the cells
    // allocated cannot hold the grid.
    void revolve(int segmentsAround, int profilePoints, const ProfilePoint* profile,
                 float scaleX, float scaleY, float scaleZ);
    // Replaces every corner normal by the normalised, unweighted sum of the face
    // normals of the cells around that vertex.
    void smoothNormals();
    // Overwrite the normal at a pole, unnormalised; no-ops without that pole.
    void setStartPoleNormal(const Vec3& normal);
    void setEndPoleNormal(const Vec3& normal);

private:
    int index(int sector, int segment) const { return sector * (profilePoints_ - 1) + segment; }
    // Sector numbers wrap around the axis.
    int wrap(int sector) const { return (sector + segmentsAround_) % segmentsAround_; }
    Vec3 cornerNormal(int sector, int segment, int corner) const;

    int cellCapacity_ = 0;
    std::unique_ptr<MeshCell[]> cells_;
    std::optional<BuildFailure> failure_;
    bool startPole_ = false;
    bool endPole_ = false;
    int segmentsAround_ = 0;
    int profilePoints_ = 0;
};
