#include "render/input.h"

#include <GL/glut.h>

#include "app/startup.h"

namespace {
constexpr unsigned char kEscape = 27;
}

void idle()
{
    glutPostRedisplay();
}

// Placeholder until the frame loop lands: Escape is the only key.
void keyboard(unsigned char key, int, int)
{
    if (key == kEscape)
        quit();
}

void mouse(int, int, int, int)
{
}

void motion(int, int)
{
}
