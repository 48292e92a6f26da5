// Bare reference loops for the throughput comparisons: the program's own
// goblet, drawn with as little around it as GLUT allows.
//
//   qlx_reference list  [options]  display list replayed once a frame (128 x 128)
//   qlx_reference vbo   [options]  the same fans and strips from a vertex buffer
//   qlx_reference vbo-tris [options] the same triangles, indexed, from vertex buffers
//   qlx_reference scene [options]  the default scene's GL work: the textured
//                                  goblet in 15 draws a frame (512 x 512)
// Options: -divide N, -width N, -height N, -seconds S (end after S seconds),
// -accum (ask for an accumulation buffer as qlxtest does), -envfile FILE (scene).
//
// Once a second the title shows "%7.2f FPS %9.3f kTPS", counted like qlxtest's
// meter (one object draw a frame), so one title sampler measures both.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/option_table.h"
#include "geometry/goblet.h"
#include "image/environment_texture.h"
#include "options/option_reader.h"

namespace {

enum class Mode { List, Vbo, VboTriangles, Scene };

struct Options {
    Mode mode = Mode::List;
    int divisions = 1024;
    int width = 128;
    int height = 128;
    double seconds = 0.0;
    bool accum = false;
};

Options options;
GLuint objectList = 0;
GLuint vertexBuffer = 0;
GLuint indexBuffer = 0;
std::vector<GLint> firsts;
std::vector<GLsizei> counts;
std::vector<GLenum> modes;
GLsizei indexCount = 0;
float orientation[16];
const float clearColor[3] = {0.0f, 0.4f, 1.0f};

long long frames = 0;
long long framesAtSample = 0;
double startTime = 0.0;
double sampleTime = 0.0;

double seconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// ---- Capture of the goblet's immediate-mode stream, for the vertex buffers.
// The link wraps the four entry points drawGoblet uses; outside a capture the
// wrappers pass every call on unchanged.
bool capturing = false;
std::vector<float> capturedPositions;

} // namespace

extern "C" {
void __real_glBegin(GLenum mode);
void __real_glEnd();
void __real_glVertex3fv(const GLfloat* v);
void __real_glNormal3fv(const GLfloat* v);

void __wrap_glBegin(GLenum mode)
{
    if (!capturing)
        return __real_glBegin(mode);
    firsts.push_back(static_cast<GLint>(capturedPositions.size() / 3));
    counts.push_back(0);
    modes.push_back(mode);
}

void __wrap_glEnd()
{
    if (!capturing)
        __real_glEnd();
}

void __wrap_glVertex3fv(const GLfloat* v)
{
    if (!capturing)
        return __real_glVertex3fv(v);
    capturedPositions.insert(capturedPositions.end(), v, v + 3);
    ++counts.back();
}

void __wrap_glNormal3fv(const GLfloat* v)
{
    // The throughput goblet carries no normals; nothing to keep.
    if (!capturing)
        __real_glNormal3fv(v);
}
}

namespace {

// The program's goblet, or the end of the run: a loop over nothing measures nothing.
void buildGobletOrEnd(bool emitNormals)
{
    if (const auto failure = buildGoblet(options.divisions, 4.8f, emitNormals)) {
        std::fprintf(stderr, "qlx_reference: the goblet of %d divisions cannot be built (%lld cells, at most %lld)\n",
                     options.divisions, static_cast<long long>(failure->count),
                     static_cast<long long>(failure->limit));
        std::exit(1);
    }
}

void captureGoblet()
{
    capturing = true;
    buildGobletOrEnd(false);
    capturing = false;
}

// The fans and quad strips as separate triangles, winding kept.
std::vector<GLuint> triangleIndices()
{
    std::vector<GLuint> indices;
    for (std::size_t p = 0; p < modes.size(); ++p) {
        const auto first = static_cast<GLuint>(firsts[p]);
        const auto n = static_cast<GLuint>(counts[p]);
        if (modes[p] == GL_TRIANGLE_FAN) {
            for (GLuint i = 1; i + 1 < n; ++i)
                indices.insert(indices.end(), {first, first + i, first + i + 1});
        } else if (modes[p] == GL_QUAD_STRIP) {
            for (GLuint i = 0; i + 3 < n; i += 2) {
                indices.insert(indices.end(), {first + i, first + i + 1, first + i + 3});
                indices.insert(indices.end(), {first + i, first + i + 3, first + i + 2});
            }
        } else {
            std::fprintf(stderr, "qlx_reference: unexpected primitive %u\n", modes[p]);
            std::exit(1);
        }
    }
    return indices;
}

void uploadBuffers()
{
    captureGoblet();
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(capturedPositions.size() * sizeof(float)),
                 capturedPositions.data(), GL_STATIC_DRAW);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (options.mode == Mode::VboTriangles) {
        const std::vector<GLuint> indices = triangleIndices();
        indexCount = static_cast<GLsizei>(indices.size());
        glGenBuffers(1, &indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)),
                     indices.data(), GL_STATIC_DRAW);
    }
    capturedPositions = {};
}

void drawVbo()
{
    if (options.mode == Mode::VboTriangles) {
        glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
        return;
    }
    // The two fans and the strips, one multi-draw per primitive type run.
    std::size_t p = 0;
    while (p < modes.size()) {
        std::size_t q = p;
        while (q < modes.size() && modes[q] == modes[p])
            ++q;
        glMultiDrawArrays(modes[p], &firsts[p], &counts[p], static_cast<GLsizei>(q - p));
        p = q;
    }
}

