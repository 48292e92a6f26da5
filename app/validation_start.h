#pragma once
// -validate: the program checks its own picture on this driver, in a window
// or off screen under -headless, and ends with the checks' status.

class OptionReader;

// Opens a 256 x 256 double-buffered window, or a pbuffer under -headless,
// whose first display (for a window, once it is shown and its pixels are its
// own) runs the checks and ends the process: status 0 when all passed, 1 when
// any failed.
int startValidation(OptionReader& options);
