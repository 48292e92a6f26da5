#include "platform/exit_status.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ending_signals.h"

namespace {

int failure = 0;

void finalExit()
{
    std::fflush(nullptr);
    raiseCaughtSignal();
    if (failure)
        std::_Exit(failure);
}

} // namespace

void arrangeFinalExit()
{
    std::atexit(finalExit);
}

void failAtExit(int status)
{
    failure = status;
}
