#include "geometry/teapot.h"

#include <GL/gl.h>

#include "geometry/revolved_mesh.h"

namespace {

// The GL evaluates all 32 surfaces of grid x grid quads on every draw, so a
// grid whose quads outnumber the cells of the largest revolved mesh would make
// every frame take minutes (and near the int range never end). No scene costs
// more per draw than the largest goblet.
constexpr int maxTeapotGrid = 362;
static_assert(32LL * maxTeapotGrid * maxTeapotGrid <= maxMeshCells &&
                  32LL * (maxTeapotGrid + 1) * (maxTeapotGrid + 1) > maxMeshCells,
              "the teapot's grid bound follows the mesh bound");

// Builds one grid: point numbers taken with the columns as stored or reversed,
// each point's x and y multiplied by the given signs.
TeapotControlGrid controlGrid(const std::array<int, 16>& patch, bool reverseColumns,
                              float xSign, float ySign)
{
    TeapotControlGrid grid{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const int source = 4 * row + (reverseColumns ? 3 - column : column);
            const auto& point = teapotPoints[patch[source]];
            float* target = &grid[(4 * row + column) * 3];
            target[0] = xSign * point[0];
            target[1] = ySign * point[1];
            target[2] = point[2];
        }
    }
    return grid;
}

} // namespace

std::array<TeapotControlGrid, 32> teapotControlGrids()
{
    std::array<TeapotControlGrid, 32> grids{};
    std::size_t next = 0;
    for (int p = 0; p < teapotPatchCount; ++p) {
        const auto& patch = teapotPatches[p];
        // Reversing the columns of a single mirror image keeps every surface
        // turning the same way.
        grids[next++] = controlGrid(patch, false, 1.0f, 1.0f);
        grids[next++] = controlGrid(patch, true, 1.0f, -1.0f);
        if (p < teapotQuarterPatches) {
            grids[next++] = controlGrid(patch, true, -1.0f, 1.0f);
            grids[next++] = controlGrid(patch, false, -1.0f, -1.0f);
        }
    }
    return grids;
}

std::optional<BuildFailure> drawTeapot(int grid, double size)
{
    if (grid > maxTeapotGrid)
        return BuildFailure{BuildFailure::Reason::TeapotGrid, grid, maxTeapotGrid};
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_MAP2_VERTEX_3);
    // Applied last call first: lower the pot to span z -1.5 to 1.65, scale it,
    // and stand it upright with its z axis along +y.
    glRotatef(270.0f, 1.0f, 0.0f, 0.0f);
    const float factor = static_cast<float>(0.5 * size);
    glScalef(factor, factor, factor);
    glTranslatef(0.0f, 0.0f, -1.5f);

    // Each surface's control points go into the list with its map call.
    const auto grids = teapotControlGrids();
    std::size_t next = 0;
    for (int p = 0; p < teapotPatchCount; ++p) {
        const int surfaces = p < teapotQuarterPatches ? 4 : 2;
        for (int s = 0; s < surfaces; ++s) {
            glMap2f(GL_MAP2_VERTEX_3, 0.0f, 1.0f, 3, 4, 0.0f, 1.0f, 12, 4, grids[next++].data());
            if (s == 0)
                glMapGrid2f(grid, 0.0f, 1.0f, grid, 0.0f, 1.0f);
            glEvalMesh2(GL_FILL, 0, grid, 0, grid);
        }
    }
    return std::nullopt;
}
