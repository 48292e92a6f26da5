#include "platform/replace_file.h"
#include "platform/replacement_target.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
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
DWORD writeAll(HANDLE handle, const char* data, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, data + done, chunk, &written, nullptr))
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

namespace {

struct Opened {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool owned = true;       // not standard output's
    std::string temporary;  // empty: written directly
    std::string target;
    std::string problem;
};

Opened openTarget(const std::string& path)
{
    Opened opened;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        opened.problem = std::strerror(EISDIR);
        return opened;
    }
    if (isStandardOutput(path)) {
        std::fflush(stdout);
        opened.handle = GetStdHandle(STD_OUTPUT_HANDLE);
        opened.owned = false;
        return opened;
    }
    // Opening it tells a device or a pipe (NUL, CON, COM1, \\.\pipe\...),
    // written where it is, from a file, and whether the file may be
    // written at all: a read-only one is not replaced.
    const HANDLE current = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (current == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) {
        opened.problem = reason(GetLastError());
        return opened;
    }
    if (current != INVALID_HANDLE_VALUE) {
        if (GetFileType(current) != FILE_TYPE_DISK) {
            opened.handle = current;
            return opened;
        }
        CloseHandle(current);
    }
    // A fixed-length name beside the target (qlxXXXX.tmp), made empty here.
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(directoryOf(path).c_str(), "qlx", 0, temporary)) {
        opened.problem = "can't make a temporary file beside it: " + reason(GetLastError());
        return opened;
    }
    opened.temporary = temporary;
    opened.target = path;
    opened.handle =
        CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened.handle == INVALID_HANDLE_VALUE) {
        opened.problem = reason(GetLastError());
        DeleteFileA(temporary);
    }
    return opened;
}

// The data is on the disk before the rename, as fsync makes it on Linux; a
// temporary file never stays.
DWORD finish(const Opened& opened, DWORD error)
{
    if (!error && !opened.temporary.empty() && !FlushFileBuffers(opened.handle))
        error = GetLastError();
    if (opened.owned)
        CloseHandle(opened.handle);
    if (opened.temporary.empty())
        return error;
    if (!error &&
        !MoveFileExA(opened.temporary.c_str(), opened.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error)
        DeleteFileA(opened.temporary.c_str());
    return error;
}

} // namespace

bool namesSameFile(const std::string& a, const std::string& b)
{
    const auto full = [](const std::string& path) {
        char buffer[MAX_PATH];
        const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
        std::string name = n > 0 && n < MAX_PATH ? std::string(buffer, n) : path;
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    };
    return full(a) == full(b);
}

struct ReplacementTarget {
    Opened opened;
    DWORD error = 0;
};

ReplacementTarget* openReplacementTarget(const std::string& path, std::string& problem)
{
    auto target = std::make_unique<ReplacementTarget>();
    target->opened = openTarget(path);
    problem = target->opened.problem;
    return problem.empty() ? target.release() : nullptr;
}

void writeReplacementTarget(ReplacementTarget& target, const char* data, std::size_t size)
{
    if (!target.error)
        target.error = writeAll(target.opened.handle, data, size);
}

std::string finishReplacementTarget(ReplacementTarget* target, bool abandon)
{
    const std::unique_ptr<ReplacementTarget> owned(target);
    return reason(finish(owned->opened, abandon ? ERROR_CANCELLED : owned->error));
}

std::string replaceFile(const std::string& path, const std::string& bytes)
{
    std::string problem;
    ReplacementTarget* const target = openReplacementTarget(path, problem);
    if (!target)
        return problem;
    writeReplacementTarget(*target, bytes.data(), bytes.size());
    return finishReplacementTarget(target, false);
}
