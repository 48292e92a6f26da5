#pragma once
// The platform's half of writing a file by the rules of replace_file.h: where
// the bytes go, and how the file is put in place.

#include <cstddef>
#include <string>

struct ReplacementTarget;

// The target opened for path, or nullptr with problem set.
ReplacementTarget* openReplacementTarget(const std::string& path, std::string& problem);

// Writes all of it; the first failure is kept for finishing to report.
void writeReplacementTarget(ReplacementTarget& target, const char* data, std::size_t size);

// Puts the file in place, or with abandon removes a temporary file instead;
// frees the target. "" or the reason it failed.
std::string finishReplacementTarget(ReplacementTarget* target, bool abandon);
