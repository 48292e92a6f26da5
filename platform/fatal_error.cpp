#include "platform/fatal_error.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/box_text.h"
#include "platform/ending_signals.h"
#include "platform/message_box.h"
#include "platform/standard_streams.h"

namespace {

std::string reportDisplay;
void (*prepareForBox)() = nullptr;
bool boxesShown = true;
int fatalStatus = 0;

// The line still owed while the box is up. The toolkit and Xlib end the
// process on errors they cannot recover from; the ending then writes the line
// and keeps the fatal status.
const char* owedLine = nullptr;

void writeLine(const char* line)
{
    std::fputs(line, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void showBox(const char* caption, const char* boxText, const char* errorLine)
{
    if (!boxesShown)
        return;
    owedLine = errorLine;
    if (prepareForBox)
        prepareForBox();
    // Nothing checks for a caught signal while the box waits.
    releaseEndingSignals();
    showMessageBox(reportDisplay, caption, ::boxText(boxText).c_str());
    owedLine = nullptr;
}

} // namespace

void setReportDisplay(std::string display)
{
    reportDisplay = std::move(display);
}

void setReportPreparation(void (*prepare)())
{
    prepareForBox = prepare;
}

void turnOffReportBoxes()
{
    boxesShown = false;
}

void setFatalStatus(int status)
{
    fatalStatus = status;
}

std::optional<int> payOwedFatalLine()
{
    if (!owedLine)
        return std::nullopt;
    writeLine(owedLine);
    owedLine = nullptr;
    return fatalStatus;
}

void reportFatalError(const char* caption, const char* boxText, const char* errorLine)
{
    // A reader of standard error that has gone away must not turn the
    // report's status into a signal.
    ignoreBrokenPipes();
    showBox(caption, boxText, errorLine);
    writeLine(errorLine);
    std::exit(fatalStatus);
}
