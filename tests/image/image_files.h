#pragma once
// Scratch files for the image tests: a private temporary directory removed
// with everything in it, and small helpers to write and decode files there.

#include <cstdint>
#include <string>
#include <vector>

#include "image/pnm_reader.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes bytes to a file in the directory and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

// Opens path in binary mode, decodes it with readPnmImage and closes it.
PnmImagePtr readPnmFile(const std::string& path);
std::string readWholeFile(const std::string& path);

// An image's pixels as a vector, for comparisons.
std::vector<std::uint8_t> pixelsOf(const PnmImage& image);

// True when every named program is on the PATH.
bool toolsAvailable(const std::vector<std::string>& programs);
// Runs a shell command; true when it exits with status 0.
bool runShell(const std::string& command);
