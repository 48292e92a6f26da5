#pragma once

#include <string>
#include <string_view>

// Limits of the text a message box shows: lines of at most this many
// characters, and at most this many lines.
inline constexpr int boxLineLength = 60;
inline constexpr int boxLineCount = 8;

// Any byte string made fit for a message box: control characters and the
// direction and line-separator marks become visible escapes (\n, \t, \x1B,
// \u202E), bytes that are not UTF-8 become U+FFFD, the middle of a text too
// long for the box is replaced by "...", and the rest is wrapped, after a
// blank or a slash where the line has one. The result is valid UTF-8 of at
// most boxLineCount lines of boxLineLength characters.
std::string boxText(std::string_view text);
