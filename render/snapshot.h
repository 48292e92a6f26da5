#pragma once
// -snapshot FILE: the last frame of the run, written as a binary PPM when the
// run ends, however it ends; and -checksum, its pixels' checksum.

#include <string>

#include "options/text_string.h"

// The file named by -snapshot; empty: none.
extern TextString snapshotFile;

// Arranges the snapshot for the run's end when the settings name a file (and
// the frame's copy for -checksum). Call once the run has started: a run that
// never started leaves an existing file alone.
void writeSnapshotAtExit();

// While the GL context still exists, at the run's end: the last frame, read
// where it stays; elsewhere the copy kept of every frame already holds it.
void takeLastFrame();

// Once, at the end: writes the frame taken to the file; false, after a line on
// standard error, when it cannot. Where no frame was drawn nothing is written
// and the old file stays. True when no snapshot was arranged. Makes no GL call.
bool writeSnapshotFile();

// The checksum of the frame taken, as the snapshot writes it (after its
// header), in 16 hex digits; "unknown" where no frame was drawn or taken.
std::string lastFrameChecksum();

// Called just before a frame is presented. Where the frame may be gone by the
// time the run ends (after a swap, or with its window), a run with a snapshot
// keeps a copy of every frame here; elsewhere this does nothing.
void keepFrameForSnapshot();

// True when the snapshot's file is standard output: the result line then
// goes to standard error, so that standard output holds the picture alone.
bool snapshotGoesToStandardOutput();
