#pragma once
// Reads back what a compiled display list draws, from the real driver: the list
// is replayed under transform feedback (rasterisation off) through a pass-through
// vertex program that records each vertex's model-view position, its normal and
// its texture coordinate, while a pipeline-statistics query counts the vertices
// the list submits.
//
// (GL_FEEDBACK mode is no use here: Mesa 22 loses or crashes on replayed lists
// that mix primitive types, such as the goblet's fans and strips.)

#include <GL/gl.h>
#include <array>
#include <vector>

#include "geometry/vec3.h"

struct CapturedVertex {
    Vec3 position;                  // after the list's own model-view changes
    Vec3 normal;                    // the current normal when the vertex was sent
    std::array<float, 4> texCoord;  // likewise
};

struct ListCapture {
    // Every primitive decomposed into triangles, three vertices each, in order.
    std::vector<CapturedVertex> vertices;
    unsigned verticesSubmitted = 0;  // as sent between glBegin and glEnd
    GLenum error = GL_NO_ERROR;      // the first GL error the list raised

    std::size_t triangles() const { return vertices.size() / 3; }
};

// Normal and texture coordinate current before the list runs: what a vertex
// reports when the list sent none of its own.
constexpr Vec3 markerNormal{0.0f, 0.6f, -0.8f};
constexpr std::array<float, 4> markerTexCoord{7.0f, 7.0f, 7.0f, 7.0f};

// Needs a current GL context. The list runs on an identity model-view matrix,
// which is restored afterwards; state the list enables stays enabled.
ListCapture captureList(GLuint list);
