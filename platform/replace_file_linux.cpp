#include "platform/replace_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string reason(int error)
{
    return std::strerror(error);
}

// Returns 0 or the errno of the failure; the descriptor is closed either way.
int writeAndClose(int fd, const std::string& bytes, bool sync)
{
    int error = 0;
    for (std::size_t done = 0; done < bytes.size() && !error;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            error = errno;
    }
    if (!error && sync && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error && errno != EINTR)
        error = errno;
    return error;
}

} // namespace

std::string replaceFile(const std::string& path, const std::string& bytes)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return reason(EISDIR);
        if (!S_ISREG(existing.st_mode)) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd < 0)
                return reason(errno);
            const int error = writeAndClose(fd, bytes, false);
            return error ? reason(error) : "";
        }
    }
    std::vector<char> temporary(path.begin(), path.end());
    for (const char c : std::string(".XXXXXX"))
        temporary.push_back(c);
    temporary.push_back('\0');
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return reason(errno);
    // mkstemp makes the file private; a new file gets the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    int error = writeAndClose(fd, bytes, true);
    if (!error && ::rename(temporary.data(), path.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.data());
        return reason(error);
    }
    return "";
}
