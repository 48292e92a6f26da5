// The real program finding, refusing and showing its environment image.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "image_files.h"
#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

constexpr const char* imageVariable = "QLX_TEST_IMAGE_PATH";
const std::string goodImage = "P3 2 2 255  255 0 0  0 255 0  0 0 255  255 255 255\n";
const std::string bilevelImage = "P1\n2 2\n0 1\n1 0\n";

class EnvironmentImage : public ::testing::Test {
protected:
    VirtualDisplay display;
    TempDir images;     // where the variable points
    TempDir emptyDir;   // a working directory without sky.ppm

    void SetUp() override { unsetenv(imageVariable); }

    static std::vector<std::pair<std::string, std::string>> variable(const std::string& value)
    {
        return {{imageVariable, value}};
    }

    // The run must get past the texture set-up: no error box, still running
    // well after its window appeared, and ended cleanly by Escape.
    void expectRuns(ProgramRun& run)
    {
        const auto window = run.waitWindow();
        ASSERT_TRUE(window.has_value()) << run.process().standardError();
        const auto box = waitForWindow(
            display.name(),
            [](const TopWindow& w) {
                return w.name == "Loading Image Error" || w.name == "Image Format Error" ||
                       w.name == "GLU Error";
            },
            1500);
        EXPECT_FALSE(box.has_value()) << box->name << ": " << run.process().standardError();
        ASSERT_TRUE(run.process().running()) << run.process().standardError();
        ASSERT_TRUE(waitViewable(display.name(), window->id));
        sendKey(display.name(), window->id, "Escape");
        EXPECT_EQ(run.process().waitExit(10000), 0);
        EXPECT_EQ(run.process().standardError(), "");
    }

    // The run must end in a fatal report: a box under the caption, and once
    // it is acknowledged the text on standard error and exit status 0.
    void expectFatal(ProgramRun& run, const std::string& caption, const std::string& text)
    {
        const auto box = waitForWindow(display.name(), [&](const TopWindow& w) { return w.name == caption; });
        ASSERT_TRUE(box.has_value()) << "no box titled " << caption << "; stderr: "
                                     << run.process().standardError();
        // Nothing reaches standard error before the box is acknowledged.
        EXPECT_EQ(run.process().standardError(), "");
        ASSERT_TRUE(waitViewable(display.name(), box->id));
        sendKey(display.name(), box->id, "Return");
        EXPECT_EQ(run.process().waitExit(10000), 0);
        EXPECT_EQ(run.process().standardError(), text + "\n");
    }
};

// Found --------------------------------------------------------------------

TEST_F(EnvironmentImage, FoundDirectlyWithoutConsultingTheVariable)
{
    // The build writes sky.ppm into the default working directory; a refused
    // file in the variable's directory must not be read.
    images.write("sky.ppm", bilevelImage);
    ProgramRun run(display.name(), {}, variable(images.path()));
    expectRuns(run);
}

TEST_F(EnvironmentImage, FoundThroughTheVariableWhoseValueEndsInBlanks)
{
    images.write("sky.ppm", goodImage);
    ProgramRun run(display.name(), {}, variable(images.path() + "  \t"), emptyDir.path());
    expectRuns(run);
}

TEST_F(EnvironmentImage, FoundThroughTheVariableWhoseValueEndsInASeparator)
{
    images.write("sky.ppm", goodImage);
    ProgramRun run(display.name(), {}, variable(images.path() + "/"), emptyDir.path());
    expectRuns(run);
}

TEST_F(EnvironmentImage, FoundThroughAnEmptyVariableAtTheRoot)
{
    // "" + "/" + "tmp/..." is the absolute path of the image.
    images.write("sky.ppm", goodImage);
    const std::string fromRoot = images.file("sky.ppm").substr(1);
    ProgramRun run(display.name(), {"-envfile", fromRoot}, variable(""), emptyDir.path());
    expectRuns(run);
}

// Missing ------------------------------------------------------------------

TEST_F(EnvironmentImage, MissingWithoutTheVariable)
{
    ProgramRun run(display.name(), {}, {}, emptyDir.path());
    expectFatal(run, "Loading Image Error", "Can't open file sky.ppm.");
}

TEST_F(EnvironmentImage, MissingInBothPlacesNamesTheFileUnchanged)
{
    ProgramRun run(display.name(), {"-e", "not-there.ppm"}, variable(images.path()), emptyDir.path());
    expectFatal(run, "Loading Image Error", "Can't open file not-there.ppm.");
}

TEST_F(EnvironmentImage, NoTexturingStillNeedsTheImage)
{
    ProgramRun run(display.name(), {"-NOTEX"}, {}, emptyDir.path());
    expectFatal(run, "Loading Image Error", "Can't open file sky.ppm.");
}

// Refused ------------------------------------------------------------------

TEST_F(EnvironmentImage, RefusedThroughTheVariableNamesTheFullPath)
{
    images.write("sky.ppm", bilevelImage);
    ProgramRun run(display.name(), {}, variable(images.path()), emptyDir.path());
    expectFatal(run, "Image Format Error", images.path() + "/sky.ppm is not ppm format.");
}