// The fixed state qlxtest sets for the goblet, and its projection.
void initState()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(clearColor[0], clearColor[1], clearColor[2], 1.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);

    glViewport(0, 0, options.width, options.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Square or tall windows: qlxtest's field of view is 50 degrees there.
    gluPerspective(50.0, static_cast<double>(options.width) / options.height, 5.0, 30.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-60.0f, 1.0f, 0.0f, 0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, orientation);
    glLoadIdentity();
}

// The throughput loops: the object stands still, so its matrix is set once.
void displayThroughput()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (options.mode == Mode::List)
        glCallList(objectList);
    else
        drawVbo();
    glutSwapBuffers();
    ++frames;
}

void drawObjectPass(bool colour)
{
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -16.0f);
    glMultMatrixf(orientation);
    if (colour)
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glCallList(objectList);
    glPopMatrix();
}

void drawFadeQuad(int index)
{
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(clearColor[0], clearColor[1], clearColor[2], 1.0f / static_cast<float>(index));
    glBegin(GL_QUADS);
    glVertex3f(-1.0f, -1.0f, 0.9999f);
    glVertex3f(1.0f, -1.0f, 0.9999f);
    glVertex3f(1.0f, 1.0f, 0.9999f);
    glVertex3f(-1.0f, 1.0f, 0.9999f);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// The default scene's frame: one textured pass, then seven times a depth
// pass, a fade quad and a textured colour pass, blended.
void displayScene()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_DEPTH_TEST);
    drawObjectPass(true);
    glEnable(GL_BLEND);
    for (int i = 2; i <= 8; ++i) {
        glDepthMask(GL_TRUE);
        glClear(GL_DEPTH_BUFFER_BIT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glDisable(GL_TEXTURE_2D);
        drawObjectPass(false);
        glDepthMask(GL_FALSE);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        drawFadeQuad(i);
        glEnable(GL_TEXTURE_2D);
        drawObjectPass(true);
        glDepthMask(GL_TRUE);
    }
    glDisable(GL_BLEND);
    glutSwapBuffers();
    ++frames;
}

void idle()
{
    glutPostRedisplay();
}

void sampleTimer(int)
{
    const double now = seconds();
    const double fps = static_cast<double>(frames - framesAtSample) / (now - sampleTime);
    const double ktps = fps * gobletTriangles(options.divisions) * 0.001;
    char title[96];
    std::snprintf(title, sizeof title, "%7.2f FPS %9.3f kTPS qlx-reference", fps, ktps);
    glutSetWindowTitle(title);
    framesAtSample = frames;
    sampleTime = now;
    if (options.seconds > 0.0 && now - startTime >= options.seconds)
        std::exit(0);
    glutTimerFunc(1000, sampleTimer, 0);
}

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: qlx_reference list|vbo|vbo-tris|scene [-divide N] [-width N] [-height N]\n"
                 "                     [-seconds S] [-accum] [-envfile FILE]\n");
    std::exit(2);
}

void parseArguments(int argc, char** argv)
{
    if (argc < 2)
        usage();
    const std::string mode = argv[1];
    if (mode == "list")
        options.mode = Mode::List;
    else if (mode == "vbo")
        options.mode = Mode::Vbo;
    else if (mode == "vbo-tris")
        options.mode = Mode::VboTriangles;
    else if (mode == "scene")
        options.mode = Mode::Scene;
    else
        usage();
    if (options.mode == Mode::Scene) {
        options.divisions = 16;
        options.width = options.height = 512;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-accum")
            options.accum = true;
        else if (arg == "-divide" && hasValue)
            options.divisions = std::atoi(argv[++i]);
        else if (arg == "-width" && hasValue)
            options.width = std::atoi(argv[++i]);
        else if (arg == "-height" && hasValue)
            options.height = std::atoi(argv[++i]);
        else if (arg == "-seconds" && hasValue)
            options.seconds = std::atof(argv[++i]);
        else if (arg == "-envfile" && hasValue)
            ++i;  // read by the texture set-up itself
        else
            usage();
    }
    if (options.width < 1 || options.height < 1 || options.divisions < 3)
        usage();
}

} // namespace

int main(int argc, char** argv)
{
    parseArguments(argc, argv);
    int glutArgc = 1;
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DEPTH | GLUT_DOUBLE | (options.accum ? GLUT_ACCUM : 0u));
    glutInitWindowSize(options.width, options.height);
    glutCreateWindow("qlx-reference");

    initState();
    if (options.mode == Mode::Scene) {
        // The program's own texture set-up: same image, default filter and generation.
        OptionReader reader(argc, argv);
        const Settings defaults;
        setUpEnvironmentTexture(readEnvironmentFile(reader), defaults.textureFilter, defaults.texturing != 0);
    }
    if (options.mode == Mode::List || options.mode == Mode::Scene) {
        objectList = glGenLists(1);
        glNewList(objectList, GL_COMPILE);
        buildGobletOrEnd(options.mode == Mode::Scene);
        glEndList();
    } else {
        uploadBuffers();
    }
    if (options.mode != Mode::Scene) {
        glTranslatef(0.0f, 0.0f, -16.0f);
        glMultMatrixf(orientation);
    }

    glutDisplayFunc(options.mode == Mode::Scene ? displayScene : displayThroughput);
    glutIdleFunc(idle);
    startTime = sampleTime = seconds();
    glutTimerFunc(1000, sampleTimer, 0);
    glutMainLoop();
    return 0;
}
