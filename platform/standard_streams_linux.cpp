#include "platform/standard_streams.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

void openStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        // open returns the lowest free descriptor, which is fd itself. Read
        // only: a write to a closed stream still fails (EBADF) and is reported.
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened != fd && opened >= 0)
            ::close(opened);
    }
}

void ignoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
    // Past the file size limit a write fails too (EFBIG), and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
}
