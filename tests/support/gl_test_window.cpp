#include "support/gl_test_window.h"

#include <GL/freeglut.h>
#include <cstdlib>
#include <memory>

#include "support/virtual_display.h"

void ensureGlTestWindow(int width, int height, unsigned mode)
{
    static std::unique_ptr<VirtualDisplay> display;
    if (display)
        return;
    display = std::make_unique<VirtualDisplay>();
    setenv("DISPLAY", display->name().c_str(), 1);
    int argc = 1;
    char name[] = "qlxtest-gl-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(mode);
    glutInitWindowSize(width, height);
    glutCreateWindow(name);
    // freeglut maps the window on its first event round; drawing needs it mapped.
    glutDisplayFunc([] {});
    glutMainLoopEvent();
}