TEST_F(EnvironmentImage, RefusedThroughTheVariableShowsTheTrimmedDirectoryWithOneSeparator)
{
    images.write("sky.ppm", bilevelImage);
    {
        ProgramRun run(display.name(), {}, variable(images.path() + " \t "), emptyDir.path());
        expectFatal(run, "Image Format Error", images.path() + "/sky.ppm is not ppm format.");
    }
    {
        ProgramRun run(display.name(), {}, variable(images.path() + "/"), emptyDir.path());
        expectFatal(run, "Image Format Error", images.path() + "/sky.ppm is not ppm format.");
    }
}

TEST_F(EnvironmentImage, RefusedDirectlyNamesTheBareName)
{
    images.write("sky.ppm", bilevelImage);
    ProgramRun run(display.name(), {}, variable("/nowhere"), images.path());
    expectFatal(run, "Image Format Error", "sky.ppm is not ppm format.");
}

TEST_F(EnvironmentImage, RefusedWhenTheHeaderIsOutOfRange)
{
    images.write("huge.ppm", "P6 70000 70000 255\n");
    ProgramRun run(display.name(), {"-envfile", "huge.ppm"}, {}, images.path());
    expectFatal(run, "Image Format Error", "huge.ppm is not ppm format.");
}

// Shown --------------------------------------------------------------------

// A 5 x 3 image, 15 bytes a row, on the textured square: any row alignment
// but 1 would shift rows 1 and 2 by one or two bytes and mix the channels.
class TexturedSquare : public EnvironmentImage {
protected:
    static constexpr int columns = 5;
    static constexpr int rows = 3;
    std::vector<std::uint8_t> rgb;

    void SetUp() override
    {
        EnvironmentImage::SetUp();
        std::string raster;
        for (int i = 0; i < columns * rows; ++i) {
            for (const int value : {(i * 53 + 20) % 256, 235 - i * 15, (i * 101 + 90) % 256}) {
                raster += static_cast<char>(value);
                rgb.push_back(static_cast<std::uint8_t>(value));
            }
        }
        images.write("five.ppm", "P6\n5 3\n255\n" + raster);
    }

    // Where texel (column, row) centre lands in a 512 x 512 window. The square
    // spans -8..8 at 16 units from the eye, field of view 50 degrees; texture
    // row t = 0 (the file's first row) is at the bottom.
    static void texelCentre(int column, int row, int& x, int& y)
    {
        const double halfView = 16.0 * std::tan(25.0 * 3.14159265358979 / 180.0);
        const double objectX = (column + 0.5) / columns * 16.0 - 8.0;
        const double objectY = (row + 0.5) / rows * 16.0 - 8.0;
        x = static_cast<int>(std::lround((objectX / halfView + 1.0) * 256.0 - 0.5));
        y = static_cast<int>(std::lround((1.0 - objectY / halfView) * 256.0 - 0.5));
    }

    void expectImageOnScreen(const std::string& filterOption)
    {
        ProgramRun run(display.name(), {"-TEXTURE", filterOption, "-envfile", "five.ppm"}, {}, images.path());
        const auto window = run.waitWindow();
        ASSERT_TRUE(window.has_value()) << run.process().standardError();
        ASSERT_TRUE(waitViewable(display.name(), window->id));

        // The window may be clipped by one pixel at the top left.
        int x0 = 0, y0 = 0;
        texelCentre(0, 0, x0, y0);
        Screenshot shot;
        int offset = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            shot = screenshot(display.name(), window->id);
            offset = 512 - shot.width;
        } while ((shot.width < 511 || !sameColour(shot.pixel(x0 - offset, y0 - offset), &rgb[0])) &&
                 std::chrono::steady_clock::now() < deadline);
        ASSERT_GE(shot.width, 511);
        ASSERT_GE(shot.height, 511);

        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                int x = 0, y = 0;
                texelCentre(column, row, x, y);
                const std::uint8_t* seen = shot.pixel(x - offset, y - offset);
                const std::uint8_t* expected = &rgb[static_cast<std::size_t>(row * columns + column) * 3];
                EXPECT_TRUE(sameColour(seen, expected))
                    << filterOption << " texel " << column << "," << row << " at " << x << "," << y << ": seen "
                    << int(seen[0]) << " " << int(seen[1]) << " " << int(seen[2]) << ", image "
                    << int(expected[0]) << " " << int(expected[1]) << " " << int(expected[2]);
            }
        }
        sendKey(display.name(), window->id, "Escape");
        EXPECT_EQ(run.process().waitExit(10000), 0);
    }

    static bool sameColour(const std::uint8_t* a, const std::uint8_t* b)
    {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(int(a[c]) - int(b[c])) > 6)
                return false;
        }
        return true;
    }
};

TEST_F(TexturedSquare, LinearShowsTheImageWithoutSkew)
{
    expectImageOnScreen("-L");
}

TEST_F(TexturedSquare, NearestShowsTheImageWithoutSkew)
{
    expectImageOnScreen("-N");
}

} // namespace
