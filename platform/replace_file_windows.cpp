#include "platform/replace_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace {

// The words the C library uses where there are some, else the code.
std::string reason(DWORD code)
{
    switch (code) {
    case 0:
        return "";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
        return std::strerror(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::strerror(ENOSPC);
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return std::strerror(EPIPE);
    default:
        return "Windows error " + std::to_string(code);
    }
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (valid())
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Returns 0 or the Windows error.
DWORD writeAll(HANDLE handle, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        done += written;
    }
    return 0;
}

// With its last separator, so that "C:\x" gives the root, not the drive's
// current directory.
std::string directoryOf(const std::string& path)
{
    const std::size_t end = path.find_last_of("/\\:");
    return end == std::string::npos ? "." : path.substr(0, end + 1);
}

} // namespace

bool isStandardOutput(const std::string& path)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == INVALID_HANDLE_VALUE || !out || GetFileType(out) != FILE_TYPE_DISK)
        return false;
    const Handle named(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return named.valid() && GetFileInformationByHandle(named.get(), &a) && GetFileInformationByHandle(out, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

std::string replaceFile(const std::string& path, const std::string& bytes)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::strerror(EISDIR);
    if (isStandardOutput(path)) {
        std::fflush(stdout);
        return reason(writeAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes));
    }
    {
        // Opening it tells a device or a pipe (NUL, CON, COM1, \\.\pipe\...),
        // written where it is, from a file, and whether the file may be
        // written at all: a read-only one is not replaced.
        const Handle current(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!current.valid() && GetLastError() != ERROR_FILE_NOT_FOUND)
            return reason(GetLastError());
        if (current.valid() && GetFileType(current.get()) != FILE_TYPE_DISK)
            return reason(writeAll(current.get(), bytes));
    }

    // A fixed-length name beside the target (qlxXXXX.tmp), made empty here.
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(directoryOf(path).c_str(), "qlx", 0, temporary))
        return "can't make a temporary file beside it: " + reason(GetLastError());
    DWORD error = 0;
    {
        const Handle file(
            CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            error = GetLastError();
        else if (!(error = writeAll(file.get(), bytes)) && !FlushFileBuffers(file.get()))
            error = GetLastError();  // the data is on the disk before the rename, as fsync makes it on Linux
    }
    if (!error && !MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error)
        DeleteFileA(temporary);
    return reason(error);
}
