#pragma once
// The validation run: every check in turn on the program's own drawing, a
// line for each as it ends, then the summary.

#include <cstdio>

// Needs a current GL context whose surface, width x height pixels, is at
// least checkSide pixels each way; its lower left square is drawn on and read
// back. Any surface will do: a window's (double- or single-buffered) or a
// pbuffer. Leaves the program's frame state, settings and lists replaced.
// Returns the exit status: 0 when no check failed, 1 otherwise.
int runChecks(int width, int height, std::FILE* out);
