#pragma once

// Makes sure standard input, output and error exist before any library opens
// a file: a descriptor left free would be taken by the next open (the X
// connection, say), and writes meant for standard error would land there.
// One that was closed stays closed for writing: a write to it fails.
void openStandardStreams();

// From now on a write to a pipe that nobody reads, or past the file size
// limit, fails instead of ending the process.
void ignoreBrokenPipes();
