#pragma once
// The platform's half of writing a file by the rules of replace_file.h: where
// the bytes go, and how the file is put in place.

#include <cstddef>
#include <string>

struct ReplacementTarget;

// The target opened for path, or nullptr with problem set.
ReplacementTarget* openReplacementTarget(const std::string& path, std::string& problem);

// True for a pipe, a device or standard output: bytes go out as they come.
bool replacementTargetStreams(const ReplacementTarget& target);

// Writes all of it, or queues what the reader cannot take yet; the first
// failure is kept for finishing to report.
void writeReplacementTarget(ReplacementTarget& target, const char* data, std::size_t size);

// Puts the file in place (with abandon, drops it instead); frees the target.
// "" or the reason it failed, or what was not written.
std::string finishReplacementTarget(ReplacementTarget* target, bool abandon);
