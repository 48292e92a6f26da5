#pragma once
// Run limits in the frame loop: the frame, or the timer check, that reaches a
// limit ends the program, and a limited run's result line is written by the
// ending, however the run ends (the limit, Escape, the window's close, a
// signal or an error).

#include <string>

#include "render/run_record.h"

enum class RunEnd { Limit, Escape, Close, Signal, Error };

// Starts the record when limit holds a limit or frame times are logged;
// nothing otherwise. Needs the GL context: the line names its renderer and
// version. swapInterval is the line's value for the interval in force. False
// when the frame-time log cannot be opened (said on standard error).
bool startRunRecord(const RunLimit& limit, const std::string& swapInterval);

// Checks, every 100 ms from now on, for a caught ending signal and for the
// seconds limit, which must end the run even when no frame is drawn.
void watchRun();

// The timer calls already scheduled change nothing and schedule no more.
void stopWatchingRun();

// Before each frame: a signal caught since the last look ends the watched run
// here, so that no frame is drawn after it (one during start-up leaves none).
void endRunOnCaughtSignal();

// After each frame's swap or flush: records the frame's end and what it drew,
// and ends the run at a limit.
void frameShown();

// The window became able or unable to draw.
void windowDrawable(bool canDraw);

// The run is ending this way, while the GL context still exists: the last
// frame is taken, the GL finished and the end recorded. The first call counts.
void noteRunEnd(RunEnd end);

// noteRunEnd, then the normal exit with status 0.
[[noreturn]] void endRun(RunEnd end);

// For the ending, which makes no GL call: the last frame settled into the
// record and its row logged, once.
void settleRun();

// For the ending, once: a limited run's line; false, after a line on standard
// error, when it cannot be written. True when the run writes no line.
bool writeResultLine();

// The line goes to standard error instead of standard output, which carries a file.
void sendResultLineToStandardError();
