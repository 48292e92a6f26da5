#include "platform/ending_signals.h"

#include <csignal>
#include <unistd.h>

namespace {

constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t caught = 0;
const char* volatile doomedFile = nullptr;

void onEndingSignal(int signal)
{
    if (caught) {
        if (const char* path = doomedFile)
            ::unlink(path);
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    caught = signal;
}

void setAction(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Interrupted calls go on: the flag is looked at between frames.
    action.sa_flags = SA_RESTART;
    for (const int signal : endingSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

void catchEndingSignals()
{
    setAction(onEndingSignal);
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
    setAction(SIG_DFL);
}

void raiseCaughtSignal()
{
    const int signal = caught;
    if (!signal)
        return;
    setAction(SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
}
