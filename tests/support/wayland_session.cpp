#include "support/wayland_session.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/poll.h"

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

WaylandSession::WaylandSession()
{
    // Xwayland's socket goes where every X server's does; weston, unlike
    // Xvfb, does not make the directory on a machine that has had none.
    if (mkdir("/tmp/.X11-unix", 01777) == 0)
        chmod("/tmp/.X11-unix", 01777);
    char pattern[] = "/tmp/qlxtest-wayland-XXXXXX";  // mode 0700, as weston wants it
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    runtimeDirectory_ = pattern;
    const std::string output = runtimeDirectory_ + "/output";
    pid_ = fork();
    if (pid_ == 0) {
        // The compositor must not outlive a test program that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(out, 2);
        setenv("XDG_RUNTIME_DIR", runtimeDirectory_.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("DISPLAY");
        execlp("weston", "weston", "--backend=headless-backend.so", "--xwayland", "--socket=qlxtest",
               "--idle-time=0", nullptr);
        _exit(127);
    }
    // weston names the X display once its socket listens.
    static const std::regex announced(R"(xserver listening on display (:\d+))");
    // Until it names the display or ends.
    pollUntil([&] {
        std::smatch m;
        const std::string text = readFile(output);
        if (std::regex_search(text, m, announced))
            name_ = m[1];
        return !name_.empty() || waitpid(pid_, nullptr, WNOHANG) != 0;
    });
    if (!name_.empty())
        return;
    const std::string text = log();
    stop();
    throw std::runtime_error("weston with Xwayland did not start (are weston and xwayland installed?):\n" + text);
}

WaylandSession::~WaylandSession()
{
    stop();
}

std::string WaylandSession::log() const
{
    return readFile(runtimeDirectory_ + "/output");
}

void WaylandSession::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDirectory_, ignored);
}
