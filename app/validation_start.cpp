#include "app/validation_start.h"

#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "platform/frame_loop.h"
#include "platform/exit_status.h"
#include "platform/quit.h"
#include "render/run_result.h"
#include "validation/check_scene.h"
#include "validation/run_checks.h"

namespace {

// A window that never shows never runs the checks.
constexpr unsigned showDeadlineMs = 10000;

// The surface as the window system gave it.
int surfaceWidth = 0;
int surfaceHeight = 0;
bool checksRan = false;

void recordSize(int width, int height)
{
    surfaceWidth = width;
    surfaceHeight = height;
}

void validationDisplay()
{
    checksRan = true;
    int status = runChecks(surfaceWidth, surfaceHeight, stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("Can't write the validation report to standard output.\n", stderr);
        status = 1;
    }
    std::exit(status);
}

void checkShown(int)
{
    if (checksRan)
        return;
    std::fputs("The validation window did not become visible within 10 seconds: no check ran.\n", stderr);
    std::exit(1);
}

// However the process ends without the checks (a close, a signal, an error), it fails.
void failWithoutChecks()
{
    if (!checksRan)
        failAtExit(1);
}

} // namespace

void prepareValidation()
{
    // The checks compare the drawn picture with what it must be: nothing may be drawn over it.
    if (settings.showGraph)
        refuse("-validate cannot draw -graph: the checks look at the picture alone");
    std::atexit(failWithoutChecks);
    settings.windowWidth = checkSide;
    settings.windowHeight = checkSide;
    settings.bufferMode = GLUT_DOUBLE;
}

int startValidation()
{
    frameLoop().registerCallbacks(
        {recordSize, nullptr, validationDisplay, nullptr, nullptr, nullptr, nullptr, nullptr});
    frameLoop().startTimer(showDeadlineMs, checkShown, 0);
    watchRun();
    return 0;
}
