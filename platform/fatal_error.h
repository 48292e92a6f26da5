#pragma once

#include <optional>
#include <string>

// The one way a fatal error ends the program: a modal error box with an OK
// button and no owner window shows boxText under caption, made fit for a box
// (box_text.h); once it is acknowledged (or at once when no box can be shown)
// errorLine and a line end go to standard error, flushed; then the process
// ends through exit with the fatal status (0 unless set). Nothing that fails
// while the box is up loses the line or changes the status: see payOwedFatalLine.
[[noreturn]] void reportFatalError(const char* caption, const char* boxText, const char* errorLine);

// The X display the box goes to, as the toolkit names it; empty for the
// environment's. Where the platform has no X display it is not used.
void setReportDisplay(std::string display);

// Called before the box shows: the application calls off whatever its own
// window would draw or answer while the box waits.
void setReportPreparation(void (*prepare)());

// From now on fatal reports show no box: the line and the status only.
void turnOffReportBoxes();

// The status fatal reports end with: a run a script asked for must not
// report a failure as success.
void setFatalStatus(int status);

// For the ending, when exit comes while a box is up (the toolkit or Xlib gave
// up): the report's line, written now, and the status it ends with; nothing
// when no line is owed.
std::optional<int> payOwedFatalLine();
