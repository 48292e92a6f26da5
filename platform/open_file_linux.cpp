#include "platform/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Opened without waiting (a plain open of a FIFO that no one writes to never
// returns) and without becoming the controlling terminal; only a regular file
// is read, with waiting as usual: a device or a FIFO could block every read.
std::FILE* openForReading(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    const int flags = ::fcntl(fd, F_GETFL);
    std::FILE* file = nullptr;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && flags >= 0 &&
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
        file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}
