#pragma once

// The program's own last-resort notice, drawn with the toolkit's built-in
// bitmap font so that it needs no font on the X server: a small window titled
// caption shows text (UTF-8, lines split at line ends) and waits for Return,
// Escape, a click or the window's close button. Works before the program's
// window exists and after. Returns false at once when no display can be
// opened.
bool showNoticeWindow(const char* caption, const char* text);
