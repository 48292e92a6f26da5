#pragma once

#include <cstdio>

// Opens a regular file for binary reading, or returns null: anything else (a
// directory, a FIFO, a terminal or other device) counts as a file that cannot
// be opened. Never blocks, whatever kind of file the name leads to.
std::FILE* openForReading(const char* path);
