// Preloaded into the program: SIGTERM comes while the first display list is
// built, before any frame is drawn, and long before the program's first timed
// look at a caught signal: the look before each frame must end the run.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>

void glNewList(unsigned int list, unsigned int mode)
{
    static void (*real)(unsigned int, unsigned int);
    static int raised;
    if (!real)
        *(void**)&real = dlsym(RTLD_NEXT, "glNewList");
    if (!raised) {
        raised = 1;
        raise(SIGTERM);
    }
    real(list, mode);
}
