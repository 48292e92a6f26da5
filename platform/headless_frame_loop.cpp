#include "platform/headless_frame_loop.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdint>

#include "platform/clock.h"

namespace {

// The clock wraps like a 32-bit counter: compare by difference.
bool isDue(int due, int now)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(due)) >= 0;
}

} // namespace

void HeadlessFrameLoop::registerCallbacks(const FrameCallbacks& callbacks)
{
    callbacks_ = callbacks;
}

void HeadlessFrameLoop::startTimer(unsigned delayMs, TimerCallback callback, int value)
{
    const auto due = static_cast<std::uint32_t>(millisecondClock()) + delayMs;
    timers_.push_back({static_cast<int>(due), callback, value});
}

void HeadlessFrameLoop::present(bool)
{
    // A pbuffer has no front buffer to show.
    glFinish();
}

unsigned HeadlessFrameLoop::keptBuffer(bool) const
{
    // Nothing is swapped: the frame stays where it was drawn.
    return GL_BACK;
}

void HeadlessFrameLoop::runDueTimers(int now)
{
    std::vector<Timer> due;
    const auto firstLater = std::stable_partition(timers_.begin(), timers_.end(),
                                                  [now](const Timer& t) { return isDue(t.due, now); });
    due.assign(timers_.begin(), firstLater);
    timers_.erase(timers_.begin(), firstLater);
    std::stable_sort(due.begin(), due.end(), [now](const Timer& a, const Timer& b) {
        return static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(a.due) >
               static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(b.due);
    });
    for (const Timer& timer : due)
        timer.callback(timer.value);
}

void HeadlessFrameLoop::run()
{
    // As the toolkit does when a window first shows.
    callbacks_.reshape(width_, height_);
    for (;;) {
        runDueTimers(millisecondClock());
        callbacks_.display();
    }
}
