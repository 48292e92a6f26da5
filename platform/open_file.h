#pragma once

#include <cstdio>

// Opens a file for binary reading, or returns null. Never blocks in the open
// itself, whatever kind of file the name leads to.
std::FILE* openForReading(const char* path);
