#include "platform/display_loss.h"

#include <X11/Xlib.h>

namespace {

bool lost = false;
XIOErrorHandler xlibConnectionHandler = nullptr;
XErrorHandler xlibRequestHandler = nullptr;

int onConnectionBroken(Display* display)
{
    lost = true;
    // Xlib's own handler says so on standard error and calls exit.
    return xlibConnectionHandler ? xlibConnectionHandler(display) : 0;
}

// Only errors that nobody expects reach this handler (the notice window sets
// its own while it may meet them), and Xlib's own one ends the process.
int onRequestFailed(Display* display, XErrorEvent* error)
{
    lost = true;
    return xlibRequestHandler ? xlibRequestHandler(display, error) : 0;
}

} // namespace

void watchDisplayLoss()
{
    if (xlibConnectionHandler)
        return;
    xlibConnectionHandler = XSetIOErrorHandler(onConnectionBroken);
    xlibRequestHandler = XSetErrorHandler(onRequestFailed);
}

bool displayLost()
{
    return lost;
}
