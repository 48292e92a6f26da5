#pragma once
// Writing a whole file so that an existing one is never left half written.

#include <string>

// Writes bytes to a temporary file in path's directory, then renames it over
// path: a reader sees the old file or the whole new one. A device or a pipe
// is written directly. Returns "" on success, else the reason in words.
std::string replaceFile(const std::string& path, const std::string& bytes);
