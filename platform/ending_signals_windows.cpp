#include "platform/ending_signals.h"

// The console's close keeps its own behaviour: nothing is caught.
void catchEndingSignals() {}

int caughtEndingSignal()
{
    return 0;
}

void releaseEndingSignals() {}

void removeOnSecondSignal(const char*) {}

void raiseCaughtSignal() {}
