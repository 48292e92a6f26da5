#include "platform/cpu_time.h"

#include <windows.h>

namespace {

// FILETIME counts 100-nanosecond units.
double seconds(const FILETIME& time)
{
    const auto units = (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<double>(units) * 1e-7;
}

} // namespace

double processCpuSeconds()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    return seconds(kernel) + seconds(user);
}
