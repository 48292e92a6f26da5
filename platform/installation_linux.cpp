#include "platform/installation.h"

#include <sys/stat.h>

// Both paths are fixed when the program is built. The running file is compared
// with the one at the install path, not by name, so that links to either agree;
// a copy run from elsewhere (the build tree above all) has no default and so
// reports a missing image exactly as before.
const char* installedDataDirectory()
{
    struct stat running {};
    struct stat installed {};
    if (::stat("/proc/self/exe", &running) != 0 || ::stat(QLXTEST_INSTALLED_EXECUTABLE, &installed) != 0)
        return nullptr;
    const bool same = running.st_dev == installed.st_dev && running.st_ino == installed.st_ino;
    return same ? QLXTEST_DATA_DIR : nullptr;
}
