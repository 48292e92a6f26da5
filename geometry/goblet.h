#pragma once
// The stemmed goblet: one fixed 40-point profile revolved about z, emitted as
// two triangle fans and 37 quad strips.

#include <array>
#include <optional>

#include "geometry/build_failure.h"
#include "geometry/revolved_mesh.h"

constexpr int gobletProfilePoints = 40;
extern const std::array<ProfilePoint, gobletProfilePoints> gobletProfile;

// The revolved, smoothed goblet with its pole normals set, before emission.
// Divisions below 3 leave the mesh unrevolved (no sectors).
RevolvedMesh makeGobletMesh(int divisions, float size);

// Triangles that one draw of the goblet costs: 76 per division, and none when
// fewer than 3 divisions leave nothing to draw.
int gobletTriangles(int divisions);

// Emits the goblet into whatever the GL is compiling; with emitNormals each
// vertex is preceded by its normal. A mesh that cannot be built emits
// nothing and is returned.
std::optional<BuildFailure> buildGoblet(int divisions, float size, bool emitNormals);

// The goblet's emitter: tied to its profile (39 segments, a pole at each end).
// A mesh of any other shape, or one left unrevolved, emits nothing.
void drawGoblet(const RevolvedMesh& mesh, bool emitNormals);
