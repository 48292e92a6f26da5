#pragma once
// Signals that ask a run to end (interrupt, terminate, hang-up). Caught, they
// only set a flag: the program ends through its normal path, writing what it
// owes, and then raises the signal again so that its caller sees it. Where
// there are no such signals, nothing is ever caught.

// From now on the first such signal sets the flag; a second one ends the
// process at once, as if never caught. A signal found ignored stays ignored.
void catchEndingSignals();

// The signal caught, or 0.
int caughtEndingSignal();

// Back to the actions found when they were caught (a flag nobody checks would
// leave the process deaf, as while an error box waits).
void releaseEndingSignals();

// A file that a second signal removes before it ends the process (a
// temporary file that would stay otherwise); nullptr for none. The text must
// stay as it is until replaced.
void removeOnSecondSignal(const char* path);

// With a signal caught: the actions found restored and the signal raised,
// so the process ends as that signal ends it. Returns when none was caught.
void raiseCaughtSignal();
