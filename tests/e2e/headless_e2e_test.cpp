// The real program with no window system: DISPLAY unset, drawing through
// Mesa's EGL. Its pictures are compared with the same runs on Xvfb.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "image/image_files.h"
#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

struct Outcome {
    std::optional<int> status;
    std::string out;
    std::string err;
};

// Runs the program to its end: headless when display is empty, else on it.
// command, when given, goes in front (a shell that sets limits first).
// extraEnv is added to the program's environment.
Outcome runProgram(const std::vector<std::string>& args, const std::string& display = "",
                   const std::string& workingDirectory = "", const std::vector<std::string>& command = {},
                   int timeoutMs = 180000, const std::vector<std::pair<std::string, std::string>>& extraEnv = {})
{
    std::vector<std::string> argv = command;
    argv.push_back(QLXTEST_EXECUTABLE);
    argv.insert(argv.end(), args.begin(), args.end());
    auto env = programEnvironment(display, extraEnv);
    if (display.empty())
        env.erase(env.begin());  // DISPLAY; the test process has none either
    ChildProcess program(argv, env, workingDirectory.empty() ? defaultImageDirectory() : workingDirectory);
    Outcome outcome{program.waitExit(timeoutMs), "", ""};
    outcome.out = program.standardOutput();
    outcome.err = program.standardError();
    return outcome;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> all;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        all.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return all;
}

// The shim whose device displays make no pbuffer, for LD_PRELOAD.
std::string refusingPreload()
{
#ifdef QLXTEST_SANITIZER_PRELOAD
    return std::string(QLXTEST_REFUSE_DEVICE_PBUFFERS) + ":" + QLXTEST_SANITIZER_PRELOAD;
#else
    return QLXTEST_REFUSE_DEVICE_PBUFFERS;
#endif
}

class Headless : public ::testing::Test {
protected:
    Headless() { ::unsetenv("DISPLAY"); }
    TempDir dir;
};

