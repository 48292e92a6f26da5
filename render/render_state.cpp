#include "render/render_state.h"

#include <GL/gl.h>

// Placeholder until the frame loop lands: keeps the viewport on the window.
void initRenderState()
{
}

void reshape(int width, int height)
{
    glViewport(0, 0, width, height);
}
