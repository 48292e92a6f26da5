#pragma once
// Writing a whole file that the program is asked for (-snapshot), so that it
// lands where a shell redirect would put it and an existing file is never left
// half written, replaced where it may not be written, or lost.

#include <cstddef>
#include <memory>
#include <string>

// Writes bytes to path and returns "" on success, else the reason in words:
// - standard output (the same file, whatever its name) is written through it;
// - a device or a pipe is written directly, never replaced; a pipe that no
//   process reads fails at once;
// - a symbolic link stays a link: the file it leads to gets the bytes;
// - a regular file is replaced through a temporary file beside it, and only
//   where it could be opened for writing: a reader sees the old file or the
//   whole new one. The new file keeps the old one's permissions, and its owner
//   and group where the process may set them; another hard link to the old
//   file keeps the old contents.
// No temporary file is left behind, on an error or when SIGINT, SIGTERM or
// SIGHUP comes during the write (they wait until it is over).
std::string replaceFile(const std::string& path, const std::string& bytes);

// The same rules for a file written a piece at a time, as a run goes on: the
// temporary file (where there is one) is renamed over the target by commit,
// and removed when the replacement ends without it. Ending signals are not
// held meanwhile: the program's own handling ends the run through commit.
class FileReplacement {
public:
    FileReplacement();
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // "" or the reason the file cannot be written.
    std::string open(const std::string& path);
    // Buffered; the first failure is kept for commit to report.
    void write(const char* data, std::size_t size);
    // Writes what is buffered and puts the file in place: "" or the reason.
    std::string commit();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// True when the two names lead to one file, or would once it is made.
bool namesSameFile(const std::string& a, const std::string& b);

// True when path names the file that standard output writes to.
bool isStandardOutput(const std::string& path);
