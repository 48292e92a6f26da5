#include "platform/display_mode.h"

#include <GL/glut.h>

// GLX servers that mirror EGL's configurations (Xwayland on a GPU) have no
// accumulation buffers at all. The toolkit's check needs only glutInit.
void requestDisplayMode(unsigned mode)
{
    glutInitDisplayMode(mode);
    if ((mode & GLUT_ACCUM) != 0 && glutGet(GLUT_DISPLAY_MODE_POSSIBLE) == 0)
        glutInitDisplayMode(mode & ~static_cast<unsigned>(GLUT_ACCUM));
}
