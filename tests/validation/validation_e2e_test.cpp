// qlxtest -validate on Xvfb: every check passes on Mesa, whatever else the
// command line says, and a damaged picture fails the check it damages.
#include <algorithm>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

struct Outcome {
    int status = -1;
    std::vector<std::string> lines;
    std::string errors;
};

Outcome validate(const std::vector<std::string>& args, const std::string& preload = "",
                 std::vector<std::pair<std::string, std::string>> env = {},
                 const std::vector<std::string>& serverArgs = {})
{
    VirtualDisplay display(1280, 1024, serverArgs);
    if (!preload.empty()) {
#ifdef QLXTEST_SANITIZER_PRELOAD
        env.emplace_back("LD_PRELOAD", preload + ":" + QLXTEST_SANITIZER_PRELOAD);
#else
        env.emplace_back("LD_PRELOAD", preload);
#endif
    }
    ProgramRun run(display.name(), args, env);
    Outcome outcome;
    outcome.status = run.process().waitExit(60000).value_or(-1);
    std::istringstream out(run.process().standardOutput());
    for (std::string line; std::getline(out, line);)
        outcome.lines.push_back(line);
    outcome.errors = run.process().standardError();
    return outcome;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

void expectEveryCheckPasses(const Outcome& run)
{
    EXPECT_EQ(run.status, 0) << joined(run.lines) << run.errors;
    ASSERT_EQ(run.lines.size(), 7u) << joined(run.lines) << run.errors;
    const std::regex blur(R"(qlxtest-validate: blur n=(2|8|16) worst=\S+ bound=\S+ mean=\S+ model=(\d+) pass)");
    for (int i = 0; i < 3; ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(run.lines[i], match, blur)) << run.lines[i];
        // Mesa's blend rounds each product as the 8-bit running average does.
        EXPECT_LE(std::stoi(match[2]), 1) << run.lines[i];
    }
    for (const char* check : {"faces ", "sky fade ", "skew "}) {
        const auto line = std::find_if(run.lines.begin() + 3, run.lines.end() - 1, [&](const std::string& l) {
            return l.rfind(std::string("qlxtest-validate: ") + check, 0) == 0;
        });
        ASSERT_NE(line, run.lines.end() - 1) << check << "\n" << joined(run.lines);
        EXPECT_EQ(line->substr(line->size() - 5), " pass") << *line;
    }
    EXPECT_TRUE(std::regex_match(run.lines.back(),
                                 std::regex("qlxtest-validate: 6 of 6 checks passed on \".*llvmpipe.*\"")))
        << run.lines.back();
}

TEST(Validation, EveryCheckPassesOnMesaWhateverTheOtherOptions)
{
    // None of these may matter, not even an image that is not there.
    expectEveryCheckPasses(
        validate({"-w", "100", "-TEAPOT", "-motion", "3", "-SINGLE", "-FPS", "-envfile", "none.ppm", "-v"}));
    // Off screen, without a display, and with no frame count to end it.
    expectEveryCheckPasses(validate({"-headless", "-validate"}, "", {{"DISPLAY", ""}}));
}

// A 16-bit visual rounds to 5 or 6 bits a channel, more than the 8-bit
// bounds allow: those checks skip, saying why, and the rest still pass.
TEST(Validation, ShallowColourBufferSkipsTheEightBitChecks)
{
    const Outcome run = validate({"-validate"}, "", {}, {"-screen", "0", "640x480x16"});
    EXPECT_EQ(run.status, 0) << joined(run.lines) << run.errors;
    const std::string skip = " the colour buffer holds 5 bits a channel, not 8";
    const std::vector<std::string> expected{
        "qlxtest-validate: blur skip: n=2" + skip, "qlxtest-validate: blur skip: n=8" + skip,
        "qlxtest-validate: blur skip: n=16" + skip, "qlxtest-validate: faces back-face pixels goblet=0 teapot=0 sky=0 pass",
        "qlxtest-validate: sky fade n=8 skip:" + skip, "qlxtest-validate: skew skip:" + skip};
    ASSERT_EQ(run.lines.size(), expected.size() + 1) << joined(run.lines) << run.errors;
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(run.lines[i], expected[i]);
    EXPECT_TRUE(std::regex_match(run.lines.back(),
                                 std::regex("qlxtest-validate: 1 of 6 checks passed, 5 skipped, on \".*llvmpipe.*\"")))
        << run.lines.back();
}

// Off screen the window never shows, so no check can run: the run ends on
// its own with one line and a failure.
TEST(Validation, AWindowThatNeverShowsFails)
{
    const Outcome run = validate({"-geometry", "256x256+3000+3000", "-validate"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "The validation window did not become visible within 10 seconds: no check ran.\n");
    EXPECT_TRUE(run.lines.empty()) << joined(run.lines);
}

TEST(Validation, DamagedPictureFailsTheCheckThatSeesIt)
{
    const struct {
        std::string preload;
        std::vector<std::string> failing;  // starts of lines that must end in FAIL
    } damages[] = {
        {QLX_BLEND_OVERWRITE_SHIM, {"blur n=2 ", "blur n=8 ", "blur n=16 ", "sky fade "}},
        {QLX_FRONT_FACE_FLIP_SHIM, {"faces back-face pixels goblet="}},
    };
    for (const auto& damage : damages) {
        const Outcome run = validate({"-validate"}, damage.preload);
        const std::string text = joined(run.lines);
        EXPECT_EQ(run.status, 1) << text << run.errors;
        for (const std::string& check : damage.failing) {
            const auto line = std::find_if(run.lines.begin(), run.lines.end(), [&](const std::string& l) {
                return l.rfind("qlxtest-validate: " + check, 0) == 0;
            });
            ASSERT_NE(line, run.lines.end()) << check << "\n" << text << run.errors;
            EXPECT_EQ(line->substr(line->size() - 5), " FAIL") << *line;
        }
    }
}

} // namespace
