#pragma once

// Ends the process with status 0 through the normal exit path.
[[noreturn]] void quit();

// Refuses a command line that cannot run: line and a line end on standard
// error, no box, status 2.
[[noreturn]] void refuse(const char* line);
