// The texture set-up against the real GL driver: what the texture holds and
// the state it leaves, for each filter the command line can choose.

#include <gtest/gtest.h>

#include <GL/glut.h>
#include <string>
#include <vector>

#include "image/environment_texture.h"
#include "image_files.h"
#include "support/gl_test_window.h"

namespace {

class TextureSetUp : public ::testing::Test {
protected:
    TempDir dir;
    std::string imagePath;
    std::vector<std::uint8_t> imagePixels;

    void SetUp() override
    {
        ensureGlTestWindow(64, 64, GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        // 5 pixels a row: 15 bytes, so any row alignment but 1 would skew it.
        std::string raster;
        for (int i = 0; i < 5 * 3 * 3; ++i)
            raster += static_cast<char>(i * 5 + 3);
        imagePath = dir.write("five.ppm", "P6 5 3 255\n" + raster);
        imagePixels.assign(raster.begin(), raster.end());
    }

    void TearDown() override
    {
        glDisable(GL_TEXTURE_2D);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }

    void setUpWith(int filter, int texturing)
    {
        // Leave a wrong alignment behind: the set-up must set its own.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        setUpEnvironmentTexture(imagePath.c_str(), filter, texturing != 0);
    }

    static GLint texParameter(GLenum name)
    {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }

    static GLint levelWidth(int level)
    {
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        return width;
    }

    std::vector<std::uint8_t> levelZero() const
    {
        std::vector<std::uint8_t> rgb(imagePixels.size() + 16, 0xEE);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        rgb.resize(imagePixels.size());
        return rgb;
    }
};

TEST_F(TextureSetUp, LinearUploadsTheImageAtItsOwnSizeWithoutSkewOrMipmaps)
{
    setUpWith(GL_LINEAR, 1);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_NE(environmentTexture, 0u);
    EXPECT_EQ(static_cast<GLuint>(bound), environmentTexture);
    EXPECT_EQ(levelWidth(0), 5);
    EXPECT_EQ(levelWidth(1), 0);
    EXPECT_EQ(levelZero(), imagePixels);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
}

TEST_F(TextureSetUp, NearestSetsBothFiltersToNearest)
{
    setUpWith(GL_NEAREST, 1);
    EXPECT_EQ(levelZero(), imagePixels);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
}

TEST_F(TextureSetUp, TrilinearBuildsAFullMipmapChain)
{
    setUpWith(GL_LINEAR_MIPMAP_LINEAR, 1);
    // GLU scales the image to powers of two and builds every level down to 1.
    const GLint base = levelWidth(0);
    EXPECT_GT(base, 0);
    EXPECT_EQ(base & (base - 1), 0) << base;
    GLint level = 0;
    while (levelWidth(level + 1) > 0)
        ++level;
    EXPECT_EQ(levelWidth(level), 1);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
}

TEST_F(TextureSetUp, FixedStateRepeatModulateAndSphereMapGeneration)
{
    setUpWith(GL_LINEAR, 1);
    EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    for (GLenum coordinate : {GL_S, GL_T}) {
        GLint generation = 0;
        glGetTexGeniv(coordinate, GL_TEXTURE_GEN_MODE, &generation);
        EXPECT_EQ(generation, GL_SPHERE_MAP);
    }
    // Configured, but switched on only by each frame.
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureSetUp, WithoutTexturingTheImageIsStillUploadedButTexturingStaysOff)
{
    setUpWith(GL_NEAREST, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(levelZero(), imagePixels);
}

TEST_F(TextureSetUp, ApplyTextureFilterSetsBothFilters)
{
    setUpWith(GL_LINEAR, 1);
    applyTextureFilter(GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    applyTextureFilter(GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
}

} // namespace
