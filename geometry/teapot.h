#pragma once
// The Bezier teapot, evaluated by the GL's two-dimensional evaluators.

#include <array>
#include <optional>

#include "geometry/build_failure.h"

constexpr int teapotPointCount = 127;
constexpr int teapotPatchCount = 10;
// Patches below this index are quarters, mirrored four ways; the rest are
// halves, mirrored twice.
constexpr int teapotQuarterPatches = 6;

extern const std::array<std::array<float, 3>, teapotPointCount> teapotPoints;
// 4 rows of 4 point numbers per patch, row after row.
extern const std::array<std::array<int, 16>, teapotPatchCount> teapotPatches;

// One 4 x 4 grid of control points, row after row, ready for glMap2f.
using TeapotControlGrid = std::array<float, 16 * 3>;

// The control grids drawTeapot evaluates, in its order: per patch the patch as
// stored, then mirrored across y = 0, then (quarters only) across x = 0 and
// turned half round z. 32 grids in all.
std::array<TeapotControlGrid, 32> teapotControlGrids();

// Emits the teapot into whatever the GL is compiling: grid x grid quads per
// surface, standing upright along +y, spout along +x, twice the data's size
// for size 4. Leaves auto-normals, the vertex map and the transformation on.
// A grid above 362 (more quads than the largest mesh has cells) emits nothing
// and is returned.
std::optional<BuildFailure> drawTeapot(int grid, double size);
