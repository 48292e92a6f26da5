#include <GL/glut.h>

#include "platform/frame_loop.h"

namespace {

class GlutFrameLoop final : public FrameLoop {
public:
    void registerCallbacks(const FrameCallbacks& callbacks) override
    {
        glutReshapeFunc(callbacks.reshape);
        glutKeyboardFunc(callbacks.keyboard);
        glutDisplayFunc(callbacks.display);
        glutMouseFunc(callbacks.mouse);
        glutMotionFunc(callbacks.motion);
        glutIdleFunc(callbacks.idle);
    }

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
