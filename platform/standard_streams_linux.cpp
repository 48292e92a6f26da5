#include "platform/standard_streams.h"

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A read-only file of its own, so that a name for the stream (/dev/stdout)
// is not mistaken for /dev/null: an anonymous memory file reopened read
// only, else /dev/null. Returns the lowest free descriptor, or -1.
int openStandIn()
{
    const int memory = ::memfd_create("closed standard stream", MFD_CLOEXEC);
    if (memory < 0)
        return ::open("/dev/null", O_RDONLY);
    // The memory file takes the free slot first; its read-only reopening the next.
    const int readOnly = ::open(("/proc/self/fd/" + std::to_string(memory)).c_str(), O_RDONLY);
    if (readOnly < 0) {
        ::close(memory);
        return ::open("/dev/null", O_RDONLY);
    }
    const int slot = ::dup2(readOnly, memory);
    ::close(readOnly);
    return slot;
}

} // namespace

void openStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        // open returns the lowest free descriptor, which is fd itself. Read
        // only: a write to a closed stream still fails (EBADF) and is reported.
        const int opened = openStandIn();
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
