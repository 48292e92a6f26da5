#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "platform/clock.h"

namespace {

// The meter's first sample measures from 0: the clock must start near the
// process start, not at the machine's uptime, and it must move forwards.
TEST(MillisecondClock, CountsFromTheProcessStartAndAdvances)
{
    const int first = millisecondClock();
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 60000);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(millisecondClock() - first, 20);
}

} // namespace
