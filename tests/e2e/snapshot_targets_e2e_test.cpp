// Where -snapshot and -frametimes write: pipes, links, files with their
// permissions, ACLs and hard links, long names and standard output, and what
// is left when a write fails, no frame was drawn, or the run is killed. The
// real program, headless, and once in a window on Xvfb.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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

struct Inode {
    ino_t ino = 0;
    bool link = false;
};

Inode inodeOf(const std::string& path)
{
    struct stat st {};
    struct stat own {};
    const bool found = ::stat(path.c_str(), &st) == 0;
    return {found ? st.st_ino : 0, ::lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode)};
}

const std::vector<std::string> asNobody{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};

// Runs a shell command line, quietly; true when it succeeded.
bool shell(const std::string& line)
{
    return std::system(("(" + line + ") >/dev/null 2>&1").c_str()) == 0;
}

// Polls until the program (past its exec) has a file open whose name starts
// with prefix.
bool waitForOpenFile(ChildProcess& program, const std::string& prefix)
{
    const std::string fds = "/proc/" + std::to_string(program.pid()) + "/fd";
    const std::string exe = "/proc/" + std::to_string(program.pid()) + "/exe";
    for (int polls = 0; polls < 300 && program.running(); ++polls) {
        std::error_code error;
        const bool started = std::filesystem::read_symlink(exe, error) == QLXTEST_EXECUTABLE;
        for (const auto& fd : std::filesystem::directory_iterator(fds, error)) {
            if (started && std::filesystem::read_symlink(fd.path(), error).string().rfind(prefix, 0) == 0)
                return true;
        }
        ::poll(nullptr, 0, 100);
    }
    return false;
}

struct TargetCase {
    std::string name;
    // Makes what the case needs in dir; returns the arguments naming it.
    std::function<std::vector<std::string>(const TempDir& dir)> prepare;
    std::optional<int> status;  // nothing: any, as long as the run ends
    std::function<void(const TempDir& dir, const Outcome& run)> check;
    std::vector<std::string> command = {};
    bool needsRoot = false;
    bool needsNormalUser = false;
};

class SnapshotTargets : public ::testing::Test {
protected:
    SnapshotTargets() { ::unsetenv("DISPLAY"); }
    TempDir dir;
};

std::vector<std::string> snapshotTo(const std::string& path)
{
    return {"-snapshot", path};
}

