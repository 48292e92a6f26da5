#pragma once

// The platform's modal error box: text under caption, the error icon, one OK
// button and no owner window. Returns once it is acknowledged, or at once
// when no box can be shown at all (no display).
void showMessageBox(const char* caption, const char* text);
