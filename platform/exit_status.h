#pragma once
// The status the process ends with, decided once every exit handler has run:
// a failure met on the way out (a line that could not be written) or a caught
// ending signal overrides the status exit was called with.

// Registers the exit handler that runs last. Call before any other is registered.
void arrangeFinalExit();

// The process ends with status (not 0) however it ends normally.
void failAtExit(int status);
