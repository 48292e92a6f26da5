#include "campaign.h"

#include <cstdlib>
#include <regex>

#include "support/program_run.h"

namespace {

const char* const errorCaptions[] = {"qlxtest error", "Loading Image Error", "Image Format Error", "GLU Error"};

bool isErrorBox(const TopWindow& w)
{
    for (const char* caption : errorCaptions) {
        if (w.name == caption)
            return true;
    }
    return false;
}

// "%7.2f FPS ..." or "%9.3f kTPS ...": the meter has counted finished frames.
bool showsRate(const std::string& name)
{
    static const std::regex rate(R"(^ *\d+\.\d+ (FPS|kTPS)( .*)?$)");
    return std::regex_match(name, rate);
}

} // namespace

void Campaign::start(const std::vector<std::string>& args, const Environment& env,
                     const std::string& workingDirectory, const std::vector<std::string>& command)
{
    std::vector<std::string> argv = command;
    argv.push_back(QLXTEST_EXECUTABLE);
    argv.insert(argv.end(), args.begin(), args.end());
    program.emplace(argv, programEnvironment(display.name(), env),
                    workingDirectory.empty() ? defaultImageDirectory() : workingDirectory);
}

void Campaign::expectRunning(bool framesShown, const Patience& patience)
{
    const auto found = waitForWindow(display.name(), [](const TopWindow& w) { return !w.name.empty(); },
                                     patience.windowMs);
    ASSERT_TRUE(found.has_value()) << "no window; status " << program->waitExit(0).value_or(999)
                                   << "; stderr: " << standardError();
    ASSERT_FALSE(isErrorBox(*found)) << found->name << ": " << standardError();
    window = *found;
    if (framesShown) {
        const std::string name = waitForName(display.name(), window.id, showsRate, patience.framesMs);
        ASSERT_TRUE(showsRate(name)) << "no finished frame; title \"" << name << "\"; stderr: " << standardError();
    }
    for (const auto& w : topLevelWindows(display.name()))
        ASSERT_FALSE(isErrorBox(w)) << w.name << ": " << standardError();
    ASSERT_TRUE(program->running()) << "status " << program->waitExit(0).value_or(999) << "; stderr: "
                                    << standardError();
}

void Campaign::expectEscapeEnds(const Patience& patience)
{
    sendKey(display.name(), window.id, "Escape");
    const auto status = program->waitExit(patience.exitMs);
    ASSERT_TRUE(status.has_value()) << "still running " << patience.exitMs << " ms after Escape";
    EXPECT_EQ(*status, 0) << standardError();
    EXPECT_EQ(standardError(), "");
}

void Campaign::expectRuns(const std::function<void(const Screenshot&)>& lookAtPicture, const Patience& patience)
{
    expectRunning(true, patience);
    if (HasFatalFailure())
        return;
    if (lookAtPicture)
        lookAtPicture(picture());
    expectEscapeEnds(patience);
}

void Campaign::expectFatal(const std::string& caption, const std::string& text, const Patience& patience,
                           const std::function<void(const TopWindow&)>& lookAtBox)
{
    const auto box = waitForWindow(display.name(), [&](const TopWindow& w) { return w.name == caption; },
                                   patience.windowMs);
    ASSERT_TRUE(box.has_value()) << "no box titled \"" << caption << "\"; status "
                                 << program->waitExit(0).value_or(999) << "; stderr: " << standardError();
    // The program waits on the box: nothing on standard error yet.
    EXPECT_EQ(standardError(), "");
    ASSERT_TRUE(waitViewable(display.name(), box->id, patience.windowMs));
    if (lookAtBox)
        lookAtBox(*box);
    sendKey(display.name(), box->id, "Return");
    const auto status = program->waitExit(patience.exitMs);
    ASSERT_TRUE(status.has_value()) << "still running " << patience.exitMs << " ms after the box's OK";
    EXPECT_EQ(*status, 0) << standardError();
    EXPECT_EQ(standardError(), text + "\n");
}

Screenshot Campaign::picture()
{
    return screenshot(display.name(), window.id);
}

int objectPixels(const Screenshot& shot)
{
    int count = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const std::uint8_t* p = shot.pixel(x, y);
            count += p[0] != clearColour[0] || p[1] != clearColour[1] || p[2] != clearColour[2];
        }
    }
    return count;
}

bool centreIs(const Screenshot& shot, const std::uint8_t rgb[3], int halfSide, int tolerance)
{
    if (shot.width < 2 * halfSide + 1 || shot.height < 2 * halfSide + 1)
        return false;
    const int cx = shot.width / 2;
    const int cy = shot.height / 2;
    for (int y = cy - halfSide; y <= cy + halfSide; ++y) {
        for (int x = cx - halfSide; x <= cx + halfSide; ++x) {
            const std::uint8_t* p = shot.pixel(x, y);
            for (int c = 0; c < 3; ++c) {
                if (std::abs(p[c] - rgb[c]) > tolerance)
                    return false;
            }
        }
    }
    return true;
}
