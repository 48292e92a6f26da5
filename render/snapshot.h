#pragma once
// -snapshot FILE: the last frame of the run, written as a binary PPM when the
// run ends, however it ends.

#include "options/text_string.h"

// The file named by -snapshot; empty: none.
extern TextString snapshotFile;

// Arranges the snapshot at exit when the settings name a file. Call once the
// GL context exists and before the run's result line is arranged: exit
// handlers run in reverse, so the result line comes out first, and a snapshot
// that cannot be written then ends the process with status 1.
void writeSnapshotAtExit();

// Called just before a frame is presented. Where presenting leaves no buffer
// to read the frame from later (a swap), a run with a snapshot keeps a copy
// of every frame here; elsewhere this does nothing.
void keepFrameForSnapshot();
