// Finding the environment image: directly, then through the directory
// variable; and the filter rule. Failures end the process and are covered by
// the end-to-end tests.

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "image/environment_texture.h"
#include "image_files.h"

namespace {

constexpr const char* variable = "QLX_TEST_IMAGE_LOOKUP_DIR";

class ImageLookup : public ::testing::Test {
protected:
    TempDir images;
    TempDir workingDir;
    std::string previousDir;

    void SetUp() override
    {
        // Distinct one-pixel images, so the test sees which file was read.
        images.write("sky.ppm", "P3 1 1 255 10 20 30");
        workingDir.write("sky.ppm", "P3 1 1 255 40 50 60");
        char buffer[4096];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        previousDir = buffer;
        unsetenv(variable);
    }

    void TearDown() override
    {
        unsetenv(variable);
        EXPECT_EQ(chdir(previousDir.c_str()), 0);
    }

    void enter(const std::string& dir) { ASSERT_EQ(chdir(dir.c_str()), 0); }

    static int red(const PnmImagePtr& image) { return image ? image->pixels[0] : -1; }

    // The image is freed first, so that a leak check at exit stays quiet.
    [[noreturn]] static void exitWithRed(const std::string& name, const std::string& defaultDir)
    {
        const int value = red(loadEnvironmentImage(name.c_str(), variable, defaultDir.c_str()));
        std::exit(value);
    }
};

TEST_F(ImageLookup, TheNameAsGivenComesFirstAndTheVariableIsNotNeeded)
{
    enter(workingDir.path());
    setenv(variable, images.path().c_str(), 1);
    EXPECT_EQ(red(loadEnvironmentImage("sky.ppm", variable)), 40);
    EXPECT_EQ(red(loadEnvironmentImage(images.file("sky.ppm").c_str(), variable)), 10);
}

TEST_F(ImageLookup, TheVariableNamesTheDirectoryToTryNext)
{
    enter(workingDir.path());
    images.write("other.ppm", "P3 1 1 255 70 80 90");
    setenv(variable, images.path().c_str(), 1);
    EXPECT_EQ(red(loadEnvironmentImage("other.ppm", variable)), 70);
}

TEST_F(ImageLookup, TrailingBlanksAndASeparatorInTheVariableAreHandled)
{
    enter(workingDir.path());
    images.write("other.ppm", "P3 1 1 255 70 80 90");
    for (const std::string& value : {images.path() + "  \t", images.path() + "/", images.path() + "/ \n"}) {
        setenv(variable, value.c_str(), 1);
        EXPECT_EQ(red(loadEnvironmentImage("other.ppm", variable)), 70) << '"' << value << '"';
    }
}

TEST_F(ImageLookup, AnEmptyVariableMeansTheRootDirectory)
{
    // From a directory where the relative name does not exist, "/" + name does.
    enter(workingDir.path());
    images.write("other.ppm", "P3 1 1 255 70 80 90");
    const std::string relativeToRoot = images.file("other.ppm").substr(1);
    setenv(variable, "", 1);
    EXPECT_EQ(red(loadEnvironmentImage(relativeToRoot.c_str(), variable)), 70);
}

// A lookup that fails ends the process with status 0, so these run in a child
// whose status is the red value read.
TEST_F(ImageLookup, TheDefaultDirectoryStandsInOnlyForAnUnsetVariable)
{
    enter(workingDir.path());
    images.write("other.ppm", "P3 1 1 255 70 80 90");
    const std::string defaultDir = images.path();
    EXPECT_EXIT(exitWithRed("other.ppm", defaultDir), ::testing::ExitedWithCode(70), "");
    // Set but empty, the variable still means the root directory.
    const std::string relativeToRoot = images.file("other.ppm").substr(1);
    setenv(variable, "", 1);
    EXPECT_EXIT(exitWithRed(relativeToRoot, defaultDir), ::testing::ExitedWithCode(70), "");
}

TEST(ImageDirectoryPrefix, TrimsTrailingWhitespaceAndEndsInOneSeparator)
{
    EXPECT_EQ(imageDirectoryPrefix("/images"), TextString("/images/"));
    EXPECT_EQ(imageDirectoryPrefix("/images/"), TextString("/images/"));
    EXPECT_EQ(imageDirectoryPrefix("/images \t\n\v\f\r"), TextString("/images/"));
    EXPECT_EQ(imageDirectoryPrefix("/images/  "), TextString("/images/"));
    EXPECT_EQ(imageDirectoryPrefix(""), TextString("/"));
    EXPECT_EQ(imageDirectoryPrefix("   "), TextString("/"));
    // Only the end is touched.
    EXPECT_EQ(imageDirectoryPrefix(" my images"), TextString(" my images/"));
    // A backslash is no separator here.
    EXPECT_EQ(imageDirectoryPrefix("C:\\images\\"), TextString("C:\\images\\/"));
}

TEST(TextureFilter, MagnificationFollowsTheFirstHalfOfTheName)
{
    EXPECT_EQ(magnificationFilterFor(GL_NEAREST), GL_NEAREST);
    EXPECT_EQ(magnificationFilterFor(GL_LINEAR), GL_LINEAR);
    EXPECT_EQ(magnificationFilterFor(GL_NEAREST_MIPMAP_NEAREST), GL_NEAREST);
    EXPECT_EQ(magnificationFilterFor(GL_LINEAR_MIPMAP_NEAREST), GL_LINEAR);
    EXPECT_EQ(magnificationFilterFor(GL_NEAREST_MIPMAP_LINEAR), GL_NEAREST);
    EXPECT_EQ(magnificationFilterFor(GL_LINEAR_MIPMAP_LINEAR), GL_LINEAR);
    EXPECT_EQ(magnificationFilterFor(12345), 12345);
}

} // namespace
