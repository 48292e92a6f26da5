#include "platform/ending_signals.h"

#include <csignal>
#include <unistd.h>

namespace {

constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int signalCount = sizeof endingSignals / sizeof endingSignals[0];

volatile std::sig_atomic_t caught = 0;
const char* volatile doomedFile = nullptr;

// What each signal did when it was first caught here; a signal ignored then
// (nohup, a background job's interrupt) is never caught.
struct sigaction foundAtStart[signalCount];
bool caughtHere[signalCount] = {};

void restore(int index)
{
    if (caughtHere[index])
        sigaction(endingSignals[index], &foundAtStart[index], nullptr);
}

void onEndingSignal(int signal)
{
    if (caught) {
        if (const char* path = doomedFile)
            ::unlink(path);
        for (int i = 0; i < signalCount; ++i) {
            if (endingSignals[i] == signal)
                restore(i);
        }
        std::raise(signal);
        return;
    }
    caught = signal;
}

} // namespace

void catchEndingSignals()
{
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted calls go on: the flag is looked at between frames, and
    // waits that must see it (poll) return early whatever this says.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < signalCount; ++i) {
        struct sigaction found {};
        if (sigaction(endingSignals[i], nullptr, &found) != 0 || found.sa_handler == SIG_IGN)
            continue;
        if (!caughtHere[i])
            foundAtStart[i] = found;
        caughtHere[i] = sigaction(endingSignals[i], &action, nullptr) == 0 || caughtHere[i];
    }
}

int caughtEndingSignal()
{
    return caught;
}

void removeOnSecondSignal(const char* path)
{
    doomedFile = path;
}

void releaseEndingSignals()
{
    for (int i = 0; i < signalCount; ++i)
        restore(i);
}

void raiseCaughtSignal()
{
    const int signal = caught;
    if (!signal)
        return;
    releaseEndingSignals();
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
}
