#pragma once
// The sky: the inside of a hemispherical bowl at z <= 0, textured with the
// sphere-map coordinates of its inward normals.

#include <optional>

#include "geometry/build_failure.h"
#include "geometry/revolved_mesh.h"

constexpr int skyMinSectors = 3;
constexpr int skyMinRings = 2;
constexpr int skyMaxRings = 127;

// The revolved, smoothed bowl, division counts clamped to their limits.
RevolvedMesh makeSkyMesh(int sectors, int rings, float radius);

// Emits the bowl into whatever the GL is compiling. A mesh that cannot be
// built emits nothing and is returned.
std::optional<BuildFailure> buildSky(int sectors, int rings, float radius);

// One quad strip per profile segment, texture coordinate then position per
// vertex, no normals. Any mesh without poles; an unrevolved one emits nothing.
void drawSkyMesh(const RevolvedMesh& mesh);
