#include "platform/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <process.h>
#include <windows.h>

std::string replaceFile(const std::string& path, const std::string& bytes)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::strerror(EISDIR);
    const std::string temporary = path + "." + std::to_string(_getpid()) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int error = errno;
    if (std::fclose(file) != 0 || !written) {
        std::remove(temporary.c_str());
        return std::strerror(written ? errno : error);
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        std::remove(temporary.c_str());
        return "cannot replace it (Windows error " + std::to_string(code) + ")";
    }
    return "";
}
