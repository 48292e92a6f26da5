#pragma once

#include <string>

// The one way a fatal error ends the program: a modal error box with an OK
// button and no owner window shows boxText under caption, made fit for a box
// (box_text.h); once it is acknowledged (or at once when no box can be shown)
// errorLine and a line end go to standard error, flushed; then quit() ends
// the process with status 0.
[[noreturn]] void reportFatalError(const char* caption, const char* boxText, const char* errorLine);

// From here on the reports skip the box: runs without a window system have
// no one to acknowledge it.
void reportWithoutBox();

// The program's own errors: boxText under "qlxtest error", and on standard
// error the same text closed by a period.
[[noreturn]] void reportProgramError(const std::string& boxText);

// A count beyond what the program builds: "Too many <what>: <value>, at most
// <limit> are allowed", as a program error.
[[noreturn]] void reportTooMany(const std::string& what, long long value, long long limit);
