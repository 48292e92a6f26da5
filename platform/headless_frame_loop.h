#pragma once
// Frames back to back into an off-screen buffer, with no window system: no
// input, no title, and every frame waits until the GL has drawn it, so that
// the rates count finished work. Timers run between frames, on the same
// millisecond clock as the toolkit's.

#include <vector>

#include "platform/frame_loop.h"

class HeadlessFrameLoop final : public FrameLoop {
public:
    HeadlessFrameLoop(int width, int height) : width_(width), height_(height) {}

    void registerCallbacks(const FrameCallbacks& callbacks) override;
    void startTimer(unsigned delayMs, TimerCallback callback, int value) override;
    void present(bool doubleBuffered) override;
    unsigned keptBuffer(bool doubleBuffered) const override;
    void pauseIdle(bool) override {}
    void requestFrame() override {}
    void setTitle(const char*) override {}
    void run() override;

private:
    struct Timer {
        int due;
        TimerCallback callback;
        int value;
    };

    // Calls, in the order they fall due, the timers due at now; those they
    // start wait for a later call.
    void runDueTimers(int now);

    int width_;
    int height_;
    FrameCallbacks callbacks_{};
    std::vector<Timer> timers_;
};
