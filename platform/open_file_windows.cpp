#include "platform/open_file.h"

#include <io.h>
#include <windows.h>

namespace {

// A file on disk, not a directory: device names (COM1, AUX, com1.ppm) open
// the device, whose reads can wait for ever, and a pipe is no image either.
bool isRegularFile(std::FILE* file)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    return GetFileInformationByHandle(handle, &information) &&
           !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

// No open waits here: a named pipe without a free instance fails at once.
std::FILE* openForReading(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file && !isRegularFile(file)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}
