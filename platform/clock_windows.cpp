#include "platform/clock.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

namespace {

// timeGetTime counts from the machine's start and wraps after 49 days; the
// unsigned difference is right across the wrap.
const DWORD processStart = timeGetTime();

} // namespace

int millisecondClock()
{
    return static_cast<int>(static_cast<std::uint32_t>(timeGetTime() - processStart));
}

double monotonicSeconds()
{
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
