// Fatal reports of the real program reach the user whatever the text and
// whatever the X server offers.

#include <gtest/gtest.h>

#include "hardening/campaign.h"
#include "image/image_files.h"

namespace {

// SDL's box is a dialog window; the program's own notice is not.
bool isSdlBox(const std::string& display, const TopWindow& w)
{
    return captureCommand("xprop -display " + display + " -id " + std::to_string(w.id) + " _NET_WM_WINDOW_TYPE")
               .find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos;
}

class FatalReport : public Campaign {
protected:
    explicit FatalReport(const std::vector<std::string>& serverArgs = {}) : Campaign(serverArgs) {}
    TempDir emptyDir;  // a working directory without sky.ppm
};

TEST_F(FatalReport, LongAndMalformedNamesGetABoxAndTheirFullBytesOnStandardError)
{
    const auto lookAtBox = [&](const TopWindow& box) {
        EXPECT_TRUE(isSdlBox(display.name(), box));
        EXPECT_LE(box.width, 640);
        EXPECT_LE(box.height, 400);
    };
    for (const std::string& name : {std::string(5000, 'n'), std::string("sky\xFF\xFE.ppm"),
                                    "dir/" + std::string(3000, '\n') + ".ppm"}) {
        SCOPED_TRACE(name.size());
        start({"-envfile", name}, {}, emptyDir.path());
        expectFatal("Loading Image Error", "Can't open file " + name + ".", {}, lookAtBox);
    }
}

TEST_F(FatalReport, ARunWithStandardErrorClosedEndsAfterTheBox)
{
    start({"-envfile", "missing.ppm"}, {}, emptyDir.path(), {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&-"});
    const auto box = waitForWindow(display.name(), [](const TopWindow& w) { return w.name == "Loading Image Error"; });
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(waitViewable(display.name(), box->id));
    sendKey(display.name(), box->id, "Return");
    EXPECT_EQ(program->waitExit(15000), 0);
}

TEST_F(FatalReport, WithoutADisplayOnlyTheLineRemains)
{
    start({"-motion", "70000"}, {{"DISPLAY", ":999"}});
    EXPECT_EQ(program->waitExit(15000), 0);
    EXPECT_EQ(standardError(), "Too many motion steps: 70000, at most 65536 are allowed.\n");
}

TEST_F(FatalReport, HelpAfterAnOptionIsItsValue)
{
    start({"-title", "--help"});
    const auto window = waitForWindow(display.name(), [](const TopWindow& w) { return !w.name.empty(); });
    ASSERT_TRUE(window.has_value()) << standardError();
    const std::string title = waitForName(display.name(), window->id, [](const std::string& name) {
        return name.size() > 7 && name.compare(name.size() - 7, 7, " --help") == 0;
    });
    EXPECT_EQ(title.substr(title.size() - 7), " --help");
    sendKey(display.name(), window->id, "Escape");
    EXPECT_EQ(program->waitExit(15000), 0);
    EXPECT_EQ(program->standardOutput(), "");
}

// Only the built-in font, as on a machine without font packages: SDL's box
// cannot draw, and the program's own notice stands in, before its window
// exists and after.
class FatalReportWithoutFonts : public FatalReport {
protected:
    FatalReportWithoutFonts() : FatalReport({"-fp", "built-ins"}) {}
};

TEST_F(FatalReportWithoutFonts, TheProgramsOwnNoticeShowsTheReport)
{
    start({}, {}, emptyDir.path());
    expectFatal("Loading Image Error", "Can't open file sky.ppm.", {},
                [&](const TopWindow& box) { EXPECT_FALSE(isSdlBox(display.name(), box)); });
    start({"-motion", "70000"});
    expectFatal("qlxtest error", "Too many motion steps: 70000, at most 65536 are allowed.");
}

} // namespace
