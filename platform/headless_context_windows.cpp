#include "platform/headless_context.h"

bool headlessAvailable()
{
    return false;
}

HeadlessSize openHeadlessContext(int, int, int)
{
    return {0, 0, "headless runs need EGL, which Windows lacks"};
}

int headlessDeviceCount()
{
    return -1;
}

std::vector<HeadlessDevice> headlessDevices()
{
    return {};
}
