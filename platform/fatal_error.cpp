#include "platform/fatal_error.h"

#include <cstdio>

#include "platform/box_text.h"
#include "platform/message_box.h"
#include "platform/quit.h"

namespace {

bool boxShown = true;

} // namespace

void reportWithoutBox()
{
    boxShown = false;
}

void reportFatalError(const char* caption, const char* boxText, const char* errorLine)
{
    // Returns at once when there is no display; the copy on standard error,
    // always the full original bytes, and the exit status do not depend on it.
    if (boxShown)
        showMessageBox(caption, ::boxText(boxText).c_str());
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
