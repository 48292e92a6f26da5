/* LD_PRELOAD shim for the benchmark scripts: counts glXSwapBuffers calls from
 * outside the measured program and writes a timeline of the calls that matter
 * for start-up and for the rate meter.
 *
 * Environment:
 *   QLX_BENCH_LOG=path          append one line per event to path
 *   QLX_BENCH_EXIT_AFTER_SWAP=n end the process right after its n-th swap
 *   QLX_BENCH_LOG_SWAPS=1       log every swap, not only the first
 *   QLX_BENCH_ZERO_AT_SWAP=n    under callgrind: zero its counters right after
 *                               the n-th swap, so that exactly the frames after
 *                               it are counted (needs valgrind's headers)
 *
 * Each line is "<event> <CLOCK_MONOTONIC ns> <swaps so far> [text]". Events:
 *   load, window (glutCreateWindow returned), drawable (first window made
 *   current, an X window id), mipmap-begin/-end (gluBuild2DMipmaps), list-begin/
 *   -end (glNewList/glEndList), swap (first swap only), title
 *   (glutSetWindowTitle, with the title text), exit. swap and exit carry
 *   "cpu=<ns>", the process's CPU time over all its threads.
 * Lines are written with one write(2) each, so a killed process loses none. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#if defined(__has_include)
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#endif
#endif
#ifndef CALLGRIND_ZERO_STATS
#define CALLGRIND_ZERO_STATS
#endif

typedef unsigned long XID;
typedef XID GLXDrawable;
typedef struct _XDisplay Display;
typedef struct __GLXcontextRec* GLXContext;
typedef unsigned int GLenum;
typedef unsigned int GLuint;
typedef int GLint;

static int logFd = -1;
static unsigned long long swaps;
static unsigned long long exitAfter;
static int drawableLogged;
static int logEverySwap;
static unsigned long long zeroAt;

static unsigned long long nowNs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (unsigned long long)t.tv_sec * 1000000000ull + (unsigned long long)t.tv_nsec;
}

static void logEvent(const char* event, const char* text)
{
    if (logFd < 0)
        return;
    char line[512];
    int n = snprintf(line, sizeof line, "%s %llu %llu%s%s\n", event, nowNs(), swaps, text ? " " : "",
                     text ? text : "");
    if (n >= (int)sizeof line) {
        n = (int)sizeof line;
        line[n - 1] = '\n';
    }
    if (n > 0 && write(logFd, line, (size_t)n) < 0) {
        /* Nothing useful to do: the measurement simply lacks the line. */
    }
}

/* CPU time of the whole process (every thread), for the per-frame cost. */
static void logCpuEvent(const char* event)
{
    struct timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    char text[48];
    snprintf(text, sizeof text, "cpu=%llu",
             (unsigned long long)t.tv_sec * 1000000000ull + (unsigned long long)t.tv_nsec);
    logEvent(event, text);
}

static void* nextSymbol(const char* name)
{
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        fprintf(stderr, "swap counter: %s not found\n", name);
        _exit(127);
    }
    return symbol;
}

/* ISO C has no cast from dlsym's object pointer to a function pointer: copy
 * the bits, as POSIX guarantees they fit. */
#define LOAD_NEXT(pointer, name)                      \
    do {                                              \
        void* symbol = nextSymbol(name);              \
        memcpy(&(pointer), &symbol, sizeof(pointer)); \
    } while (0)

__attribute__((constructor)) static void startCounter(void)
{
    const char* path = getenv("QLX_BENCH_LOG");
    if (path && *path)
        logFd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const char* after = getenv("QLX_BENCH_EXIT_AFTER_SWAP");
    if (after && *after)
        exitAfter = strtoull(after, NULL, 10);
    const char* zero = getenv("QLX_BENCH_ZERO_AT_SWAP");
    if (zero && *zero)
        zeroAt = strtoull(zero, NULL, 10);
    const char* every = getenv("QLX_BENCH_LOG_SWAPS");
    logEverySwap = every && *every == '1';
    logEvent("load", NULL);
}

__attribute__((destructor)) static void stopCounter(void)
{
    logCpuEvent("exit");
}

/* The first window made current: the one whose title the scripts read. */
static void logDrawable(GLXDrawable drawable)
{
    if (drawableLogged || !drawable)
        return;
    char id[32];
    snprintf(id, sizeof id, "0x%lx", (unsigned long)drawable);
    logEvent("drawable", id);
    drawableLogged = 1;
}

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static void (*real)(Display*, GLXDrawable);
    if (!real)
        LOAD_NEXT(real, "glXSwapBuffers");
    real(display, drawable);
    ++swaps;
    if (swaps == 1 || logEverySwap)
        logCpuEvent("swap");
    if (zeroAt && swaps == zeroAt)
        CALLGRIND_ZERO_STATS;
    if (exitAfter && swaps >= exitAfter) {
        logCpuEvent("exit");
        _exit(0);
    }
}

int glXMakeCurrent(Display* display, GLXDrawable drawable, GLXContext context)
{
    static int (*real)(Display*, GLXDrawable, GLXContext);
    if (!real)
        LOAD_NEXT(real, "glXMakeCurrent");
    const int result = real(display, drawable, context);
    logDrawable(drawable);
    return result;
}

/* freeglut binds its windows with the GLX 1.3 call. */
int glXMakeContextCurrent(Display* display, GLXDrawable draw, GLXDrawable read, GLXContext context)
{
    static int (*real)(Display*, GLXDrawable, GLXDrawable, GLXContext);
    if (!real)
        LOAD_NEXT(real, "glXMakeContextCurrent");
    const int result = real(display, draw, read, context);
    logDrawable(draw);
    return result;
}

int glutCreateWindow(const char* title)
{
    static int (*real)(const char*);
    if (!real)
        LOAD_NEXT(real, "glutCreateWindow");
    const int window = real(title);
    logEvent("window", NULL);
    return window;
}

void glutSetWindowTitle(const char* title)
{
    static void (*real)(const char*);
    if (!real)
        LOAD_NEXT(real, "glutSetWindowTitle");
    /* Logged before the call: the program took its sample just before this. */
    logEvent("title", title);
    real(title);
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                        GLenum type, const void* data)
{
    static GLint (*real)(GLenum, GLint, GLint, GLint, GLenum, GLenum, const void*);
    if (!real)
        LOAD_NEXT(real, "gluBuild2DMipmaps");
    logEvent("mipmap-begin", NULL);
    const GLint result = real(target, components, width, height, format, type, data);
    logEvent("mipmap-end", NULL);
    return result;
}

void glNewList(GLuint list, GLenum mode)
{
    static void (*real)(GLuint, GLenum);
    if (!real)
        LOAD_NEXT(real, "glNewList");
    logEvent("list-begin", NULL);
    real(list, mode);
}

void glEndList(void)
{
    static void (*real)(void);
    if (!real)
        LOAD_NEXT(real, "glEndList");
    real();
    logEvent("list-end", NULL);
}
