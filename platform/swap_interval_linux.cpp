#include "platform/swap_interval.h"

#include <GL/glx.h>
#include <GL/glxext.h>

#include "platform/extension_list.h"

namespace {

// The server's and the driver's list for the context's screen decides.
// glXGetProcAddress cannot: glvnd returns a function for any name. And on
// Xvfb, where neither extension is listed, querying GLX_SWAP_INTERVAL_EXT
// anyway crashes inside Mesa.
bool listed(const char* name)
{
    Display* const display = glXGetCurrentDisplay();
    const GLXContext context = glXGetCurrentContext();
    if (!display || !context)
        return false;
    int screen = DefaultScreen(display);
    glXQueryContext(display, context, GLX_SCREEN, &screen);
    return namesExtension(glXQueryExtensionsString(display, screen), name);
}

template <typename Function>
Function procedure(const char* name)
{
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

std::optional<int> readThroughExt()
{
    Display* const display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!drawable)
        return std::nullopt;
    unsigned int value = 0;
    glXQueryDrawable(display, drawable, GLX_SWAP_INTERVAL_EXT, &value);
    return static_cast<int>(value);
}

std::optional<int> setThroughExt(int interval)
{
    const auto swapInterval = procedure<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT");
    Display* const display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!swapInterval || !drawable)
        return std::nullopt;
    swapInterval(display, drawable, interval);
    const int inForce = readThroughExt().value_or(0);
    // A negative interval reads back as its size, with late swaps tearing.
    if (interval < 0 && inForce == -interval) {
        unsigned int tear = 0;
        glXQueryDrawable(display, drawable, GLX_LATE_SWAPS_TEAR_EXT, &tear);
        if (tear)
            return interval;
    }
    return inForce;
}

std::optional<int> setThroughMesa(int interval)
{
    const auto swapInterval = procedure<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA");
    const auto getSwapInterval = procedure<PFNGLXGETSWAPINTERVALMESAPROC>("glXGetSwapIntervalMESA");
    if (!swapInterval || !getSwapInterval || interval < 0)
        return std::nullopt;
    swapInterval(static_cast<unsigned int>(interval));
    return getSwapInterval();
}

} // namespace

bool adaptiveSwapOffered()
{
    return listed("GLX_EXT_swap_control") && listed("GLX_EXT_swap_control_tear");
}

std::optional<int> setSwapInterval(int interval)
{
    if (listed("GLX_EXT_swap_control"))
        return setThroughExt(interval);
    if (listed("GLX_MESA_swap_control"))
        return setThroughMesa(interval);
    return std::nullopt;
}

std::optional<int> swapIntervalInForce()
{
    if (listed("GLX_EXT_swap_control"))
        return readThroughExt();
    if (listed("GLX_MESA_swap_control")) {
        const auto getSwapInterval = procedure<PFNGLXGETSWAPINTERVALMESAPROC>("glXGetSwapIntervalMESA");
        if (getSwapInterval)
            return getSwapInterval();
    }
    return std::nullopt;
}
