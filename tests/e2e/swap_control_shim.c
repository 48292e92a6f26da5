/* LD_PRELOAD shim: a GLX that offers GLX_EXT_swap_control, as a desktop
 * driver does and Xvfb does not. It lists the extension in
 * glXQueryExtensionsString, hands out its own glXSwapIntervalEXT, and returns
 * the stored interval from glXQueryDrawable(GLX_SWAP_INTERVAL_EXT). The
 * interval starts at 1, the usual driver default. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

typedef unsigned long XID;
typedef XID GLXDrawable;
typedef struct _XDisplay Display;
typedef unsigned char GLubyte;
typedef void (*Function)(void);

#define GLX_SWAP_INTERVAL_EXT 0x20F1

static int storedInterval = 1;

static void* next(const char* name)
{
    return dlsym(RTLD_NEXT, name);
}

const char* glXQueryExtensionsString(Display* display, int screen)
{
    static char list[8192];
    const char* (*real)(Display*, int);
    void* symbol = next("glXQueryExtensionsString");
    memcpy(&real, &symbol, sizeof real);
    snprintf(list, sizeof list, "%s%sGLX_EXT_swap_control", real ? real(display, screen) : "", real ? " " : "");
    return list;
}

static void swapIntervalExt(Display* display, GLXDrawable drawable, int interval)
{
    (void)display;
    (void)drawable;
    storedInterval = interval;
}

int glXQueryDrawable(Display* display, GLXDrawable drawable, int attribute, unsigned int* value)
{
    if (attribute == GLX_SWAP_INTERVAL_EXT) {
        *value = (unsigned int)storedInterval;
        return 0;
    }
    int (*real)(Display*, GLXDrawable, int, unsigned int*);
    void* symbol = next("glXQueryDrawable");
    memcpy(&real, &symbol, sizeof real);
    return real(display, drawable, attribute, value);
}

static Function lookUp(const char* realName, const GLubyte* name)
{
    if (strcmp((const char*)name, "glXSwapIntervalEXT") == 0)
        return (Function)swapIntervalExt;
    Function (*real)(const GLubyte*);
    void* symbol = next(realName);
    memcpy(&real, &symbol, sizeof real);
    return real(name);
}

Function glXGetProcAddressARB(const GLubyte* name)
{
    return lookUp("glXGetProcAddressARB", name);
}

Function glXGetProcAddress(const GLubyte* name)
{
    return lookUp("glXGetProcAddress", name);
}
