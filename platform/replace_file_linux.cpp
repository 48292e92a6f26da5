#include "platform/replace_file.h"
#include "platform/replacement_target.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <poll.h>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "platform/ending_signals.h"

namespace {

// Rows a reader has not taken yet wait in memory up to this much; a reader
// that takes nothing for stallMs at the end gets no more.
constexpr std::size_t queueBound = std::size_t{64} << 20;
constexpr int stallMs = 1000;

std::string reason(int error)
{
    return error ? std::strerror(error) : "";
}

int closeAfter(int fd, int error)
{
    if (fd >= 0 && ::close(fd) != 0 && !error && errno != EINTR)
        error = errno;
    return error;
}

// Returns 0 or the errno of the failure.
int writeAll(int fd, const char* data, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n == 0)
            return EIO;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

// The words for a failed open; a FIFO without a reader gives ENXIO, and so
// does a socket.
std::string openProblem(const std::string& path, int error)
{
    struct stat st {};
    if (error == ENXIO && ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
        return "no process reads the pipe";
    return reason(error);
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The name leads to standard output's file (by any name). closed: standard
// output was closed, and start-up left a read-only stand-in there.
bool namesStandardOutput(const std::string& path, bool& closed)
{
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    struct stat named {};
    struct stat out {};
    if (flags < 0 || ::stat(path.c_str(), &named) != 0 || ::fstat(STDOUT_FILENO, &out) != 0 || !sameFile(named, out))
        return false;
    closed = (flags & O_ACCMODE) == O_RDONLY;
    return true;
}

// The words when opened is the stand-in that start-up left for a closed
// standard input or error (an unnamed file, read only there): a name such as
// /dev/stderr reopens it for writing, and what went there would be lost
// unsaid. "" otherwise.
std::string closedStreamProblem(const struct stat& opened)
{
    static const char* const names[] = {"standard input", "standard output", "standard error"};
    for (const int fd : {STDIN_FILENO, STDERR_FILENO}) {
        const int flags = ::fcntl(fd, F_GETFL);
        struct stat stream {};
        if (flags >= 0 && (flags & O_ACCMODE) == O_RDONLY && ::fstat(fd, &stream) == 0 && S_ISREG(stream.st_mode) &&
            stream.st_nlink == 0 && sameFile(stream, opened))
            return std::string(names[fd]) + " is closed";
    }
    return "";
}

// A descriptor of our own for standard output: a pipe reopened with
// O_NONBLOCK (its flags are shared with standard error under 2>&1, and are
// never changed), else standard output itself, written after poll.
int privateStandardOutput()
{
    std::fflush(stdout);
    struct stat out {};
    if (::fstat(STDOUT_FILENO, &out) == 0 && S_ISFIFO(out.st_mode)) {
        const int fd = ::open("/proc/self/fd/1", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            return fd;
    }
    return STDOUT_FILENO;
}

// ---- pipes, FIFOs, devices and standard output: written as they take it ----

struct Stream {
    int fd = -1;
    std::string pending;
    std::size_t sent = 0;     // of pending
    std::size_t dropped = 0;  // bytes never queued: past the bound
    int error = 0;
};

std::size_t waiting(const Stream& s)
{
    return s.pending.size() - s.sent;
}

// Writes what the target takes, at most PIPE_BUF at a time and only when poll
// says it can take that much, so that no write blocks even on a descriptor
// that was inherited blocking. Waits up to waitMs with no progress.
void pump(Stream& s, int waitMs)
{
    auto lastProgress = std::chrono::steady_clock::now();
    while (!s.error && waiting(s) > 0) {
        const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                               lastProgress);
        const int left = std::max(waitMs - static_cast<int>(idle.count()), 0);
        pollfd ready{s.fd, POLLOUT, 0};
        const int n = ::poll(&ready, 1, left);
        if (n < 0 && errno != EINTR) {
            s.error = errno;
            break;
        }
        if (n == 0 || (n < 0 && left == 0))
            break;
        if (n < 0)
            continue;
        const std::size_t size = std::min<std::size_t>(waiting(s), PIPE_BUF);
        const ssize_t written = ::write(s.fd, s.pending.data() + s.sent, size);
        if (written > 0) {
            s.sent += static_cast<std::size_t>(written);
            lastProgress = std::chrono::steady_clock::now();
        } else if (written < 0 && errno != EINTR && errno != EAGAIN) {
            s.error = errno;
        } else if (left == 0) {
            break;
        }
    }
    if (s.sent > 0 && s.sent * 2 >= s.pending.size()) {
        s.pending.erase(0, s.sent);
        s.sent = 0;
    }
}

void queue(Stream& s, const char* data, std::size_t size)
{
    if (s.error)
        return;
    if (s.dropped || waiting(s) + size > queueBound)
        s.dropped += size;
    else
        s.pending.append(data, size);
    pump(s, 0);
}

// Writes what is left within the stall deadline (none when abandoned); ""
// or what was lost.
std::string finishStream(Stream& s, bool abandon = false)
{
    pump(s, abandon ? 0 : stallMs);
    const std::size_t lost = waiting(s) + s.dropped;
    const int error = s.fd == STDOUT_FILENO ? s.error : closeAfter(s.fd, s.error);
    if (error)
        return reason(error);
    if (s.dropped)
        return "incomplete: more than 64 MiB waited for the reader, " + std::to_string(lost) + " bytes not written";
    if (lost)
        return "incomplete: the reader took nothing for 1 s, " + std::to_string(lost) + " bytes not written";
    return "";
}

// ---- regular files ----

// Where the bytes of a whole file come from: memory, or a file of their own.
struct Content {
    const char* data = nullptr;
    std::size_t size = 0;
    int fd = -1;  // read from its start when set
};

// Returns 0 or the errno of the failure.
int copyContent(const Content& from, int to)
{
    if (from.fd < 0)
        return writeAll(to, from.data, from.size);
    std::vector<char> buffer(1 << 16);
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(from.fd, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (const int error = writeAll(to, buffer.data(), static_cast<std::size_t>(n)))
            return error;
        at += n;
    }
}

// Writes a whole file to a stream, within the stall deadline; "" or what was lost.
std::string streamContent(Stream& s, const Content& content)
{
    if (content.fd < 0) {
        s.pending.assign(content.data, content.size);
        return finishStream(s);
    }
    std::vector<char> buffer(1 << 16);
    for (off_t at = 0; !s.error && waiting(s) == 0;) {
        const ssize_t n = ::pread(content.fd, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            s.error = n < 0 ? errno : 0;
            break;
        }
        s.pending.append(buffer.data(), static_cast<std::size_t>(n));
        at += n;
        pump(s, stallMs);
    }
    return finishStream(s);
}

// An unnamed file in dir: O_TMPFILE, which linkat can name later (linkable
// set), else a mkstemp file unlinked at once. -1 with errno on failure.
int unnamedFile(const std::string& dir, bool& linkable)
{
    linkable = true;
    const int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    linkable = false;
    std::string name = dir + "/.qlxtest-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(name.c_str());
    return named;
}

// Every extended attribute (ACLs and security labels among them), by name.
std::map<std::string, std::string> attributes(int fd)
{
    std::map<std::string, std::string> found;
    std::vector<char> names(static_cast<std::size_t>(std::max<ssize_t>(::flistxattr(fd, nullptr, 0), 0)) + 1);
    const ssize_t length = ::flistxattr(fd, names.data(), names.size());
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names.data() + at)) + 1) {
        const char* const name = names.data() + at;
        std::string value(static_cast<std::size_t>(std::max<ssize_t>(::fgetxattr(fd, name, nullptr, 0), 0)), '\0');
        const ssize_t n = ::fgetxattr(fd, name, value.data(), value.size());
        value.resize(static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        found[name] = value;
    }
    return found;
}

// Makes replacement look like old: owner, group and mode, and then the same
// extended attributes. False where it cannot: a rename would lose something.
bool matchOldFile(int replacement, int oldFd, const struct stat& old)
{
    struct stat made {};
    if (::fstat(replacement, &made) != 0)
        return false;
    if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) && ::fchown(replacement, old.st_uid, old.st_gid) != 0)
        return false;
    if (::fchmod(replacement, old.st_mode & 07777) != 0)
        return false;
    return attributes(replacement) == attributes(oldFd);
}

