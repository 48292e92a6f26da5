// Preloaded into the program to make any X server look like one without
// accumulation buffers, as Xwayland's GLX is on a GPU: glXChooseFBConfig
// leaves out every configuration that has some.
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>

typedef GLXFBConfig* ChooseFBConfig(Display*, int, const int*, int*);

static int accumulationBits(Display* display, GLXFBConfig config)
{
    static const int sizes[] = {GLX_ACCUM_RED_SIZE, GLX_ACCUM_GREEN_SIZE, GLX_ACCUM_BLUE_SIZE,
                                GLX_ACCUM_ALPHA_SIZE};
    int total = 0;
    for (unsigned i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
        int bits = 0;
        glXGetFBConfigAttrib(display, config, sizes[i], &bits);
        total += bits;
    }
    return total;
}

GLXFBConfig* glXChooseFBConfig(Display* display, int screen, const int* attributes, int* count)
{
    ChooseFBConfig* real;
    // dlsym hands back an object pointer; ISO C has no cast to a function pointer.
    *(void**)&real = dlsym(RTLD_NEXT, "glXChooseFBConfig");
    int found = 0;
    GLXFBConfig* configs = real(display, screen, attributes, &found);
    int kept = 0;
    for (int i = 0; i < found; ++i) {
        if (accumulationBits(display, configs[i]) == 0)
            configs[kept++] = configs[i];
    }
    if (kept == 0 && configs) {
        XFree(configs);
        configs = NULL;
    }
    if (count)
        *count = kept;
    return configs;
}
