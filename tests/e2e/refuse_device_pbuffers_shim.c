/* LD_PRELOAD shim: an EGL whose device displays make no pbuffer, as a GPU
 * driver may refuse one. The program fetches eglGetPlatformDisplayEXT
 * through eglGetProcAddress, so that is wrapped to note which displays
 * belong to devices. With QLX_REFUSE_EVERY_PBUFFER set, no display makes one. */
#define _GNU_SOURCE
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

typedef void (*Function)(void);

static PFNEGLGETPLATFORMDISPLAYEXTPROC realPlatformDisplay;
static EGLDisplay deviceDisplays[64];
static int deviceDisplayCount;

static void* next(const char* name)
{
    return dlsym(RTLD_NEXT, name);
}

static EGLDisplay EGLAPIENTRY platformDisplay(EGLenum platform, void* native, const EGLint* attributes)
{
    const EGLDisplay display = realPlatformDisplay(platform, native, attributes);
    if (platform == EGL_PLATFORM_DEVICE_EXT && display != EGL_NO_DISPLAY && deviceDisplayCount < 64)
        deviceDisplays[deviceDisplayCount++] = display;
    return display;
}

static int isDeviceDisplay(EGLDisplay display)
{
    for (int i = 0; i < deviceDisplayCount; ++i) {
        if (deviceDisplays[i] == display)
            return 1;
    }
    return 0;
}

__eglMustCastToProperFunctionPointerType EGLAPIENTRY eglGetProcAddress(const char* name)
{
    Function (*real)(const char*);
    void* symbol = next("eglGetProcAddress");
    memcpy(&real, &symbol, sizeof real);
    const Function found = real(name);
    if (!found || strcmp(name, "eglGetPlatformDisplayEXT") != 0)
        return found;
    realPlatformDisplay = (PFNEGLGETPLATFORMDISPLAYEXTPROC)found;
    return (Function)platformDisplay;
}

EGLSurface EGLAPIENTRY eglCreatePbufferSurface(EGLDisplay display, EGLConfig config, const EGLint* attributes)
{
    if (getenv("QLX_REFUSE_EVERY_PBUFFER") || isDeviceDisplay(display))
        return EGL_NO_SURFACE;
    EGLSurface (*real)(EGLDisplay, EGLConfig, const EGLint*);
    void* symbol = next("eglCreatePbufferSurface");
    memcpy(&real, &symbol, sizeof real);
    return real(display, config, attributes);
}
