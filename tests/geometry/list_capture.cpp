#define GL_GLEXT_PROTOTYPES
#include "list_capture.h"

#include <GL/glext.h>
#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr int floatsPerVertex = 10;
constexpr std::size_t maxTriangles = 200000;

const char* const vertexProgram = R"(#version 130
out vec3 position;
out vec3 normal;
out vec4 texCoord;
void main()
{
    position = (gl_ModelViewMatrix * gl_Vertex).xyz;
    normal = gl_Normal;
    texCoord = gl_MultiTexCoord0;
    gl_Position = vec4(0.0, 0.0, 0.0, 1.0);
}
)";

// Made afresh for every capture and deleted after it, so that the driver
// frees what it compiled for it.
GLuint captureProgram()
{
    const GLuint shader = glCreateShader(GL_VERTEX_SHADER);
    glShaderSource(shader, 1, &vertexProgram, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_TRUE(ok) << "capture vertex program does not compile";
    const GLuint program = glCreateProgram();
    glAttachShader(program, shader);
    const char* outputs[] = {"position", "normal", "texCoord"};
    glTransformFeedbackVaryings(program, 3, outputs, GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    EXPECT_TRUE(ok) << "capture vertex program does not link";
    glDeleteShader(shader);  // goes with the program
    return program;
}

} // namespace

ListCapture captureList(GLuint list)
{
    const GLsizeiptr bytes = maxTriangles * 3 * floatsPerVertex * sizeof(float);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, bytes, nullptr, GL_STREAM_READ);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer);
    GLuint queries[2] = {};
    glGenQueries(2, queries);
    ListCapture capture;

    while (glGetError() != GL_NO_ERROR) {
    }
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glNormal3fv(markerNormal.data());
    glTexCoord4fv(markerTexCoord.data());
    const GLuint program = captureProgram();
    glUseProgram(program);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, queries[0]);
    glBeginQuery(GL_VERTICES_SUBMITTED_ARB, queries[1]);
    glBeginTransformFeedback(GL_TRIANGLES);
    glCallList(list);
    capture.error = glGetError();
    glEndTransformFeedback();
    glEndQuery(GL_VERTICES_SUBMITTED_ARB);
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    glDisable(GL_RASTERIZER_DISCARD);
    glUseProgram(0);
    glDeleteProgram(program);
    glPopMatrix();

    GLuint written = 0;
    glGetQueryObjectuiv(queries[0], GL_QUERY_RESULT, &written);
    glGetQueryObjectuiv(queries[1], GL_QUERY_RESULT, &capture.verticesSubmitted);
    EXPECT_LT(written, maxTriangles) << "capture buffer too small";

    std::vector<float> floats(static_cast<std::size_t>(written) * 3 * floatsPerVertex);
    glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, static_cast<GLsizeiptr>(floats.size() * sizeof(float)),
                       floats.data());
    for (std::size_t v = 0; v < floats.size(); v += floatsPerVertex) {
        CapturedVertex vertex;
        std::memcpy(&vertex.position, &floats[v], 3 * sizeof(float));
        std::memcpy(&vertex.normal, &floats[v + 3], 3 * sizeof(float));
        std::memcpy(vertex.texCoord.data(), &floats[v + 6], 4 * sizeof(float));
        capture.vertices.push_back(vertex);
    }
    glDeleteQueries(2, queries);
    glDeleteBuffers(1, &buffer);
    return capture;
}
