#pragma once
// Start-up: the fixed order of the set-up steps, the surface first, then
// the mode (validation or the demo) and its callbacks.

class OptionReader;

int startUp(OptionReader& options);
// Refuses, with status 2, a headless command line that cannot run.
void refuseUnrunnableHeadless();
void registerCallbacks();
