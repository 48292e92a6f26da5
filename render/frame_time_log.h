#pragma once
// -frametimes FILE: one CSV row for each counted frame, as the frames are
// settled. A pipe or device gets them as the run goes on; a regular file
// appears, whole, by the snapshot's rules, when the run ends.

#include "options/text_string.h"
#include "render/run_record.h"

// The file named by -frametimes; empty: none.
extern TextString frameTimesFile;

// True when the file is standard output: the result line then goes to standard error.
bool frameTimesGoToStandardOutput();

// Opens the log when a file is named. False, after one line naming the file
// and the reason, when it cannot be written.
bool openFrameTimeLog();

// Adds the frame's row.
void logFrame(const FrameDuration& frame);

// Writes what is left and puts the file in place. False, after one line
// naming the file and the reason or what was not written, on a failure.
bool closeFrameTimeLog();
