#include "platform/headless_context.h"

#include "platform/fatal_error.h"

bool headlessAvailable()
{
    return false;
}

HeadlessSize openHeadlessContext(int, int)
{
    reportProgramError("Headless runs need EGL, which Windows lacks");
}
