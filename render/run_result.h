#pragma once
// Run limits in the frame loop: the frame, or the timer check, that reaches a
// limit ends the program, and a limited run writes its result line at exit,
// however it ends (the limit, Escape, the window's close, a signal or an error).

#include <string>

#include "render/run_record.h"

enum class RunEnd { Limit, Escape, Close, Signal, Error };

// Starts the record when limit holds a limit; nothing otherwise. Needs the GL
// context: the line names its renderer and version. swapInterval is the line's
// value for the interval in force.
void startRunRecord(const RunLimit& limit, const std::string& swapInterval);

// Checks, every 100 ms from now on, for a caught ending signal and for the
// seconds limit, which must end the run even when no frame is drawn.
void watchRun();

// The timer calls already scheduled change nothing and schedule no more.
void stopWatchingRun();

// After each frame's swap or flush: records the frame's end and what it drew,
// and ends the run at a limit.
void frameShown();

// The window became able or unable to draw.
void windowDrawable(bool canDraw);

// The run is ending this way: the GL is finished and the end recorded.
void noteRunEnd(RunEnd end);

// noteRunEnd, then the normal exit with status 0.
[[noreturn]] void endRun(RunEnd end);

// The line goes to standard error instead of standard output, which carries a file.
void sendResultLineToStandardError();
