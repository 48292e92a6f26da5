#include "platform/open_file.h"

#include <fcntl.h>
#include <unistd.h>

// Opened without waiting, then read with waiting as usual: a plain open of a
// FIFO that no one writes to never returns. Such a FIFO now reads as empty.
std::FILE* openForReading(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    const int flags = ::fcntl(fd, F_GETFL);
    std::FILE* file = nullptr;
    if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
        file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}
