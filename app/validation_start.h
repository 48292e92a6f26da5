#pragma once
// -validate: the program checks its own picture on this driver, in a window
// or off screen under -headless, and ends with the checks' status.

// Before the surface: asks for a 256 x 256 double-buffered one.
void prepareValidation();

// For the ending: false when validating and the checks did not all run and pass.
bool validationEndedWell();

// Once the surface exists (a window, or a pbuffer under -headless), and from
// here on the process fails however it ends without the checks: its first
// display (for a window, once it is shown and its pixels are its own) runs
// the checks and ends the process: status 0 when all passed, 1 when any failed.
int startValidation();
