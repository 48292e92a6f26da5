#pragma once
// Writing a whole file that the program is asked for (-snapshot), so that it
// lands where a shell redirect would put it and an existing file is never left
// half written, replaced where it may not be written, or lost.

#include <cstddef>
#include <memory>
#include <string>

// Writes bytes to path as a whole file and returns "" on success, else the
// reason in words. The name is opened as a redirect opens it (created where
// missing), so the kernel resolves links and applies its rules:
// - standard output (the same file, whatever its name) is written through it;
// - a device or a pipe is written as it takes the bytes, and given up once it
//   has taken nothing for 1 s; a pipe that no process reads fails at once;
// - a regular file is replaced by a new one, renamed over it, only where
//   that loses nothing: not reached through a link, one hard link, owner,
//   group, mode and extended attributes (ACLs, labels) all carried over, a
//   temporary file possible beside it and the rename allowed. Elsewhere it is
//   written in place, truncated, once the whole content is ready, as a
//   redirect would. No temporary file keeps a name while it is written.
std::string replaceFile(const std::string& path, const std::string& bytes);

// The same rules for a file written a piece at a time, as a run goes on.
// A regular file's pieces go to an unnamed temporary file and the file
// appears whole at commit; a pipe's or a device's go out as they come,
// waiting in memory (up to 64 MiB) while the reader is behind.
class FileReplacement {
public:
    FileReplacement();
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // "" or the reason the file cannot be written.
    std::string open(const std::string& path);
    // Never blocks on Linux; the first failure is kept for commit to report.
    void write(const char* data, std::size_t size);
    // Writes what is left and puts the file in place: "" or the reason, or
    // what was not written.
    std::string commit();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// True when the two names lead to one file, or would once it is made; never
// for a device, which keeps nothing (/dev/null, NUL).
bool namesSameFile(const std::string& a, const std::string& b);

// True when path names the file that standard output writes to, or would
// were it not closed.
bool isStandardOutput(const std::string& path);