TEST_F(Headless, BenchmarkRunEndsWithOneResultLineNamingTheRenderer)
{
    const Outcome run = runProgram({"-headless", "-MAXTRIANGLES", "-frames", "100"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 1u) << run.out;
    EXPECT_EQ(out[0].rfind("qlxtest-result: ", 0), 0u) << out[0];
    for (const char* field : {" frames=100 ", " swap_interval=none", " renderer=\"llvmpipe", " width=128 "})
        EXPECT_NE(out[0].find(field), std::string::npos) << field << " in " << out[0];
}

TEST_F(Headless, CommandLinesThatCannotRunAreRefusedInOneLine)
{
    struct Refusal {
        std::vector<std::string> args;
        std::string line;  // "" where only its being one line matters
    };
    const std::string vc = "-validate cannot be combined with ";
    for (const Refusal& refusal : std::vector<Refusal>{
             {{"-headless"}, ""},
             {{"-headless", "-frames", "0", "-seconds", "-1"}, ""},
             {{"-headless", "-seconds", "1e400"}, ""},
             {{"-headless", "-FPS", "-frames", "5"}, ""},
             {{"-headless", "-frames", "5", "-device", "99"}, ""},
             {{"-headless", "-validate", "-device", "-1"}, ""},
             {{"-frames", "5", "-device", "0"}, ""},
             {{"-headless", "-frames", "5", "-device", "99999999999"},
              "-device 99999999999: EGL lists no such device (see -listdevices)"},
             {{"-headless", "-frames", "1e4"}, "-frames needs an integer, not \"1e4\""},
             {{"-headless", "-frames", "2x"}, "-frames needs an integer, not \"2x\""},
             {{"-headless", "-frames", ""}, "-frames needs an integer, not \"\""},
             {{"-headless", "-frames", "5", "-device", "0.5"}, "-device needs an integer, not \"0.5\""},
             {{"-headless", "-seconds", "1s"}, "-seconds needs a number, not \"1s\""},
             {{"-headless", "-frames", "5", "-spin", "e3"}, "-spin needs a number, not \"e3\""},
             {{"-headless", "-frames", "5", "-timestep", " 1"}, "-timestep needs a number, not \" 1\""},
             {{"-frames", "5", "-swapinterval", "0x1"}, "-swapinterval needs an integer, not \"0x1\""},
             {{"-headless", "-frames", "5", "-snapshot"}, "-snapshot needs a value after it"},
             {{"-headless", "-seconds", "1", "-frames"}, "-frames needs a value after it"},
             {{"-headless", "-validate", "-snapshot", dir.file("s.ppm")}, vc + "-snapshot"},
             {{"-validate", "-frametimes", dir.file("f.csv")}, vc + "-frametimes"},
             {{"-headless", "-validate", "-checksum"}, vc + "-checksum"},
             {{"-headless", "-validate", "-frames", "3"}, vc + "-frames"},
             {{"-validate", "-seconds", "0.5"}, vc + "-seconds"},
             {{"-validate", "-graph"}, vc + "-graph"},
             {{"-headless", "-gr", "-validate"}, vc + "-graph"}}) {
        SCOPED_TRACE(refusal.args.back());
        const Outcome run = runProgram(refusal.args, "", "", {}, 30000);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        if (!refusal.line.empty()) {
            EXPECT_EQ(run.err, refusal.line + "\n");
        }
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    // Numbers keep their meaning: no limit, then the limit that ends the run.
    const Outcome run = runProgram({"-headless", "-w", "8", "-h", "8", "-seconds", "1e400", "-frames", "+2",
                                    "-spin", "-1.5E+2", "-timestep", "0", "-device", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(" frames=2 "), std::string::npos) << run.out;
}

// nohup, and a shell's background job: what was ignored at start stays
// ignored, and the run reaches its limit.
TEST_F(Headless, SignalsIgnoredAtStartStayIgnored)
{
    auto env = programEnvironment("", {});
    env.erase(env.begin());  // DISPLAY
    for (const auto& [command, signal] : std::vector<std::pair<std::string, int>>{
             {"exec nohup \"$0\" \"$@\"", SIGHUP}, {"trap '' INT; exec \"$0\" \"$@\"", SIGINT}}) {
        SCOPED_TRACE(signal);
        ChildProcess program({"/bin/sh", "-c", command, QLXTEST_EXECUTABLE, "-headless", "-w", "8", "-h", "8",
                              "-seconds", "3"},
                             env, defaultImageDirectory());
        // SIGTERM caught: the program has set up its signals.
        const auto termCaught = [&] {
            std::ifstream status("/proc/" + std::to_string(program.pid()) + "/status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("SigCgt:", 0) == 0)
                    return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
            }
            return false;
        };
        for (int polls = 0; polls < 300 && !termCaught(); ++polls)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_TRUE(termCaught()) << program.standardError();
        ::kill(program.pid(), signal);
        EXPECT_EQ(program.waitExit(30000), 0) << program.standardError();
        EXPECT_NE(program.standardOutput().find(" ended=limit"), std::string::npos) << program.standardOutput();
    }
}

// The shim's devices make no pbuffer: the run goes on past them to the
// surfaceless platform, the last candidate. When that refuses too, the one
// line names every candidate and what it refused.
TEST_F(Headless, ACandidateThatFailsPartWayGivesWayToTheNext)
{
    const std::string preload = refusingPreload();
    const std::vector<std::string> args{"-headless", "-width", "64", "-height", "64", "-frames", "3"};
    const Outcome onSurfaceless = runProgram(args, "", "", {}, 60000, {{"LD_PRELOAD", preload}});
    EXPECT_EQ(onSurfaceless.status, 0) << onSurfaceless.err;
    EXPECT_EQ(onSurfaceless.err, "");
    EXPECT_EQ(onSurfaceless.out.rfind("qlxtest-result: ", 0), 0u) << onSurfaceless.out;

    const Outcome nowhere =
        runProgram(args, "", "", {}, 60000, {{"LD_PRELOAD", preload}, {"QLX_REFUSE_EVERY_PBUFFER", "1"}});
    EXPECT_EQ(nowhere.out, "");
    // Mesa always offers its software device, besides any GPU.
    const std::string refused = "EGL cannot make a 64 x 64 buffer";
    const std::regex everyCandidate("Headless run: no EGL candidate could draw: "
                                    "((software )?device \\d+( \\(/dev/\\S+\\))?: " + refused + "; )*"
                                    "software device \\d+: " + refused + "; surfaceless: " + refused + "\\.\n");
    EXPECT_TRUE(std::regex_match(nowhere.err, everyCandidate)) << nowhere.err;
}

// Each line: number, node, renderer. Mesa always offers its software device.
TEST_F(Headless, DevicesAreListedAndChosenByNumber)
{
    const Outcome listed = runProgram({"-listdevices"}, "", "", {}, 60000);
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.err, "");
    std::string software;
    std::string renderer;
    const auto out = lines(listed.out);
    for (std::size_t i = 0; i < out.size(); ++i) {
        std::smatch line;
        ASSERT_TRUE(std::regex_match(out[i], line, std::regex("(\\d+) (\\S+) (.+)"))) << out[i];
        EXPECT_EQ(line[1], std::to_string(i));
        if (line[2] == "software" && software.empty()) {
            software = line[1];
            renderer = line[3];
        }
    }
    ASSERT_FALSE(software.empty()) << listed.out;
    EXPECT_NE(renderer[0], '(') << renderer;

    const std::vector<std::string> run{"-headless", "-width", "64", "-height", "64", "-frames", "2", "-device",
                                       software};
    const Outcome chosen = runProgram(run, "", "", {}, 60000);
    EXPECT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_NE(chosen.out.find(" renderer=\"" + renderer + "\" "), std::string::npos) << chosen.out;

    // The chosen device alone: no other candidate stands in for it.
    const Outcome refused = runProgram(run, "", "", {}, 60000, {{"LD_PRELOAD", refusingPreload()}});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "Headless run: -device " + software + " could not draw: software device " + software +
                               ": EGL cannot make a 64 x 64 buffer.\n");

    const Outcome noEgl =
        runProgram({"-listdevices"}, "", "", {}, 60000, {{"__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent.json"}});
    EXPECT_EQ(noEgl.status, 1);
    EXPECT_EQ(noEgl.out, "");
    EXPECT_EQ(lines(noEgl.err).size(), 1u) << noEgl.err;
    // Without EGL no number can be checked: the machine's failure, not the
    // command line's, with the value as typed.
    const Outcome noList = runProgram({"-headless", "-frames", "1", "-device", "007"}, "", "", {}, 60000,
                                      {{"__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent.json"}});
    EXPECT_EQ(noList.status, 1);
    EXPECT_EQ(noList.err, "-device 007: EGL cannot start here, so it lists no device.\n");
}

// On a display the box could show and would wait for its OK: neither a
// report after the off-screen buffer exists nor one before it shows one, and
// each ends a run a script asked for with status 1.
TEST_F(Headless, ReportsComeWithoutABox)
{
    VirtualDisplay display;
    const Outcome missing =
        runProgram({"-headless", "-frames", "5", "-envfile", "missing.ppm"}, display.name(), dir.path(), {}, 30000);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Can't open file missing.ppm.\n");
    const Outcome early = runProgram({"-headless", "-frames", "5", "-motion", "70000"}, display.name(), "", {}, 30000);
    EXPECT_EQ(early.status, 1);
    EXPECT_EQ(early.err, "Too many motion steps: 70000, at most 65536 are allowed.\n");
}

// The default mode blends as many passes as a blurred frame, so rounding in
// the blend shows here as well as the depth buffer's precision.
TEST_F(Headless, SnapshotsAgreeWithTheSameRunsOnXvfb)
{
    VirtualDisplay display;
    for (const std::string scene : {"", "-TEAPOT", "-TEXTURE"}) {
        SCOPED_TRACE(scene);
        std::vector<std::string> args{"-width", "256", "-height", "256", "-frames", "20"};
        if (!scene.empty())
            args.push_back(scene);
        const auto snapshot = [&](const std::string& name, const std::string& onDisplay) {
            std::vector<std::string> withFile = args;
            withFile.insert(withFile.end(), {"-snapshot", dir.file(name)});
            if (onDisplay.empty())
                withFile.push_back("-headless");
            const Outcome run = runProgram(withFile, onDisplay);
            EXPECT_EQ(run.status, 0) << run.err;
            return readPnmFile(dir.file(name));
        };
        const PnmImagePtr headless = snapshot("headless.ppm", "");
        const PnmImagePtr windowed = snapshot("windowed.ppm", display.name());
        ASSERT_TRUE(headless && windowed);
        ASSERT_EQ(headless->width, 256);
        ASSERT_EQ(headless->height, 256);
        ASSERT_EQ(windowed->width, 256);
        const auto a = pixelsOf(*headless);
        const auto b = pixelsOf(*windowed);
        ASSERT_EQ(a.size(), b.size());
        int worst = 0;
        for (std::size_t i = 0; i < a.size(); ++i)
            worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
        EXPECT_LE(worst, 1);
        // Not one flat colour: the object is there.
        EXPECT_NE(std::count(a.begin(), a.end(), a[0]), static_cast<long>(a.size()));
    }
}

TEST_F(Headless, ASnapshotThatCannotBeWrittenEndsWithStatusOne)
{
    const std::vector<std::string> args{"-headless", "-width", "64", "-height", "64", "-frames", "3", "-snapshot"};
    std::vector<std::string> full = args;
    full.push_back("/dev/full");
    const Outcome onFullDisk = runProgram(full);
    EXPECT_EQ(onFullDisk.status, 1);
    EXPECT_EQ(onFullDisk.err, "Can't write snapshot /dev/full: No space left on device\n");
    EXPECT_EQ(onFullDisk.out.rfind("qlxtest-result: ", 0), 0u) << onFullDisk.out;

    // A file size limit stops the write part way: the old file stays whole,
    // and the program, not the shell, keeps the limit's signal from ending it.
    const std::string old = dir.write("old.ppm", "P6\n1 1\n255\nabc");
    std::vector<std::string> limited = args;
    limited.push_back(old);
    const Outcome tooLarge = runProgram(limited, "", "", {"/bin/sh", "-c", "ulimit -f 1; exec \"$0\" \"$@\""});
    EXPECT_EQ(tooLarge.status, 1);
    EXPECT_NE(tooLarge.err.find(old + ": File too large"), std::string::npos) << tooLarge.err;
    EXPECT_EQ(readWholeFile(old), "P6\n1 1\n255\nabc");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A run a script asked for never reports a failure as success: not when
// EGL cannot start, nor when its line cannot be written; a reader that goes
// away costs the line, not the process or the snapshot.
TEST_F(Headless, ScriptedRunsEndWithAStatusThatTellsTheTruth)
{
    const std::vector<std::pair<std::string, std::string>> noEgl{
        {"__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent.json"}};
    const Outcome noDevice = runProgram({"-headless", "-frames", "5"}, "", "", {}, 60000, noEgl);
    EXPECT_EQ(noDevice.status, 1) << noDevice.err;
    EXPECT_EQ(lines(noDevice.err).size(), 1u) << noDevice.err;
    const Outcome noCheck = runProgram({"-headless", "-validate"}, "", "", {}, 60000, noEgl);
    EXPECT_NE(noCheck.status, 0) << noCheck.out;

    const std::vector<std::string> args{"-headless", "-width", "64", "-height", "64", "-frames", "3"};
    const Outcome fullDisk = runProgram(args, "", "", {"/bin/sh", "-c", "exec \"$0\" \"$@\" > /dev/full"});
    EXPECT_EQ(fullDisk.status, 1);
    EXPECT_EQ(fullDisk.err, "Can't write the result line: No space left on device\n");
    for (const std::string request : {"help", "version"}) {
        const Outcome lost = runProgram({"--" + request}, "", "", {"/bin/sh", "-c", "exec \"$0\" \"$@\" > /dev/full"});
        EXPECT_EQ(lost.status, 1);
        EXPECT_EQ(lost.err, "Can't write the " + request + ": No space left on device\n");
    }
    // A closed standard output stays closed: what is written to it is lost, and said so.
    const std::vector<std::string> closeOutput{"/bin/sh", "-c", "exec \"$0\" \"$@\" >&-"};
    const Outcome closedOutput = runProgram(args, "", "", closeOutput);
    EXPECT_EQ(closedOutput.status, 1);
    EXPECT_EQ(closedOutput.err, "Can't write the result line: Bad file descriptor\n");
    const Outcome closedReport = runProgram({"-headless", "-validate"}, "", "", closeOutput);
    EXPECT_EQ(closedReport.status, 1);
    // So do the other closed streams, reached by a name that could reopen them for writing.
    for (const auto& [closing, name] : std::vector<std::pair<std::string, std::string>>{
             {"0<&-", "/dev/stdin"}, {"2>&-", "/dev/stderr"}}) {
        std::vector<std::string> toClosed = args;
        toClosed.insert(toClosed.end(), {"-frametimes", name});
        const Outcome lost = runProgram(toClosed, "", "", {"/bin/sh", "-c", "exec \"$0\" \"$@\" " + closing});
        EXPECT_EQ(lost.status, 1) << name << lost.err;
    }

    std::vector<std::string> withSnapshot = args;
    withSnapshot.insert(withSnapshot.end(), {"-snapshot", dir.file("piped.ppm")});
    const Outcome closedPipe =
        runProgram(withSnapshot, "", "", {"/bin/bash", "-c", "\"$0\" \"$@\" | head -c0; exit ${PIPESTATUS[0]}"});
    EXPECT_EQ(closedPipe.status, 1);
    EXPECT_TRUE(readPnmFile(dir.file("piped.ppm")));
}

// The value of key in a result line, as a number; -1 when it is missing.
double field(const std::string& line, const std::string& key)
{
    const std::size_t at = line.find(" " + key + "=");
    return at == std::string::npos ? -1.0 : std::atof(line.c_str() + at + key.size() + 2);
}

// Every counted frame has its row, the rows make up the run's time, and the
// line's figures are those of the rows: the nearest-rank p50 and p99 within
// a bucket (1 %), the maximum exact, and the 1 % low from the 2 longest.
TEST_F(Headless, FrameTimesDescribeEveryCountedFrame)
{
    const std::string csv = dir.file("f.csv");
    const Outcome run = runProgram({"-headless", "-width", "64", "-height", "64", "-frames", "200", "-frametimes", csv});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string line = run.out;
    const std::vector<std::string> rows = lines(readWholeFile(csv));
    ASSERT_EQ(rows.size(), 201u);  // the header and 200 rows
    EXPECT_EQ(rows.front(), "frame,end_seconds,duration_ms");
    std::vector<double> ms;
    for (std::size_t i = 1; i <= 200; ++i) {
        const std::regex row(std::to_string(i) + R"(,(\d+\.\d{9}),(\d+\.\d{6}))");
        std::smatch m;
        ASSERT_TRUE(std::regex_match(rows[i], m, row)) << rows[i];
        ms.push_back(std::atof(m[2].str().c_str()));
    }
    const double seconds = field(line, "seconds");
    EXPECT_NEAR(std::accumulate(ms.begin(), ms.end(), 0.0) / 1000.0, seconds, seconds * 0.001);
    std::sort(ms.begin(), ms.end());
    // Ranks ceil(0.5 x 200) and ceil(0.99 x 200); the line prints 3 decimals.
    EXPECT_NEAR(field(line, "frame_ms_p50"), ms[99], ms[99] * 0.01 + 0.0005) << line;
    EXPECT_NEAR(field(line, "frame_ms_p99"), ms[197], ms[197] * 0.01 + 0.0005) << line;
    EXPECT_NEAR(field(line, "frame_ms_max"), ms[199], 0.0005 + 0.000001) << line;
    const double low = 1000.0 / ((ms[198] + ms[199]) / 2.0);
    EXPECT_NEAR(field(line, "fps_1pct_low"), low, low * 0.01 + 0.005) << line;
    EXPECT_GT(field(line, "cpu_seconds"), 0.0);

    const Outcome shared = runProgram({"-headless", "-frames", "2", "-frametimes", csv, "-snapshot", "./f.csv"}, "",
                                      dir.path());
    EXPECT_EQ(shared.status, 2);
    EXPECT_EQ(shared.err, "-snapshot and -frametimes name the same file\n");
    const Outcome discarded = runProgram({"-headless", "-frames", "2", "-frametimes", "/dev/null", "-snapshot", "/dev/null"});
    EXPECT_EQ(discarded.status, 0) << discarded.err;
}

// The blurred, spinning goblet at a fixed step is the same frame on every
// run, however busy the machine; one more sub-frame makes another picture.
TEST_F(Headless, FixedStepScenesGiveTheSameFrameEveryRun)
{
    // The checksum, after checking the frames' triangles; the frame goes to name.
    const auto run = [&](const std::vector<std::string>& extra, const std::string& name, const char* triangles) {
        std::vector<std::string> args{"-headless", "-width", "128", "-height", "128", "-timestep", "16.667",
                                      "-frames", "60", "-checksum", "-snapshot", dir.file(name)};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome outcome = runProgram(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(outcome.out.find(std::string(" triangles_per_frame=") + triangles + " "), std::string::npos)
            << outcome.out;
        std::smatch m;
        EXPECT_TRUE(std::regex_search(outcome.out, m, std::regex(" checksum=([0-9a-f]{16})\n"))) << outcome.out;
        return m.empty() ? std::string() : m[1].str();
    };
    const std::string alone = run({"-blur", "-spin", "720"}, "a.ppm", "18240");
    ChildProcess busy({"/bin/sh", "-c", "while :; do :; done"}, {});
    EXPECT_EQ(run({"-blur", "-spin", "720"}, "b.ppm", "18240"), alone);
    busy.waitExit(0);
    EXPECT_NE(run({"-blur", "-spin", "720", "-motion", "9"}, "c.ppm", "20672"), alone);

    // Blur shows several orientations at once: the object covers more of the
    // frame than the same last orientation drawn sharp.
    run({"-blur", "-spin", "7200"}, "blurred.ppm", "18240");
    run({"-spin", "7200"}, "sharp.ppm", "1216");
    const auto covered = [&](const std::string& name) {
        const PnmImagePtr image = readPnmFile(dir.file(name));
        EXPECT_TRUE(image);
        const auto rgb = image ? pixelsOf(*image) : std::vector<std::uint8_t>{};
        long count = 0;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
            for (int c = 0; c < 3; ++c) {
                if (std::abs(int(rgb[i + c]) - int(rgb[c])) > 4) {
                    ++count;
                    break;
                }
            }
        }
        return count;
    };
    EXPECT_GT(covered("blurred.ppm"), covered("sharp.ppm") * 12 / 10);
}

} // namespace
