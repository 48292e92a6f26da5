#pragma once
// -frametimes FILE: one CSV row for each counted frame, written as the frames
// are settled and put in place, by the snapshot's rules, when the run ends.

#include "options/text_string.h"
#include "render/run_record.h"

// The file named by -frametimes; empty: none.
extern TextString frameTimesFile;

// True when the file is standard output: the result line then goes to standard error.
bool frameTimesGoToStandardOutput();

// Opens the log when a file is named; false, after a line on standard error,
// when the file cannot be opened.
bool openFrameTimeLog();

// Adds the frame's row.
void logFrame(const FrameDuration& frame);

// Puts the file in place, once; false, after a line on standard error, when
// that fails. True when no log is open.
bool closeFrameTimeLog();
