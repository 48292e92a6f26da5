#include "render/frame.h"

#include <GL/glut.h>

// Placeholder until the frame loop lands: an empty frame of the clear colour.
void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}