TEST_F(SnapshotTargets, EveryTargetGetsThePictureOrKeepsWhatItHad)
{
    const auto wrote = [](const std::string& target, const Outcome& run) {
        EXPECT_TRUE(wholePicture(readWholeFile(target), 64)) << target;
        EXPECT_EQ(run.out.rfind("qlxtest-result: ", 0), 0u) << run.out;
    };
    const auto wroteShot = [&](const TempDir& d, const Outcome& run) { wrote(d.file("shot.ppm"), run); };
    const std::vector<TargetCase> cases{
        {"fifo without a reader",
         [](const TempDir& d) {
             ::mkfifo(d.file("fifo").c_str(), 0600);
             return snapshotTo(d.file("fifo"));
         },
         1,
         [](const TempDir& d, const Outcome& run) {
             EXPECT_EQ(run.err, "Can't write snapshot " + d.file("fifo") + ": no process reads the pipe\n");
         }},
        // Written in place: the link stays, its file keeps its inode.
        {"link to a file in another directory",
         [](const TempDir& d) {
             std::filesystem::create_directory(d.file("pictures"));
             d.write("pictures/shot.ppm", oldPicture);
             d.write("inode", std::to_string(inodeOf(d.file("pictures/shot.ppm")).ino));
             std::filesystem::create_symlink("pictures/shot.ppm", d.file("link.ppm"));
             return snapshotTo(d.file("link.ppm"));
         },
         0,
         [&](const TempDir& d, const Outcome& run) {
             EXPECT_EQ(std::filesystem::read_symlink(d.file("link.ppm")), "pictures/shot.ppm");
             EXPECT_EQ(std::to_string(inodeOf(d.file("pictures/shot.ppm")).ino), readWholeFile(d.file("inode")));
             wrote(d.file("link.ppm"), run);
         }},
        {"dangling link",
         [](const TempDir& d) {
             std::filesystem::create_directory(d.file("pictures"));
             std::filesystem::create_symlink("pictures/new.ppm", d.file("link.ppm"));
             return snapshotTo(d.file("link.ppm"));
         },
         0,
         [&](const TempDir& d, const Outcome& run) {
             EXPECT_TRUE(std::filesystem::is_symlink(d.file("link.ppm")));
             wrote(d.file("pictures/new.ppm"), run);
         }},
        // Another user's link to root's private file, in a sticky directory:
        // whatever the kernel lets a redirect do, and nothing more.
        {"another user's link in a sticky directory",
         [](const TempDir& d) {
             ::chmod(d.path().c_str(), 0755);
             for (const std::string twin : {"redirect", "program"}) {
                 const std::string sticky = d.file(twin);
                 std::filesystem::create_directory(sticky);
                 ::chmod(sticky.c_str(), 01777);
                 ::chmod(d.write(twin + "/secret", oldPicture).c_str(), 0600);
                 EXPECT_TRUE(shell("setpriv --reuid=65534 --regid=65534 --clear-groups ln -s secret " +
                                   shellQuote(sticky + "/shot.ppm")));
             }
             d.write("inode", std::to_string(inodeOf(d.file("program/secret")).ino));
             const bool redirected = shell("echo new > " + shellQuote(d.file("redirect/shot.ppm")));
             d.write("redirected", redirected ? "yes" : "no");
             return snapshotTo(d.file("program/shot.ppm"));
         },
         std::nullopt,
         [](const TempDir& d, const Outcome& run) {
             const bool redirected = readWholeFile(d.file("redirected")) == "yes";
             EXPECT_EQ(run.status, redirected ? 0 : 1) << run.err;
             EXPECT_EQ(readWholeFile(d.file("program/secret")) != oldPicture, redirected);
             EXPECT_TRUE(inodeOf(d.file("program/shot.ppm")).link);
             EXPECT_EQ(std::to_string(inodeOf(d.file("program/secret")).ino), readWholeFile(d.file("inode")));
         },
         {},
         true},
        {"file with an ACL",
         [](const TempDir& d) {
             d.write("shot.ppm", oldPicture);
             EXPECT_TRUE(shell("setfacl -m u:65534:r,g::-,m::r " + shellQuote(d.file("shot.ppm"))));
             d.write("acl", captureCommand("getfacl -p " + shellQuote(d.file("shot.ppm"))));
             return snapshotTo(d.file("shot.ppm"));
         },
         0,
         [&](const TempDir& d, const Outcome& run) {
             EXPECT_EQ(captureCommand("getfacl -p " + shellQuote(d.file("shot.ppm"))), readWholeFile(d.file("acl")));
             wroteShot(d, run);
         }},
        {"two hard links",
         [](const TempDir& d) {
             std::filesystem::create_hard_link(d.write("shot.ppm", oldPicture), d.file("other.ppm"));
             return snapshotTo(d.file("shot.ppm"));
         },
         0,
         [&](const TempDir& d, const Outcome& run) {
             wroteShot(d, run);
             EXPECT_TRUE(wholePicture(readWholeFile(d.file("other.ppm")), 64));
         }},
        {"writable file in a read-only directory",
         [](const TempDir& d) {
             ::chmod(d.path().c_str(), 0755);
             std::filesystem::create_directory(d.file("ro"));
             ::chmod(d.write("ro/shot.ppm", oldPicture).c_str(), 0666);
             ::chmod(d.file("ro").c_str(), 0555);
             return snapshotTo(d.file("ro/shot.ppm"));
         },
         0,
         [&](const TempDir& d, const Outcome& run) { wrote(d.file("ro/shot.ppm"), run); },
         asNobody,
         true},
        // Replaced: a reader holding the old file keeps it whole.
        {"plain file",
         [](const TempDir& d) {
             d.write("inode", std::to_string(inodeOf(d.write("shot.ppm", oldPicture)).ino));
             return snapshotTo(d.file("shot.ppm"));
         },
         0,
         [&](const TempDir& d, const Outcome& run) {
             EXPECT_NE(std::to_string(inodeOf(d.file("shot.ppm")).ino), readWholeFile(d.file("inode")));
             wroteShot(d, run);
         }},
        {"plain file past the file size limit",
         [](const TempDir& d) { return snapshotTo(d.write("shot.ppm", oldPicture)); },
         1,
         [](const TempDir& d, const Outcome& run) {
             EXPECT_EQ(readWholeFile(d.file("shot.ppm")), oldPicture);
             EXPECT_NE(run.err.find("Can't write snapshot " + d.file("shot.ppm") + ": File too large\n"),
                       std::string::npos)
                 << run.err;
         },
         {"/bin/sh", "-c", "ulimit -f 4; exec \"$0\" \"$@\""}},
        // Neither a temporary file's mode nor a new file's.
        {"file readable by its group only",
         [](const TempDir& d) {
             ::chmod(d.write("shot.ppm", oldPicture).c_str(), 0640);
             return snapshotTo(d.file("shot.ppm"));
         },
         0,
         [&](const TempDir& d, const Outcome& run) {
             EXPECT_EQ(permissions(d.file("shot.ppm")), 0640u);
             wroteShot(d, run);
         }},
        {"read-only file",
         [](const TempDir& d) {
             ::chmod(d.write("shot.ppm", oldPicture).c_str(), 0444);
             return snapshotTo(d.file("shot.ppm"));
         },
         1,
         [](const TempDir& d, const Outcome& run) {
             EXPECT_EQ(run.err, "Can't write snapshot " + d.file("shot.ppm") + ": Permission denied\n");
             EXPECT_EQ(readWholeFile(d.file("shot.ppm")), oldPicture);
         },
         {},
         false,
         true},
        {"255-byte name", [](const TempDir& d) { return snapshotTo(d.file(std::string(251, 'n') + ".ppm")); }, 0,
         [&](const TempDir& d, const Outcome& run) { wrote(d.file(std::string(251, 'n') + ".ppm"), run); }},
        // After what the script wrote there: written through it, not replaced.
        {"standard output", [](const TempDir&) { return snapshotTo("/dev/stdout"); }, 0,
         [](const TempDir&, const Outcome& run) {
             EXPECT_EQ(run.out.rfind("before\n", 0), 0u) << run.out.substr(0, 40);
             EXPECT_TRUE(wholePicture(run.out.substr(7), 64)) << run.out.substr(0, 40);
             EXPECT_EQ(run.err.rfind("qlxtest-result: ", 0), 0u) << run.err;
         },
         {"/bin/sh", "-c", "echo before; exec \"$0\" \"$@\""}},
        {"standard output closed", [](const TempDir&) { return snapshotTo("/dev/stdout"); }, 1,
         [](const TempDir&, const Outcome& run) {
             // The snapshot is written before the result line.
             const std::size_t line = run.err.find('\n') + 1;
             EXPECT_EQ(run.err.substr(0, line), "Can't write snapshot /dev/stdout: standard output is closed\n");
             EXPECT_EQ(run.err.rfind("qlxtest-result: ", line), line) << run.err;
         },
         {"/bin/sh", "-c", "exec \"$0\" \"$@\" >&-"}},
        // A run that fails before its first frame draws nothing to write.
        {"frame times in a missing directory",
         [](const TempDir& d) {
             return std::vector<std::string>{"-snapshot", d.write("shot.ppm", oldPicture), "-frametimes",
                                             d.file("nodir/times.csv")};
         },
         1,
         [](const TempDir& d, const Outcome& run) {
             EXPECT_EQ(readWholeFile(d.file("shot.ppm")), oldPicture);
             EXPECT_EQ(run.out, "");
         }},
        {"empty name", [](const TempDir&) { return snapshotTo(""); }, 2,
         [](const TempDir&, const Outcome& run) {
             EXPECT_EQ(run.err, "-snapshot needs a file name, not an empty one\n");
         }},
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.name);
        if ((c.needsRoot && ::geteuid() != 0) || (c.needsNormalUser && ::geteuid() == 0)) {
            std::printf("skipped \"%s\": it needs %s\n", c.name.c_str(), c.needsRoot ? "root" : "a normal user");
            continue;
        }
        TempDir caseDir;
        std::vector<std::string> args = run64;
        const std::vector<std::string> named = c.prepare(caseDir);
        args.insert(args.end(), named.begin(), named.end());
        const Outcome run = runHeadless(args, {}, c.command);
        ASSERT_TRUE(run.status.has_value()) << "the run did not end";
        if (c.status) {
            EXPECT_EQ(run.status, c.status) << run.err;
        }
        c.check(caseDir, run);
        EXPECT_EQ(temporaryFiles(caseDir.path()), std::vector<std::string>{});
    }
}

