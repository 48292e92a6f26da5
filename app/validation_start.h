#pragma once
// -validate in a window: the program checks its own picture on this driver
// and ends with the checks' status.

class OptionReader;

// Creates a 256 x 256 double-buffered window whose first display, once the
// window is shown and its pixels are its own, runs the checks and ends the
// process: status 0 when all passed, 1 when any failed.
int startValidation(OptionReader& options);
