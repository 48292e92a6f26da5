#include "platform/display_loss.h"

#include <X11/Xlib.h>

namespace {

bool lost = false;
XIOErrorHandler xlibHandler = nullptr;

int onConnectionBroken(Display* display)
{
    lost = true;
    // Xlib's own handler says so on standard error and calls exit.
    return xlibHandler ? xlibHandler(display) : 0;
}

} // namespace

void watchDisplayLoss()
{
    if (!xlibHandler)
        xlibHandler = XSetIOErrorHandler(onConnectionBroken);
}

bool displayLost()
{
    return lost;
}
