#pragma once
// A real GL context on a private Xvfb with the frame loop's state reset, a
// small test object and a procedural environment texture. Frames end with a
// flush instead of a swap, so the composed picture stays in the back buffer.

#include <GL/glut.h>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

#include "app/settings.h"
#include "render/frame_state.h"
#include "render/render_state.h"
#include "support/gl_test_window.h"
#include "validation/picture.h"

class RenderGl : public ::testing::Test {
protected:
    static constexpr int kSize = 256;

    void SetUp() override
    {
        ensureGlTestWindow(kSize, kSize, GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        settings = Settings{};
        frameState = FrameState{};
        settings.bufferMode = GLUT_SINGLE;
        initRenderState(settings.sceneKind);
        reshape(kSize, kSize);
        frameState.objectList = compileTestObject();
        frameState.skyList = glGenLists(1);
        frameState.overlayList = glGenLists(1);
        uploadTestTexture();
    }

    Picture read() const { return readPicture(kSize, kSize); }

    // An off-centre torus: turning it changes both where it covers and how
    // its sphere-mapped texture looks.
    static GLuint compileTestObject()
    {
        const GLuint list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        glTranslatef(1.5f, 0.0f, 0.0f);
        glutSolidTorus(1.2, 3.5, 24, 32);
        glEndList();
        return list;
    }

    // A flat sheet far behind the object, in one colour, filling the sky pass's view.
    void compileFlatSky(float r, float g, float b) const
    {
        glNewList(frameState.skyList, GL_COMPILE);
        glColor3f(r, g, b);
        glBegin(GL_QUADS);
        glVertex3f(-500.0f, -500.0f, -100.0f);
        glVertex3f(500.0f, -500.0f, -100.0f);
        glVertex3f(500.0f, 500.0f, -100.0f);
        glVertex3f(-500.0f, 500.0f, -100.0f);
        glEnd();
        glEndList();
    }

    static void uploadTestTexture()
    {
        constexpr int n = 64;
        std::vector<std::uint8_t> texels(n * n * 3);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                std::uint8_t* t = &texels[static_cast<std::size_t>(y * n + x) * 3];
                t[0] = static_cast<std::uint8_t>(x * 4);
                t[1] = static_cast<std::uint8_t>(y * 4);
                t[2] = static_cast<std::uint8_t>(((x / 8 + y / 8) % 2) ? 230 : 40);
            }
        }
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, n, n, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
};

// The model-view matrix of the frame loop is the identity look-at; every
// frame must leave it, the matrix mode and the stacks as it found them.
inline void expectFrameEndState()
{
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_TRUE);
    GLboolean colorMask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, colorMask);
    for (GLboolean channel : colorMask)
        EXPECT_EQ(channel, GL_TRUE);
    GLint value = 0;
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &value);
    EXPECT_EQ(value, 1);
    float modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(modelView[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

inline bool nearColour(const std::uint8_t* pixel, int r, int g, int b, int tolerance)
{
    return std::abs(pixel[0] - r) <= tolerance && std::abs(pixel[1] - g) <= tolerance &&
           std::abs(pixel[2] - b) <= tolerance;
}
