#include "geometry/sky.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>

#include "geometry/angles.h"

namespace {

// The bottom of the bowl is a tiny open ring rather than a pole.
constexpr float bottomRadius = 0.0001f;

void sendVertex(const MeshCell& cell, int corner)
{
    const Vec3 texture = sphereMapCoords(cell.normals[corner]);
    glTexCoord2fv(texture.data());
    glVertex3fv(cell.corners[corner].data());
}

} // namespace

RevolvedMesh makeSkyMesh(int sectors, int rings, float radius)
{
    sectors = std::max(sectors, skyMinSectors);
    rings = std::clamp(rings, skyMinRings, skyMaxRings);

    RevolvedMesh mesh(meshCellCount(sectors, rings));
    // A quarter of the unit circle, from the bottom of the sphere to its equator.
    std::array<ProfilePoint, skyMaxRings + 1> profile;
    const double ringAngle = 90.0 / rings;
    for (int k = 0; k <= rings; ++k) {
        const double alpha = k * ringAngle * radiansPerDegree;
        profile[k] = {static_cast<float>(std::sin(alpha)), static_cast<float>(-std::cos(alpha))};
    }
    profile[0].radius = bottomRadius;

    mesh.revolve(sectors, rings + 1, profile.data(), radius, radius, radius);
    mesh.smoothNormals();
    return mesh;
}

std::optional<BuildFailure> buildSky(int sectors, int rings, float radius)
{
    const RevolvedMesh mesh = makeSkyMesh(sectors, rings, radius);
    if (!mesh.failure())
        drawSkyMesh(mesh);
    return mesh.failure();
}

void drawSkyMesh(const RevolvedMesh& mesh)
{
    const int n = mesh.segmentsAround();
    if (n < 3 || mesh.startPole() || mesh.endPole())
        return;
    const int c = mesh.profilePoints() - 1;
    for (int j = 0; j < c; ++j) {
        glBegin(GL_QUAD_STRIP);
        sendVertex(mesh.cell(0, j), 2);
        sendVertex(mesh.cell(0, j), 3);
        for (int k = 0; k < n; ++k) {
            sendVertex(mesh.cell(k, j), 1);
            sendVertex(mesh.cell(k, j), 0);
        }
        glEnd();
    }
}
