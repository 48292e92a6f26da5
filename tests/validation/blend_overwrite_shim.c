/* Preloaded into the program to damage its picture: every blend becomes an
 * overwrite, as on a driver whose blending is broken. */
#define _GNU_SOURCE
#include <GL/gl.h>
#include <dlfcn.h>

void glBlendFunc(GLenum source, GLenum destination)
{
    static void (*real)(GLenum, GLenum);
    (void)source;
    (void)destination;
    if (!real)
        *(void**)&real = dlsym(RTLD_NEXT, "glBlendFunc");
    real(GL_ONE, GL_ZERO);
}
