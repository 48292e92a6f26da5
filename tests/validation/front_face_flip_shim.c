/* Preloaded into the program to damage its picture: the front-face winding
 * is turned round, as on a driver that mistakes it. */
#define _GNU_SOURCE
#include <GL/gl.h>
#include <dlfcn.h>

void glFrontFace(GLenum mode)
{
    static void (*real)(GLenum);
    if (!real)
        *(void**)&real = dlsym(RTLD_NEXT, "glFrontFace");
    real(mode == GL_CW ? GL_CCW : GL_CW);
}
