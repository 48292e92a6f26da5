#include "platform/display_mode.h"

#include <GL/glut.h>

// ChoosePixelFormat settles for the closest format by itself, and the
// toolkit's check of a mode needs a window here.
void requestDisplayMode(unsigned mode)
{
    glutInitDisplayMode(mode);
}