// A short-lived name beside target for an unnamed file; "" on failure.
// linkat never replaces a file: a name taken already is tried again.
std::string nameBeside(const std::string& target, int fd)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    std::random_device random;
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = directoryOf(target) + "/.qlxtest-";
        for (int i = 0; i < 6; ++i)
            name += letters[random() % (sizeof letters - 1)];
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            return "";
    }
    return "";
}

// The new file under a temporary name beside target, flushed to the disk, and
// renamed over it. Returns 1 where a rename cannot be done without loss (the
// caller writes in place), 0 when done, or -errno when writing the new file
// failed (the old one stays whole). staged: an O_TMPFILE file holding the
// content already, or -1.
int replaceByRename(const std::string& target, int oldFd, const struct stat& old, const Content& content,
                    int staged)
{
    struct stat stagedStat {};
    int fd = -1;
    std::string name;  // set once the new file has a name
    if (staged >= 0 && ::fstat(staged, &stagedStat) == 0 && stagedStat.st_dev == old.st_dev)
        fd = ::dup(staged);
    if (fd < 0) {
        fd = ::open(directoryOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            // No unnamed files here: a named one, for the time of the write.
            name = directoryOf(target) + "/.qlxtest-XXXXXX";
            fd = ::mkostemp(name.data(), O_CLOEXEC);
            if (fd >= 0)
                removeOnSecondSignal(name.c_str());
        }
        if (fd < 0)
            return 1;  // no temporary file beside it (a read-only directory)
        const int error = copyContent(content, fd);
        if (error) {
            ::close(fd);
            if (!name.empty())
                ::unlink(name.c_str());
            removeOnSecondSignal(nullptr);
            return -error;
        }
    }
    int outcome = 1;
    if (!matchOldFile(fd, oldFd, old)) {
        outcome = 1;
    } else if (::fsync(fd) != 0) {
        outcome = -errno;
    } else {
        if (name.empty()) {
            name = nameBeside(target, fd);
            // Only now does a name exist that is not the target's: a second
            // signal removes it; SIGKILL in this instant leaves it.
            if (!name.empty())
                removeOnSecondSignal(name.c_str());
        }
        // EBUSY (a file bind-mounted alone), EXDEV...: in place instead.
        if (!name.empty() && ::rename(name.c_str(), target.c_str()) == 0) {
            name.clear();
            outcome = 0;
        }
    }
    ::close(fd);
    if (!name.empty())
        ::unlink(name.c_str());
    removeOnSecondSignal(nullptr);
    return outcome;
}

