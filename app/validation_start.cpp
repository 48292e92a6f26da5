#include "app/validation_start.h"

#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "app/startup.h"
#include "platform/frame_loop.h"
#include "platform/headless_context.h"
#include "platform/quit.h"
#include "validation/check_scene.h"
#include "validation/run_checks.h"

namespace {

// The surface as the window system gave it.
int surfaceWidth = 0;
int surfaceHeight = 0;

void recordSize(int width, int height)
{
    surfaceWidth = width;
    surfaceHeight = height;
}

void validationDisplay()
{
    std::exit(runChecks(surfaceWidth, surfaceHeight, stdout));
}

} // namespace

int startValidation(OptionReader& options)
{
    settings.windowWidth = checkSide;
    settings.windowHeight = checkSide;
    settings.bufferMode = GLUT_DOUBLE;
    if (settings.headless) {
        if (!headlessAvailable())
            refuse("-headless is not available on this platform");
        openOffScreen(options);
    } else {
        createWindow(options);
    }
    frameLoop().registerCallbacks({recordSize, nullptr, validationDisplay, nullptr, nullptr, nullptr});
    return 0;
}
