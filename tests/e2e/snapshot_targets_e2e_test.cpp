// Where -snapshot writes: pipes, links, files with their permissions, long
// names and standard output, and what is left when a write fails or a signal
// comes. The real program, headless, and once in a window on Xvfb.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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

const std::vector<std::string> run64{"-headless", "-width", "64", "-height", "64", "-frames", "3"};
const std::string oldPicture = "P6\n1 1\n255\nabc";

// The whole binary PPM of a size × size frame.
bool wholePicture(const std::string& bytes, int size)
{
    const std::string header = "P6\n" + std::to_string(size) + " " + std::to_string(size) + "\n255\n";
    return bytes.rfind(header, 0) == 0 && bytes.size() == header.size() + static_cast<std::size_t>(size * size * 3);
}

std::vector<std::pair<std::string, std::string>> headlessEnvironment(
    const std::vector<std::pair<std::string, std::string>>& env)
{
    auto all = programEnvironment("", env);
    all.erase(all.begin());  // DISPLAY
    return all;
}

// command, when given, goes in front (a shell that writes first).
Outcome runHeadless(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& env,
                    const std::vector<std::string>& command = {})
{
    std::vector<std::string> argv = command;
    argv.push_back(QLXTEST_EXECUTABLE);
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess program(argv, headlessEnvironment(env), defaultImageDirectory());
    Outcome outcome{program.waitExit(60000), "", ""};
    outcome.out = program.standardOutput();
    outcome.err = program.standardError();
    return outcome;
}

std::vector<std::string> temporaryFiles(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.path().filename().string().rfind(".qlxtest-", 0) == 0)
            found.push_back(entry.path());
    }
    return found;
}

mode_t permissions(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct TargetCase {
    std::string name;
    // Makes what the case needs in dir; returns -snapshot's argument.
    std::function<std::string(const TempDir& dir)> prepare;
    std::optional<int> status;  // nothing: any, as long as the run ends
    std::function<void(const std::string& target, const Outcome& run)> check;
    std::vector<std::pair<std::string, std::string>> env = {};
    std::vector<std::string> command = {};
    bool needsNormalUser = false;
};

class SnapshotTargets : public ::testing::Test {
protected:
    SnapshotTargets() { ::unsetenv("DISPLAY"); }
    TempDir dir;
};

TEST_F(SnapshotTargets, EveryTargetGetsThePictureOrKeepsWhatItHad)
{
    const auto wrote = [](const std::string& target, const Outcome& run) {
        EXPECT_TRUE(wholePicture(readWholeFile(target), 64)) << target;
        EXPECT_EQ(run.out.rfind("qlxtest-result: ", 0), 0u) << run.out;
    };
    const std::vector<TargetCase> cases{
        {"fifo without a reader",
         [](const TempDir& d) {
             ::mkfifo(d.file("fifo").c_str(), 0600);
             return d.file("fifo");
         },
         1,
         [](const std::string& target, const Outcome& run) {
             EXPECT_EQ(run.err, "Can't write snapshot " + target + ": no process reads the pipe\n");
         }},
        {"link to a file in another directory",
         [](const TempDir& d) {
             std::filesystem::create_directory(d.file("pictures"));
             d.write("pictures/shot.ppm", oldPicture);
             std::filesystem::create_symlink("pictures/shot.ppm", d.file("link.ppm"));
             return d.file("link.ppm");
         },
         0,
         [&](const std::string& target, const Outcome& run) {
             EXPECT_EQ(std::filesystem::read_symlink(target), "pictures/shot.ppm");
             wrote(target, run);
         }},
        {"dangling link",
         [](const TempDir& d) {
             std::filesystem::create_directory(d.file("pictures"));
             std::filesystem::create_symlink("pictures/new.ppm", d.file("link.ppm"));
             return d.file("link.ppm");
         },
         0,
         [&](const std::string& target, const Outcome& run) {
             EXPECT_TRUE(std::filesystem::is_symlink(target));
             wrote(target, run);
         }},
        // Neither mkstemp's mode nor a new file's.
        {"file readable by its group only",
         [](const TempDir& d) {
             ::chmod(d.write("shot.ppm", oldPicture).c_str(), 0640);
             return d.file("shot.ppm");
         },
         0,
         [&](const std::string& target, const Outcome& run) {
             EXPECT_EQ(permissions(target), 0640u);
             wrote(target, run);
         }},
        {"read-only file",
         [](const TempDir& d) {
             ::chmod(d.write("shot.ppm", oldPicture).c_str(), 0444);
             return d.file("shot.ppm");
         },
         1,
         [&](const std::string& target, const Outcome& run) {
             EXPECT_EQ(run.err, "Can't write snapshot " + target + ": Permission denied\n");
             EXPECT_EQ(readWholeFile(target), oldPicture);
         },
         {},
         {},
         true},
        {"255-byte name", [](const TempDir& d) { return d.file(std::string(251, 'n') + ".ppm"); }, 0, wrote},
        // After what the script wrote there: written through it, not replaced.
        {"standard output", [](const TempDir&) { return std::string("/dev/stdout"); }, 0,
         [](const std::string&, const Outcome& run) {
             EXPECT_EQ(run.out.rfind("before\n", 0), 0u) << run.out.substr(0, 40);
             EXPECT_TRUE(wholePicture(run.out.substr(7), 64)) << run.out.substr(0, 40);
             EXPECT_EQ(run.err.rfind("qlxtest-result: ", 0), 0u) << run.err;
         },
         {},
         {"/bin/sh", "-c", "echo before; exec \"$0\" \"$@\""}},
        {"SIGTERM during the write", [](const TempDir& d) { return d.write("shot.ppm", oldPicture); }, std::nullopt,
         [](const std::string& target, const Outcome&) {
             const std::string now = readWholeFile(target);
             EXPECT_TRUE(now == oldPicture || wholePicture(now, 64)) << now.size() << " bytes";
         },
         {{"LD_PRELOAD", QLXTEST_SNAPSHOT_SIGNAL_SHIM}}},
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsNormalUser && ::geteuid() == 0)
            continue;  // root may write a read-only file
        TempDir caseDir;
        const std::string target = c.prepare(caseDir);
        std::vector<std::string> args = run64;
        args.insert(args.end(), {"-snapshot", target});
        const Outcome run = runHeadless(args, c.env, c.command);
        ASSERT_TRUE(run.status.has_value()) << "the run did not end";
        if (c.status) {
            EXPECT_EQ(run.status, c.status) << run.err;
        }
        c.check(target, run);
        EXPECT_EQ(temporaryFiles(caseDir.path()), std::vector<std::string>{});
    }
}