// Writes content as a whole file at path, where a redirect would: "" or the
// reason. staged: an unnamed file already holding it beside path, or -1.
std::string putFile(const std::string& path, const Content& content, int staged)
{
    bool closed = false;
    if (namesStandardOutput(path, closed)) {
        if (closed)
            return "standard output is closed";
        Stream s;
        s.fd = privateStandardOutput();
        return streamContent(s, content);
    }
    // Opened as a redirect opens it, so that the kernel's rules on links,
    // sticky directories and permissions apply; created where it is missing.
    bool created = true;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    }
    if (fd < 0)
        return openProblem(path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return reason(closeAfter(fd, errno));
    if (const std::string closed = closedStreamProblem(st); !closed.empty()) {
        ::close(fd);
        return closed;
    }
    if (!S_ISREG(st.st_mode)) {
        Stream s;
        s.fd = fd;
        return streamContent(s, content);
    }
    struct stat named {};
    const bool plain = ::lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) && sameFile(named, st);
    if (plain && st.st_nlink == 1) {
        const int outcome = replaceByRename(path, fd, st, content, staged);
        if (outcome <= 0) {
            ::close(fd);
            if (outcome < 0 && created && ::lstat(path.c_str(), &named) == 0 && sameFile(named, st))
                ::unlink(path.c_str());
            return reason(-outcome);
        }
    }
    // In place, as a redirect writes: the file keeps its inode, links and
    // attributes; a failure now costs the old contents, as a redirect's would.
    int error = ::ftruncate(fd, 0) == 0 ? copyContent(content, fd) : errno;
    return reason(closeAfter(fd, error));
}

} // namespace

