#pragma once

// The one way a fatal error ends the program: a modal error box with an OK
// button and no owner window shows boxText under caption; once it is
// acknowledged (or at once when no box can be shown) errorLine and a line end go
// to standard error, flushed; then quit() ends the process with status 0.
[[noreturn]] void reportFatalError(const char* caption, const char* boxText, const char* errorLine);
