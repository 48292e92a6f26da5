#pragma once
// Run limits in the toolkit's frame loop: the frame that reaches a limit ends
// the program, and a limited run writes its result line on standard output at
// exit, however it ends (the limit, Escape, or the toolkit closing the window);
// on standard error instead when the snapshot goes to standard output.

#include <string>

#include "render/run_record.h"

// Starts the record when limit holds a limit; nothing otherwise. Needs the GL
// context: the line names its renderer and version. swapInterval is the line's
// value for the interval in force.
void startRunRecord(const RunLimit& limit, const std::string& swapInterval);

// After each frame's swap or flush: records the frame's end and quits at a limit.
void frameShown();
