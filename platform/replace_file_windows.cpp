#include "platform/replace_file.h"
#include "platform/replacement_target.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>
#include <windows.h>

namespace {

// The system's own words for the error.
std::string reason(DWORD code)
{
    if (!code)
        return "";
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = n && text ? std::string(text, n) : "";
    LocalFree(text);
    while (!words.empty() && (std::isspace(static_cast<unsigned char>(words.back())) || words.back() == '.'))
        words.pop_back();
    return words.empty() ? "Windows error " + std::to_string(code) : words;
}

std::wstring widen(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    return wide;
}

bool valid(HANDLE handle)
{
    return handle != INVALID_HANDLE_VALUE && handle != nullptr;
}

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

// While set, the system deletes the file when its last handle closes, also
// when the process dies; unlike FILE_FLAG_DELETE_ON_CLOSE it can be undone.
bool deleteOnClose(HANDLE handle, bool remove)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// Copies from's contents, from its start, over the file path names (through
// a link), truncated first: the redirect's way. 0 or the Windows error.
DWORD copyInPlace(const std::string& path, HANDLE from)
{
    const HANDLE to = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!valid(to))
        return GetLastError();
    DWORD error = SetFilePointer(from, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(to)
                      ? GetLastError()
                      : 0;
    std::vector<char> buffer(1 << 16);
    for (DWORD n = 0; !error;) {
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr))
            error = GetLastError();
        else if (n == 0)
            break;
        else
            error = writeAll(to, buffer.data(), n);
    }
    if (!CloseHandle(to) && !error)
        error = GetLastError();
    return error;
}

} // namespace

bool isStandardOutput(const std::string& path)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!valid(out) || GetFileType(out) != FILE_TYPE_DISK)
        return false;
    const HANDLE named = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    const bool same = valid(named) && GetFileInformationByHandle(named, &a) && GetFileInformationByHandle(out, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                      a.nFileIndexLow == b.nFileIndexLow;
    if (valid(named))
        CloseHandle(named);
    return same;
}

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
    // A device (NUL, CON) keeps nothing that one output could spoil for the other.
    const std::string first = full(a);
    return first == full(b) && first.rfind("\\\\.\\", 0) != 0;
}

// A device, a pipe or standard output is written directly, and waits for its
// reader (Windows pipes have no supported non-blocking mode). A file's bytes
// go to a temporary file that the system deletes should the process die, and
// that at the end replaces the file (ReplaceFileW keeps its ACL and
// attributes) or is copied into it where a replacement would lose something.
struct ReplacementTarget {
    std::string path;
    HANDLE out = INVALID_HANDLE_VALUE;  // a stream
    bool ownsOut = true;
    HANDLE temporary = INVALID_HANDLE_VALUE;
    std::string temporaryName;
    bool beside = false;  // in the target's directory: it can be renamed there
    DWORD error = 0;
};

