#pragma once
// -snapshot FILE: the last frame of the run, written as a binary PPM when the
// run ends, however it ends; and -checksum, its pixels' checksum.

#include <string>

#include "options/text_string.h"

// The file named by -snapshot; empty: none.
extern TextString snapshotFile;

// Arranges the snapshot at exit when the settings name a file. Call once the
// GL context exists and before the run's result line is arranged: exit
// handlers run in reverse, so the result line comes out first, and a snapshot
// that cannot be written then ends the process with status 1.
void writeSnapshotAtExit();

// Writes the last frame to the snapshot's file, when one is named. Where no
// frame was drawn nothing is written and the old file stays. A failure prints
// one line naming the file and the reason, and returns false.
bool writeSnapshotFile();

// The checksum of the last frame's pixels as the snapshot writes them (after
// its header), in 16 hex digits; "unknown" where no frame was drawn.
std::string lastFrameChecksum();

// Called just before a frame is presented. Where the frame may be gone by the
// time the run ends (after a swap, or with its window), a run with a snapshot
// keeps a copy of every frame here; elsewhere this does nothing.
void keepFrameForSnapshot();

// True when the snapshot's file is standard output: the result line then
// goes to standard error, so that standard output holds the picture alone.
bool snapshotGoesToStandardOutput();
