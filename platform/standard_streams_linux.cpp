#include "platform/standard_streams.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

void openStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        // open returns the lowest free descriptor, which is fd itself.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
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
