#include "app/validation_start.h"

#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "app/startup.h"
#include "validation/check_scene.h"
#include "validation/run_checks.h"

namespace {

void validationDisplay()
{
    std::exit(runChecks(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT), stdout));
}

} // namespace

int startValidation(OptionReader& options)
{
    settings.windowWidth = checkSide;
    settings.windowHeight = checkSide;
    settings.bufferMode = GLUT_DOUBLE;
    createWindow(options);
    glutDisplayFunc(validationDisplay);
    return 0;
}
