#include "geometry/goblet.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdint>
#include <limits>

const std::array<ProfilePoint, gobletProfilePoints> gobletProfile = {{
    {0.0f, 0.0f},    {4.0f, 0.2f},    {8.0f, 1.5f},    {10.5f, 3.2f},   {13.0f, 5.8f},
    {14.0f, 8.0f},   {14.2f, 10.0f},  {14.1f, 12.0f},  {13.5f, 15.0f},  {12.2f, 19.0f},
    {12.2f, 19.5f},  {12.3f, 19.7f},  {12.5f, 19.6f},  {12.6f, 19.3f},  {14.0f, 15.0f},
    {14.6f, 12.0f},  {14.8f, 10.0f},  {14.4f, 7.8f},   {13.3f, 5.4f},   {11.2f, 2.8f},
    {7.8f, 0.4f},    {4.0f, -1.1f},   {3.0f, -1.8f},   {2.2f, -3.0f},   {1.8f, -4.2f},
    {1.5f, -8.0f},   {1.5f, -12.0f},  {1.7f, -15.0f},  {2.0f, -16.0f},  {2.7f, -16.7f},
    {5.5f, -17.8f},  {11.0f, -18.7f}, {12.5f, -19.0f}, {13.0f, -19.5f}, {13.0f, -19.8f},
    {12.5f, -19.9f}, {6.0f, -19.9f},  {3.0f, -19.5f},  {1.0f, -18.3f},  {0.0f, -18.0f},
}};

namespace {

constexpr int segments = gobletProfilePoints - 1;
// The float nearest 1/19.5: profile units to model units at size 1.
constexpr float profileScale = 0.05128205f;
constexpr int trianglesPerDivision = 76;

void sendVertex(const MeshCell& cell, int corner, bool emitNormals)
{
    if (emitNormals)
        glNormal3fv(cell.normals[corner].data());
    glVertex3fv(cell.corners[corner].data());
}

} // namespace

RevolvedMesh makeGobletMesh(int divisions, float size)
{
    RevolvedMesh mesh(meshCellCount(divisions, segments));
    const float scale = size * profileScale;
    mesh.revolve(divisions, gobletProfilePoints, gobletProfile.data(), scale, scale, scale);
    mesh.smoothNormals();
    // The bowl's centre faces straight up and the foot's straight down,
    // whatever the three cells around each pole would give.
    mesh.setStartPoleNormal({0.0f, 0.0f, 1.0f});
    mesh.setEndPoleNormal({0.0f, 0.0f, -1.0f});
    return mesh;
}

int gobletTriangles(int divisions)
{
    if (divisions < 3)
        return 0;
    // Saturates rather than overflows; such a goblet is refused before it is built.
    const std::int64_t triangles = std::int64_t{trianglesPerDivision} * divisions;
    return static_cast<int>(std::min<std::int64_t>(triangles, std::numeric_limits<int>::max()));
}

std::optional<BuildFailure> buildGoblet(int divisions, float size, bool emitNormals)
{
    if (divisions < 3)
        return std::nullopt;
    const RevolvedMesh mesh = makeGobletMesh(divisions, size);
    if (!mesh.failure())
        drawGoblet(mesh, emitNormals);
    return mesh.failure();
}

void drawGoblet(const RevolvedMesh& mesh, bool emitNormals)
{
    const int n = mesh.segmentsAround();
    if (n < 3 || mesh.profilePoints() != gobletProfilePoints || !mesh.startPole() || !mesh.endPole())
        return;

    // Start cap, in falling angle: the pole, P1(n-1), then P1(k-1) for k = n-1 .. 0.
    glBegin(GL_TRIANGLE_FAN);
    sendVertex(mesh.cell(n - 1, 0), 0, emitNormals);
    sendVertex(mesh.cell(n - 1, 0), 1, emitNormals);
    for (int k = n - 1; k >= 0; --k)
        sendVertex(mesh.cell(k, 0), 2, emitNormals);
    glEnd();

    // Walls, in rising angle, starting from sector 0's copy of angle -2pi/n.
    for (int j = 1; j < segments - 1; ++j) {
        glBegin(GL_QUAD_STRIP);
        sendVertex(mesh.cell(0, j), 2, emitNormals);
        sendVertex(mesh.cell(0, j), 3, emitNormals);
        for (int k = 0; k < n; ++k) {
            sendVertex(mesh.cell(k, j), 1, emitNormals);
            sendVertex(mesh.cell(k, j), 0, emitNormals);
        }
        glEnd();
    }

    // End cap, in rising angle: the pole, P38(-1), then P38(k) for k = 0 .. n-1.
    const int last = segments - 1;
    glBegin(GL_TRIANGLE_FAN);
    sendVertex(mesh.cell(0, last), 1, emitNormals);
    sendVertex(mesh.cell(0, last), 2, emitNormals);
    for (int k = 0; k < n; ++k)
        sendVertex(mesh.cell(k, last), 0, emitNormals);
    glEnd();
}
