#pragma once

#include <string>

// The program's own last-resort notice, drawn with the toolkit's built-in
// bitmap font so that it needs no font on the X server: a small window titled
// caption on the X display named (empty: the environment's) shows text
// (UTF-8, lines split at line ends) and waits, without using the processor,
// for Return, Escape, a click, the window's close button or the window's
// destruction. Works before the program's window exists and after; the
// program's own callbacks are the caller's to quiet, and no window is current
// afterwards (the program's may have been closed meanwhile). Returns false at
// once when the display cannot be opened or makes no GL windows.
bool showNoticeWindow(const std::string& display, const char* caption, const char* text);
