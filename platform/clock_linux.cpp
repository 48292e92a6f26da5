#include "platform/clock.h"

#include <cstdint>
#include <ctime>

namespace {

std::uint64_t monotonicMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

const std::uint64_t processStart = monotonicMilliseconds();

} // namespace

int millisecondClock()
{
    return static_cast<int>(static_cast<std::uint32_t>(monotonicMilliseconds() - processStart));
}

double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