// SIGTERM before the first frame: nothing drawn, so nothing written.
TEST_F(SnapshotTargets, NoFrameDrawnWritesNothing)
{
    const std::string keep = dir.write("keep.ppm", oldPicture);
    const Outcome run = runHeadless({"-headless", "-width", "64", "-height", "64", "-seconds",
                                     "20", "-checksum", "-snapshot", keep},
                                    {{"LD_PRELOAD", QLXTEST_SNAPSHOT_SIGNAL_SHIM}});
    EXPECT_EQ(run.status, -SIGTERM) << run.err;
    EXPECT_NE(run.out.find(" ended=signal checksum=unknown\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "Can't write snapshot " + keep + ": no frame was drawn\n");
    EXPECT_EQ(readWholeFile(keep), oldPicture);
}

// The rows go to an unnamed file: killed mid-run, the program leaves no name.
TEST_F(SnapshotTargets, AKilledRunLeavesNoNewName)
{
    ::chmod(dir.path().c_str(), 0755);
    ChildProcess program({QLXTEST_EXECUTABLE, "-headless", "-width", "8", "-height", "8", "-seconds", "5",
                          "-frametimes", dir.file("times.csv")},
                         headlessEnvironment({}), defaultImageDirectory());
    // The rows' unnamed file is open once a descriptor leads into the directory.
    ASSERT_TRUE(waitForOpenFile(program, dir.path() + "/")) << program.standardError();
    ::kill(program.pid(), SIGKILL);
    EXPECT_EQ(program.waitExit(30000), -SIGKILL);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A FIFO whose reader never reads, its pipe already full: the run ends on
// time, or at one SIGTERM, and the rows it could not write are reported.
TEST_F(SnapshotTargets, AReaderThatNeverReadsCannotHoldTheRun)
{
    for (const bool signal : {false, true}) {
        SCOPED_TRACE(signal ? "SIGTERM" : "-seconds 3");
        const std::string fifo = dir.file(signal ? "signal.fifo" : "limit.fifo");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const int filler = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        ASSERT_GE(filler, 0);
        const std::string block(4096, 'x');
        while (::write(filler, block.data(), block.size()) > 0) {
        }
        ChildProcess program({QLXTEST_EXECUTABLE, "-headless", "-width", "8", "-height", "8", "-seconds",
                              signal ? "30" : "3", "-frametimes", fifo},
                             headlessEnvironment({}), defaultImageDirectory());
        if (signal) {
            // Once the program has the FIFO open, its signals are caught.
            ASSERT_TRUE(waitForOpenFile(program, fifo));
            ::kill(program.pid(), SIGTERM);
        }
        const auto status = program.waitExit(13000);
        ::close(filler);
        ::close(reader);
        ASSERT_TRUE(status.has_value()) << "still running with the limit passed by 10 s";
        EXPECT_EQ(*status, signal ? -SIGTERM : 1);
        const std::string out = program.standardOutput();
        EXPECT_NE(out.find(signal ? " ended=signal" : " ended=limit"), std::string::npos) << out;
        const std::size_t at = out.find(" seconds=");
        ASSERT_NE(at, std::string::npos) << out;
        if (!signal) {
            EXPECT_NEAR(std::stod(out.substr(at + 9)), 3.0, 0.1) << out;
        }
        EXPECT_NE(program.standardError().find("Can't write frame times " + fifo + ": incomplete: "), std::string::npos)
            << program.standardError();
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
