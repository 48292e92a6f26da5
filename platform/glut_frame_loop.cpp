#include <GL/freeglut.h>

#include "platform/display_loss.h"
#include "platform/frame_loop.h"

namespace {

FrameCallbacks registered{};

// Hidden (unmapped, iconified) or fully covered (off screen too): the toolkit
// calls no display callback in either state.
// Called by the toolkit on a window manager's close, and again from its own
// exit handler for every window left. After the display's loss the GL is gone.
void windowClosing()
{
    if (registered.close && !displayLost())
        registered.close();
}

void windowStatus(int state)
{
    if (registered.drawable)
        registered.drawable(state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED);
}

class GlutFrameLoop final : public FrameLoop {
public:
    void registerCallbacks(const FrameCallbacks& callbacks) override
    {
        registered = callbacks;
        glutReshapeFunc(callbacks.reshape);
        glutKeyboardFunc(callbacks.keyboard);
        glutDisplayFunc(callbacks.display);
        glutMouseFunc(callbacks.mouse);
        glutMotionFunc(callbacks.motion);
        glutIdleFunc(callbacks.idle);
        // The toolkit calls it before it destroys the window, with the GL context still current.
        glutCloseFunc(callbacks.close ? windowClosing : nullptr);
        glutWindowStatusFunc(callbacks.drawable ? windowStatus : nullptr);
    }

    void pauseIdle(bool paused) override { glutIdleFunc(paused ? nullptr : registered.idle); }

    void startTimer(unsigned delayMs, TimerCallback callback, int value) override
    {
        glutTimerFunc(delayMs, callback, value);
    }

    void present(bool doubleBuffered) override
    {
        if (doubleBuffered)
            glutSwapBuffers();
        else
            glFlush();
    }

    unsigned keptBuffer(bool doubleBuffered) const override { return doubleBuffered ? 0 : GL_FRONT; }

    void requestFrame() override { glutPostRedisplay(); }

    void setTitle(const char* title) override { glutSetWindowTitle(title); }

    void run() override { glutMainLoop(); }
};

} // namespace

FrameLoop& glutFrameLoop()
{
    static GlutFrameLoop loop;
    return loop;
}
