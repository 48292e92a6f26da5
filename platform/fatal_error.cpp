#include "platform/fatal_error.h"

#include <SDL.h>
#include <cstdio>

#include "app/startup.h"

void reportFatalError(const char* caption, const char* boxText, const char* errorLine)
{
    // Fails (and returns at once) when there is no display; the copy on standard
    // error and the exit status must not depend on it.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, boxText, nullptr);
    std::fputs(errorLine, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    quit();
}
