#pragma once

#include <string>

// The X display the toolkit opens when glutInit gets the first count entries
// of argv: the value of the last "-display" among them, where the toolkit
// reads one ("-geometry" takes the entry after it as its own value); empty
// when there is none, for the environment's.
std::string toolkitDisplay(int count, char* const* argv);
