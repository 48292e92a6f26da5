#include "platform/replace_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string reason(int error)
{
    return error ? std::strerror(error) : "";
}

// Returns 0 or the errno of the failure.
int writeAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
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

// A file size limit makes the write fail (EFBIG) instead of ending the process.
class IgnoredSizeLimit {
public:
    IgnoredSizeLimit()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, &previous_);
    }
    ~IgnoredSizeLimit() { ::sigaction(SIGXFSZ, &previous_, nullptr); }
    IgnoredSizeLimit(const IgnoredSizeLimit&) = delete;
    IgnoredSizeLimit& operator=(const IgnoredSizeLimit&) = delete;

private:
    struct sigaction previous_ {};
};

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

// A device or a pipe is written where it is. Opening does not wait for a
// pipe's reader: with none, nothing would ever read the frame.
std::string writeDirectly(const std::string& path, const std::string& bytes, bool pipe)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENXIO && pipe ? "no process reads the pipe" : reason(errno);
    // A frame overfills a pipe's buffer: the write waits for the reader.
    const int flags = ::fcntl(fd, F_GETFL);
    const int error = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? writeAll(fd, bytes) : errno;
    return reason(closeAfter(fd, error));
}

std::string replaceRegular(const std::string& target, const std::string& bytes)
{
    // Only what a redirect could write is replaced: a read-only file stays.
    struct stat old {};
    bool exists = false;
    const int current = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (current >= 0) {
        exists = ::fstat(current, &old) == 0;
        ::close(current);
    } else if (errno != ENOENT) {
        return reason(errno);
    }

    // A fixed-length name, so that a target name of any allowed length works.
    std::string temporary = directoryOf(target) + "/.qlxtest-XXXXXX";
    const HeldSignals held;
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return "can't make a temporary file beside it: " + reason(errno);
    if (exists) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // The process may not give the file away: it keeps its own ids.
        }
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        // mkstemp makes the file private; a new file gets the usual mode.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    int error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    error = closeAfter(fd, error);
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error)
        ::unlink(temporary.c_str());
    return reason(error);
}

} // namespace

bool isStandardOutput(const std::string& path)
{
    struct stat named {};
    struct stat out {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev &&
           named.st_ino == out.st_ino;
}

std::string replaceFile(const std::string& path, const std::string& bytes)
{
    const IgnoredSizeLimit sizeLimit;
    if (isStandardOutput(path)) {
        // Whatever stdio holds for it goes first; no temporary, no rename.
        std::fflush(stdout);
        return reason(writeAll(STDOUT_FILENO, bytes));
    }
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return reason(EISDIR);
        if (!S_ISREG(existing.st_mode))
            return writeDirectly(path, bytes, S_ISFIFO(existing.st_mode));
    } else if (errno != ENOENT) {
        return reason(errno);
    }
    std::string target = path;
    const int error = followLinks(target);
    return error ? reason(error) : replaceRegular(target, bytes);
}
