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

void reportProgramError(const std::string& boxText)
{
    const std::string line = boxText + ".";
    reportFatalError("qlxtest error", boxText.c_str(), line.c_str());
}

void reportTooMany(const std::string& what, long long value, long long limit)
{
    reportProgramError("Too many " + what + ": " + std::to_string(value) + ", at most " +
                       std::to_string(limit) + " are allowed");
}
