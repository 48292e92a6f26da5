#include "platform/replace_file.h"
#include "platform/replacement_target.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/ending_signals.h"

namespace {

std::string reason(int error)
{
    return error ? std::strerror(error) : "";
}

// Returns 0 or the errno of the failure.
int writeAll(int fd, const char* data, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            return errno;
    }
    return 0;
}

// Closes fd; returns error, or the close's own when there was none.
int closeAfter(int fd, int error)
{
    if (::close(fd) != 0 && !error && errno != EINTR)
        error = errno;
    return error;
}

// The signals that end a run wait while a temporary file exists, so that it
// is always renamed or removed first.
class HeldSignals {
public:
    HeldSignals()
    {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&ending, signal);
        ::pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    }
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t previous_{};
};

bool isStandardOutputFile(const std::string& path)
{
    // A closed standard output (kept open read-only) is nobody's output.
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY)
        return false;
    struct stat named {};
    struct stat out {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev &&
           named.st_ino == out.st_ino;
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Replaces path with the file its chain of symbolic links leads to, which
// need not exist yet: a redirect through a dangling link creates it there.
// Returns 0 or the errno of the failure.
int followLinks(std::string& path)
{
    std::vector<char> text(PATH_MAX);
    for (int links = 0; links < 40; ++links) {  // the kernel's own limit
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n < 0)
            return errno;
        if (static_cast<std::size_t>(n) == text.size())
            return ENAMETOOLONG;
        const std::string to(text.data(), static_cast<std::size_t>(n));
        path = to[0] == '/' ? to : directoryOf(path) + "/" + to;
    }
    return ELOOP;
}

// The file a replacement writes: standard output, a device or a pipe where
// it is, or a temporary file beside a regular target; or the problem.
struct Opened {
    int fd = -1;
    std::string temporary;  // empty: written directly
    std::string target;
    std::string problem;
};

Opened openRegular(const std::string& target)
{
    Opened opened;
    opened.target = target;
    // Only what a redirect could write is replaced: a read-only file stays.
    struct stat old {};
    bool exists = false;
    const int current = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (current >= 0) {
        exists = ::fstat(current, &old) == 0;
        ::close(current);
    } else if (errno != ENOENT) {
        opened.problem = reason(errno);
        return opened;
    }

    // A fixed-length name, so that a target name of any allowed length works.
    opened.temporary = directoryOf(target) + "/.qlxtest-XXXXXX";
    opened.fd = ::mkostemp(opened.temporary.data(), O_CLOEXEC);
    if (opened.fd < 0) {
        opened.problem = "can't make a temporary file beside it: " + reason(errno);
        opened.temporary.clear();
        return opened;
    }
    if (exists) {
        if (::fchown(opened.fd, old.st_uid, old.st_gid) != 0 &&
            ::fchown(opened.fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // The process may not give the file away: it keeps its own ids.
        }
        ::fchmod(opened.fd, old.st_mode & 07777);
    } else {
        // mkstemp makes the file private; a new file gets the usual mode.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(opened.fd, 0666 & ~mask);
    }
    return opened;
}

Opened openTarget(const std::string& path)
{
    Opened opened;
    if (isStandardOutputFile(path)) {
        // Whatever stdio holds for it goes first; no temporary, no rename.
        std::fflush(stdout);
        opened.fd = STDOUT_FILENO;
        return opened;
    }
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            opened.problem = reason(EISDIR);
        } else if (!S_ISREG(existing.st_mode)) {
            // Opening does not wait for a pipe's reader: with none, nothing
            // would ever read what is written.
            opened.fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (opened.fd < 0) {
                opened.problem =
                    errno == ENXIO && S_ISFIFO(existing.st_mode) ? "no process reads the pipe" : reason(errno);
                return opened;
            }
            // A frame overfills a pipe's buffer: the write waits for the reader.
            const int flags = ::fcntl(opened.fd, F_GETFL);
            if (flags < 0 || ::fcntl(opened.fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
                opened.problem = reason(errno);
                ::close(opened.fd);
                opened.fd = -1;
            }
        } else {
            std::string target = path;
            const int error = followLinks(target);
            return error ? Opened{-1, {}, {}, reason(error)} : openRegular(target);
        }
        return opened;
    }
    if (errno != ENOENT) {
        opened.problem = reason(errno);
        return opened;
    }
    std::string target = path;
    const int error = followLinks(target);
    return error ? Opened{-1, {}, {}, reason(error)} : openRegular(target);
}

// Puts a written file in place: flushed to the disk and renamed over its
// target, or closed where it was written directly. A temporary file never stays.
int finish(const Opened& opened, int error)
{
    if (opened.temporary.empty())
        return opened.fd == STDOUT_FILENO ? error : closeAfter(opened.fd, error);
    if (!error && ::fsync(opened.fd) != 0)
        error = errno;
    error = closeAfter(opened.fd, error);
    if (!error && ::rename(opened.temporary.c_str(), opened.target.c_str()) != 0)
        error = errno;
    if (error)
        ::unlink(opened.temporary.c_str());
    return error;
}

} // namespace

bool isStandardOutput(const std::string& path)
{
    return isStandardOutputFile(path);
}

bool namesSameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    // Not made yet: the same name in the same directory.
    std::string targetA = a;
    std::string targetB = b;
    if (followLinks(targetA) != 0 || followLinks(targetB) != 0)
        return a == b;
    const auto place = [](const std::string& path) {
        const std::size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        std::vector<char> directory(PATH_MAX);
        return ::realpath(directoryOf(path).c_str(), directory.data()) ? std::string(directory.data()) + "/" + name
                                                                        : path;
    };
    return place(targetA) == place(targetB);
}

struct ReplacementTarget {
    Opened opened;
    int error = 0;
};

ReplacementTarget* openReplacementTarget(const std::string& path, std::string& problem)
{
    auto target = std::make_unique<ReplacementTarget>();
    target->opened = openTarget(path);
    problem = target->opened.problem;
    if (!problem.empty())
        return nullptr;
    // A file may stay open for a whole run: a second signal, which ends the
    // process at once, takes its temporary file along.
    if (!target->opened.temporary.empty())
        removeOnSecondSignal(target->opened.temporary.c_str());
    return target.release();
}

void writeReplacementTarget(ReplacementTarget& target, const char* data, std::size_t size)
{
    if (!target.error)
        target.error = writeAll(target.opened.fd, data, size);
}

std::string finishReplacementTarget(ReplacementTarget* target, bool abandon)
{
    const std::unique_ptr<ReplacementTarget> owned(target);
    std::optional<HeldSignals> held;
    if (!owned->opened.temporary.empty())
        held.emplace();
    removeOnSecondSignal(nullptr);
    return reason(finish(owned->opened, abandon ? ECANCELED : owned->error));
}

std::string replaceFile(const std::string& path, const std::string& bytes)
{
    // The signals that end a run wait while a temporary file exists, so that
    // it is always renamed or removed first. Only then: a pipe whose reader
    // never reads would keep them waiting for ever.
    std::optional<HeldSignals> held(std::in_place);
    std::string problem;
    ReplacementTarget* const target = openReplacementTarget(path, problem);
    if (!target)
        return problem;
    if (target->opened.temporary.empty())
        held.reset();
    writeReplacementTarget(*target, bytes.data(), bytes.size());
    return finishReplacementTarget(target, false);
}