namespace {

// A temporary file in dir, open and deleted by the system unless kept.
bool makeTemporary(ReplacementTarget& target, const std::string& dir, DWORD& error)
{
    char name[MAX_PATH];
    if (!GetTempFileNameA(dir.c_str(), "qlx", 0, name)) {
        error = GetLastError();
        return false;
    }
    target.temporary = CreateFileA(name, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, TRUNCATE_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!valid(target.temporary) || !deleteOnClose(target.temporary, true)) {
        error = GetLastError();
        if (valid(target.temporary))
            CloseHandle(target.temporary);
        target.temporary = INVALID_HANDLE_VALUE;
        DeleteFileA(name);
        return false;
    }
    target.temporaryName = name;
    return true;
}

// Puts the temporary file's contents at the target's name. 0 or the error.
DWORD putInPlace(ReplacementTarget& target)
{
    const DWORD attributes = GetFileAttributesA(target.path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    bool rename = target.beside && !(exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT));
    if (rename && exists) {
        // Another hard link would keep the old contents.
        const HANDLE old = CreateFileA(target.path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        rename = valid(old) && GetFileInformationByHandle(old, &info) && info.nNumberOfLinks == 1;
        if (valid(old))
            CloseHandle(old);
    }
    if (rename && FlushFileBuffers(target.temporary) && deleteOnClose(target.temporary, false)) {
        CloseHandle(target.temporary);
        target.temporary = INVALID_HANDLE_VALUE;
        const bool replaced =
            exists ? ReplaceFileW(widen(target.path).c_str(), widen(target.temporaryName).c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                   : MoveFileExA(target.temporaryName.c_str(), target.path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (replaced)
            return 0;
        // Copied in instead, from the temporary file opened again.
        target.temporary = CreateFileA(target.temporaryName.c_str(), GENERIC_READ | DELETE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!valid(target.temporary)) {
            const DWORD error = GetLastError();
            DeleteFileA(target.temporaryName.c_str());
            return error;
        }
        deleteOnClose(target.temporary, true);
    }
    return copyInPlace(target.path, target.temporary);
}

} // namespace

ReplacementTarget* openReplacementTarget(const std::string& path, std::string& problem)
{
    auto target = std::make_unique<ReplacementTarget>();
    target->path = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        problem = std::strerror(EISDIR);
        return nullptr;
    }
    if (isStandardOutput(path)) {
        std::fflush(stdout);
        target->out = GetStdHandle(STD_OUTPUT_HANDLE);
        target->ownsOut = false;
        return target.release();
    }
    // Opening it tells a device or a pipe (NUL, CON, COM1, \\.\pipe\...),
    // written where it is, from a file, and whether the file may be
    // written at all: a read-only one is not replaced.
    HANDLE current = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD openError = valid(current) ? 0 : GetLastError();
    if (openError == ERROR_INVALID_HANDLE) {
        // CON in a program without a console of its own (a GUI program):
        // the console it was started from, else its standard output.
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            current = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (!valid(current) && valid(out)) {
            std::fflush(stdout);
            target->out = out;
            target->ownsOut = false;
            return target.release();
        }
        openError = valid(current) ? 0 : openError;
    }
    if (!valid(current) && openError != ERROR_FILE_NOT_FOUND) {
        problem = reason(openError);
        return nullptr;
    }
    if (valid(current)) {
        if (GetFileType(current) != FILE_TYPE_DISK) {
            target->out = current;
            return target.release();
        }
        CloseHandle(current);
    }
    DWORD error = 0;
    target->beside = makeTemporary(*target, directoryOf(path), error);
    if (!target->beside && valid(current)) {
        // A writable file in a directory that takes no new file: its bytes
        // wait elsewhere and are copied in.
        char dir[MAX_PATH];
        const DWORD n = GetTempPathA(MAX_PATH, dir);
        if (n > 0 && n < MAX_PATH)
            makeTemporary(*target, dir, error);
    }
    if (!valid(target->temporary)) {
        problem = reason(error);
        return nullptr;
    }
    return target.release();
}

bool replacementTargetStreams(const ReplacementTarget& target)
{
    return valid(target.out);
}

void writeReplacementTarget(ReplacementTarget& target, const char* data, std::size_t size)
{
    if (!target.error)
        target.error = writeAll(valid(target.out) ? target.out : target.temporary, data, size);
}

std::string finishReplacementTarget(ReplacementTarget* target, bool abandon)
{
    const std::unique_ptr<ReplacementTarget> owned(target);
    DWORD error = owned->error;
    if (valid(owned->out)) {
        if (owned->ownsOut && !CloseHandle(owned->out) && !error)
            error = GetLastError();
        return reason(error);
    }
    if (!abandon && !error)
        error = putInPlace(*owned);
    if (valid(owned->temporary))
        CloseHandle(owned->temporary);  // and the system deletes it
    return reason(error);
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
