#include "platform/headless_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fatal_error.h"

namespace {

bool hasToken(const char* list, const char* token)
{
    if (!list)
        return false;
    const std::size_t length = std::strlen(token);
    for (const char* at = std::strstr(list, token); at; at = std::strstr(at + 1, token)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

template <typename Function>
Function entryPoint(const char* name)
{
    return reinterpret_cast<Function>(eglGetProcAddress(name));
}

// The display initialised, if it offers desktop OpenGL; else terminated.
EGLDisplay withOpenGl(EGLDisplay display)
{
    if (display == EGL_NO_DISPLAY)
        return EGL_NO_DISPLAY;
    if (eglInitialize(display, nullptr, nullptr) && hasToken(eglQueryString(display, EGL_CLIENT_APIS), "OpenGL"))
        return display;
    eglTerminate(display);
    return EGL_NO_DISPLAY;
}

// Mesa lists its software device first: a GPU server must not end up
// measuring that, so devices without the software mark go first, then the
// software ones, then the surfaceless platform.
EGLDisplay openDisplay()
{
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const auto platformDisplay = entryPoint<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (!platformDisplay)
        return EGL_NO_DISPLAY;
    const auto queryDevices = entryPoint<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
    const auto deviceString = entryPoint<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
    EGLint count = 0;
    if (hasToken(client, "EGL_EXT_platform_device") && queryDevices && deviceString &&
        queryDevices(0, nullptr, &count) && count > 0) {
        std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
        queryDevices(count, devices.data(), &count);
        devices.resize(static_cast<std::size_t>(count));
        for (const bool software : {false, true}) {
            for (EGLDeviceEXT device : devices) {
                if (hasToken(deviceString(device, EGL_EXTENSIONS), "EGL_MESA_device_software") != software)
                    continue;
                const EGLDisplay display = withOpenGl(platformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr));
                if (display != EGL_NO_DISPLAY)
                    return display;
            }
        }
    }
    if (hasToken(client, "EGL_MESA_platform_surfaceless"))
        return withOpenGl(platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
    return EGL_NO_DISPLAY;
}

EGLint attribute(EGLDisplay display, EGLConfig config, EGLint name)
{
    EGLint value = 0;
    eglGetConfigAttrib(display, config, name, &value);
    return value;
}

// EGL sorts smaller depth buffers and deeper colours first; either changes
// the picture (a 16-bit depth lets the teapot's passes fight, 10-bit colour
// rounds the blend differently), so every candidate is checked.
EGLConfig chooseConfig(EGLDisplay display)
{
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_COLOR_BUFFER_TYPE, EGL_RGB_BUFFER,
                             EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                             EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, nullptr, 0, &count) || count <= 0)
        return nullptr;
    std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
    eglChooseConfig(display, wanted, configs.data(), count, &count);
    for (EGLint i = 0; i < count; ++i) {
        const EGLConfig config = configs[static_cast<std::size_t>(i)];
        if (attribute(display, config, EGL_RED_SIZE) == 8 && attribute(display, config, EGL_GREEN_SIZE) == 8 &&
            attribute(display, config, EGL_BLUE_SIZE) == 8 && attribute(display, config, EGL_ALPHA_SIZE) == 8 &&
            attribute(display, config, EGL_DEPTH_SIZE) >= 24 && attribute(display, config, EGL_SAMPLE_BUFFERS) == 0)
            return config;
    }
    return nullptr;
}

[[noreturn]] void fail(const std::string& what)
{
    reportProgramError("Headless run: " + what);
}

} // namespace

bool headlessAvailable()
{
    return true;
}

HeadlessSize openHeadlessContext(int width, int height)
{
    const EGLDisplay display = openDisplay();
    if (display == EGL_NO_DISPLAY)
        fail("no EGL device offers OpenGL");
    if (!eglBindAPI(EGL_OPENGL_API))
        fail("EGL does not offer OpenGL");
    const EGLConfig config = chooseConfig(display);
    if (!config)
        fail("no EGL configuration with 8-bit colour and alpha and a 24-bit depth buffer");
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    const EGLSurface surface = eglCreatePbufferSurface(display, config, size);
    if (surface == EGL_NO_SURFACE)
        fail("EGL cannot make a " + std::to_string(width) + " x " + std::to_string(height) + " buffer");
    // No attributes: OpenGL 1.0 or later, which EGL gives as a compatibility profile.
    const EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT)
        fail("EGL cannot make an OpenGL context");
    if (!eglMakeCurrent(display, surface, surface, context))
        fail("EGL cannot make its OpenGL context current");
    EGLint actualWidth = width;
    EGLint actualHeight = height;
    eglQuerySurface(display, surface, EGL_WIDTH, &actualWidth);
    eglQuerySurface(display, surface, EGL_HEIGHT, &actualHeight);
    return {actualWidth, actualHeight};
}
