// Preloaded into the program: SIGTERM comes during the first write to a file
// whose name starts with ".qlxtest-", the snapshot's temporary file.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

ssize_t write(int fd, const void* buffer, size_t count)
{
    static ssize_t (*real)(int, const void*, size_t);
    static int raised;
    if (!real)
        *(void**)&real = dlsym(RTLD_NEXT, "write");
    if (!raised) {
        char link[64];
        char path[4096];
        snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const ssize_t n = readlink(link, path, sizeof path - 1);
        path[n > 0 ? n : 0] = '\0';
        const char* name = strrchr(path, '/');
        if (name && strncmp(name + 1, ".qlxtest-", 9) == 0) {
            raised = 1;
            raise(SIGTERM);
        }
    }
    return real(fd, buffer, count);
}
