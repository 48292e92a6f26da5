#pragma once

#include <string>

// The platform's modal error box: text under caption, the error icon, one OK
// button and no owner window, on the X display named (empty: the
// environment's; unused where there is no X). Returns once it is
// acknowledged, or at once when no box can be shown at all (no display).
void showMessageBox(const std::string& display, const char* caption, const char* text);