bool isStandardOutput(const std::string& path)
{
    bool closed = false;
    return namesStandardOutput(path, closed);
}

bool namesSameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    // A device keeps nothing that one output could spoil for the other (/dev/null).
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
        return sameFile(first, second) && !S_ISCHR(first.st_mode);
    // Not made yet: the same name in the same directory.
    const auto place = [](const std::string& path) {
        const std::size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        std::vector<char> directory(PATH_MAX);
        return ::realpath(directoryOf(path).c_str(), directory.data()) ? std::string(directory.data()) + "/" + name
                                                                        : path;
    };
    return place(a) == place(b);
}

struct ReplacementTarget {
    std::string path;
    bool streams = false;
    Stream stream;        // streams
    int rows = -1;        // else the unnamed file the rows go to
    bool linkable = false;  // O_TMPFILE: linkat can name it
    std::size_t size = 0;
    int error = 0;
};

ReplacementTarget* openReplacementTarget(const std::string& path, std::string& problem)
{
    auto target = std::make_unique<ReplacementTarget>();
    target->path = path;
    bool closed = false;
    if (namesStandardOutput(path, closed)) {
        if (closed) {
            problem = "standard output is closed";
            return nullptr;
        }
        target->streams = true;
        target->stream.fd = privateStandardOutput();
        return target.release();
    }
    // Nothing is created yet: a run that dies leaves no new name.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT) {
        problem = openProblem(path, errno);
        return nullptr;
    }
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0) {
        problem = closedStreamProblem(st);
        if (!problem.empty()) {
            ::close(fd);
            return nullptr;
        }
    }
    if (fd >= 0 && !S_ISREG(st.st_mode)) {
        target->streams = true;
        target->stream.fd = fd;
        return target.release();
    }
    const bool exists = fd >= 0;
    closeAfter(fd, 0);
    bool& linkable = target->linkable;
    target->rows = unnamedFile(directoryOf(path), linkable);
    if (target->rows < 0 && exists) {
        // A writable file in a read-only directory: the rows wait elsewhere
        // and are copied in at the end.
        const char* const tmp = std::getenv("TMPDIR");
        target->rows = unnamedFile(tmp && *tmp ? tmp : "/tmp", linkable);
    }
    if (target->rows < 0) {
        problem = reason(errno);
        return nullptr;
    }
    return target.release();
}

bool replacementTargetStreams(const ReplacementTarget& target)
{
    return target.streams;
}

void writeReplacementTarget(ReplacementTarget& target, const char* data, std::size_t size)
{
    if (target.streams) {
        queue(target.stream, data, size);
    } else if (!target.error) {
        target.error = writeAll(target.rows, data, size);
        target.size += size;
    }
}

std::string finishReplacementTarget(ReplacementTarget* target, bool abandon)
{
    const std::unique_ptr<ReplacementTarget> owned(target);
    if (owned->streams)
        return finishStream(owned->stream, abandon);
    std::string problem = reason(owned->error);
    if (!abandon && problem.empty()) {
        Content content;
        content.fd = owned->rows;
        content.size = owned->size;
        problem = putFile(owned->path, content, owned->linkable ? owned->rows : -1);
    }
    closeAfter(owned->rows, 0);
    return problem;
}

std::string replaceFile(const std::string& path, const std::string& bytes)
{
    Content content;
    content.data = bytes.data();
    content.size = bytes.size();
    return putFile(path, content, -1);
}
