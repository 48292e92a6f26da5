// The real program finding, refusing and showing its environment image.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

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
        // A rate in the title: frames were drawn after the set-up.
        const std::string title = waitForName(display.name(), window->id,
                                              [](const std::string& name) { return name.find("FPS") != name.npos; });
        EXPECT_NE(title.find("FPS"), title.npos) << "waited for a rate in the title: " << title;
        for (const auto& w : topLevelWindows(display.name()))
            EXPECT_EQ(w.id, window->id) << w.name << ": " << run.process().standardError();
        ASSERT_TRUE(run.process().running()) << run.process().standardError();
        ASSERT_TRUE(waitViewable(display.name(), window->id));
        sendKey(display.name(), window->id, "Escape");
        EXPECT_EQ(run.process().waitExit(patienceMs), 0);
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
        EXPECT_EQ(run.process().waitExit(patienceMs), 0);
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

} // namespace
