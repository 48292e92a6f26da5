#include "support/poll.h"

#include <chrono>
#include <thread>

bool pollUntil(const std::function<bool()>& holds, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (holds())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

::testing::AssertionResult eventually(const std::string& what, const std::function<bool()>& holds, int timeoutMs)
{
    if (pollUntil(holds, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "waited " << timeoutMs / 1000.0 << " s for " << what;
}