// A frame larger than a pipe's buffer reaches a reader that takes it slowly.
TEST_F(SnapshotTargets, AFifoGetsAFrameLargerThanItsBuffer)
{
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ChildProcess program({QLXTEST_EXECUTABLE, "-headless", "-width", "256", "-height", "256", "-frames", "3",
                          "-snapshot", fifo},
                         headlessEnvironment({}), defaultImageDirectory());
    std::string received;
    char buffer[4096];
    for (int quietPolls = 0; quietPolls < 600;) {
        pollfd ready{reader, POLLIN, 0};
        ::poll(&ready, 1, 100);
        const ssize_t n = ::read(reader, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, static_cast<std::size_t>(n));
        else if (!program.running())
            break;
        else
            ++quietPolls;
    }
    ::close(reader);
    EXPECT_EQ(program.waitExit(patienceMs), 0) << program.standardError();
    EXPECT_TRUE(wholePicture(received, 256)) << received.size() << " bytes";
}

// A reader that never reads keeps the write waiting; the signals that end a
// run still reach it there (nothing is held without a temporary file), the
// second ending it at once.
TEST_F(SnapshotTargets, APipeNobodyEmptiesLeavesTheProgramOpenToSignals)
{
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ChildProcess program({QLXTEST_EXECUTABLE, "-headless", "-width", "256", "-height", "256", "-frames", "1",
                          "-snapshot", fifo},
                         headlessEnvironment({}), defaultImageDirectory());
    // The line comes before the snapshot.
    for (int polls = 0; polls < 600 && program.standardOutput().empty(); ++polls)
        ::poll(nullptr, 0, 100);
    ::poll(nullptr, 0, 200);
    for (int signals = 0; signals < 2; ++signals) {
        ::kill(program.pid(), SIGTERM);
        ::poll(nullptr, 0, 200);
    }
    EXPECT_EQ(program.waitExit(patienceMs), -SIGTERM);
    ::close(reader);
}

// The window manager's close (WM_DELETE_WINDOW) of a single-buffered window:
// the toolkit destroys the window before the program exits.
TEST_F(SnapshotTargets, ASingleBufferedWindowClosedByTheWindowManagerLeavesItsLastFrame)
{
    VirtualDisplay display;
    const std::string target = dir.file("shot.ppm");
    ProgramRun program(display.name(), {"-SINGLE", "-width", "64", "-height", "64", "-snapshot", target});
    const auto window = program.waitWindow();
    ASSERT_TRUE(window.has_value()) << program.process().standardError();
    waitForName(display.name(), window->id, [](const std::string& name) { return name.find("FPS") != std::string::npos; });

    Display* const connection = XOpenDisplay(display.name().c_str());
    ASSERT_NE(connection, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window->id;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(connection, window->id, False, NoEventMask, &event);
    XCloseDisplay(connection);

    EXPECT_EQ(program.process().waitExit(30000), 0) << program.process().standardError();
    const std::string picture = readWholeFile(target);
    ASSERT_TRUE(wholePicture(picture, 64)) << picture.size() << " bytes";
    // Read from a window that was gone, the picture would be one colour.
    EXPECT_NE(picture.find_first_not_of(picture.back(), picture.size() - 64 * 64 * 3), std::string::npos);
}

} // namespace
