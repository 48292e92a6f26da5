#pragma once
// What the frame loop asks of the window system it runs under: the toolkit's
// window, or an off-screen buffer with no window system at all. The frame's
// drawing is the same under both; only these steps differ.

struct FrameCallbacks {
    void (*reshape)(int width, int height);
    void (*keyboard)(unsigned char key, int x, int y);
    void (*display)();
    void (*mouse)(int button, int state, int x, int y);
    void (*motion)(int x, int y);
    void (*idle)();
    // The window is being closed by the window system; the process ends after.
    void (*close)();
    // The window became able (true) or unable (false) to draw.
    void (*drawable)(bool canDraw);
};

using TimerCallback = void (*)(int value);

class FrameLoop {
public:
    virtual ~FrameLoop() = default;
    // Hands over the callbacks; a loop without input ignores the input ones.
    virtual void registerCallbacks(const FrameCallbacks& callbacks) = 0;
    // While paused the idle callback is not called: a window that cannot draw
    // must not spin the processor.
    virtual void pauseIdle(bool paused) = 0;
    // callback(value) once, delayMs from now on the millisecond clock.
    virtual void startTimer(unsigned delayMs, TimerCallback callback, int value) = 0;
    // Ends the frame: shows it (swap, or flush a single buffer) or, where
    // nothing is shown, waits until it is drawn.
    virtual void present(bool doubleBuffered) = 0;
    // The colour buffer that still holds a frame once it has been presented,
    // or 0 where none does: after a swap the back buffer is undefined, and
    // a window's front buffer cannot be read back everywhere (Mesa's
    // software path on Xvfb reads black).
    virtual unsigned keptBuffer(bool doubleBuffered) const = 0;
    virtual void requestFrame() = 0;
    virtual void setTitle(const char* title) = 0;
    // Runs frames until the process ends.
    virtual void run() = 0;
};

// The loop in use: the toolkit's unless another was chosen at start-up.
FrameLoop& frameLoop();
void useFrameLoop(FrameLoop& loop);

// The toolkit's window and main loop (GLUT).
FrameLoop& glutFrameLoop();
