#include "render/run_result.h"

#include <GL/gl.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/settings.h"
#include "platform/clock.h"
#include "platform/cpu_time.h"
#include "platform/ending_signals.h"
#include "platform/frame_loop.h"
#include "platform/quit.h"
#include "render/frame_graph.h"
#include "render/frame_state.h"
#include "render/frame_time_log.h"
#include "render/rate_meter.h"
#include "render/result_line.h"
#include "render/snapshot.h"

namespace {

constexpr unsigned watchIntervalMs = 100;

struct LimitedRun {
    bool active = false;   // frames are recorded
    bool limited = false;  // the run ends by itself and writes the line
    RunLimit limit;
    RunRecord record;
    std::string swapInterval;
    std::string renderer;
    std::string glVersion;
    RunEnd end = RunEnd::Error;  // until a known way of ending says otherwise
    bool noted = false;  // how the run ends is known
    bool ended = false;  // and its end recorded
    double endedAt = 0.0;
    double cpuAtStart = 0.0;  // at the record's start
    double cpuAtEnd = 0.0;
    std::FILE* stream = stdout;
    bool watching = false;
};

// Built before main, so it outlives the ending's exit handler.
LimitedRun run;

const char* endName(RunEnd end)
{
    switch (end) {
    case RunEnd::Limit:
        return "limit";
    case RunEnd::Escape:
        return "escape";
    case RunEnd::Close:
        return "close";
    case RunEnd::Signal:
        return "signal";
    case RunEnd::Error:
        break;
    }
    return "error";
}

std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// What the frame drawn now counts, in the title's rule.
double frameTriangles()
{
    return settings.showObject ? trianglesPerFrame(frameState.objectTriangles, frameState.blurSteps) : 0.0;
}

// Settles the last frame, once: the run is over.
void settleFrames()
{
    if (const auto frame = settleLastFrame(run.record))
        logFrame(*frame);
}

} // namespace

bool writeResultLine()
{
    if (!run.limited)
        return true;
    const double now = run.ended ? run.endedAt : monotonicSeconds();
    const double cpuNow = run.ended ? run.cpuAtEnd : processCpuSeconds();
    RunFigures figures;
    figures.frames = run.record.frames;
    figures.seconds = recordedSeconds(run.record, now);
    figures.trianglesPerFrame = meanTrianglesPerFrame(run.record, frameTriangles());
    figures.width = settings.windowWidth;
    figures.height = settings.windowHeight;
    figures.resized = run.record.resized;
    figures.swapInterval = run.swapInterval;
    figures.renderer = run.renderer;
    figures.glVersion = run.glVersion;
    const FrameTimeFigures times = frameTimeFigures(run.record.times);
    figures.frameMsP50 = times.p50Ms;
    figures.frameMsP99 = times.p99Ms;
    figures.frameMsMax = times.maxMs;
    figures.fps1PercentLow = times.fps1PercentLow;
    figures.cpuSeconds = cpuNow - run.cpuAtStart;
    figures.hiddenSeconds = hiddenSeconds(run.record, now);
    figures.ended = endName(run.end);
    if (settings.checksum)
        figures.checksum = lastFrameChecksum();
    errno = 0;
    const bool written = std::fputs(resultLine(figures).c_str(), run.stream) >= 0 && std::fflush(run.stream) == 0;
    run.limited = false;
    if (written)
        return true;
    const int error = errno;
    std::fprintf(stderr, "Can't write the result line: %s\n", error ? std::strerror(error) : "write error");
    std::fflush(stderr);
    return false;
}

void settleRun()
{
    settleFrames();
}

namespace {

void checkRun(int)
{
    if (!run.watching)
        return;
    endRunOnCaughtSignal();
    if (run.active && limitReached(run.record, run.limit, monotonicSeconds()))
        endRun(RunEnd::Limit);
    frameLoop().startTimer(watchIntervalMs, checkRun, 0);
}

} // namespace

bool startRunRecord(const RunLimit& limit, const std::string& swapInterval)
{
    if (run.active || (!isLimited(limit) && frameTimesFile.length() == 0))
        return true;
    run.active = true;
    run.limited = isLimited(limit);
    run.limit = limit;
    run.record = openRecord(monotonicSeconds());
    run.cpuAtStart = processCpuSeconds();
    run.swapInterval = swapInterval;
    run.renderer = glText(GL_RENDERER);
    run.glVersion = glText(GL_VERSION);
    // A run whose log cannot be opened never starts: no line either.
    if (openFrameTimeLog())
        return true;
    run.active = false;
    run.limited = false;
    return false;
}

void watchRun()
{
    run.watching = true;
    frameLoop().startTimer(watchIntervalMs, checkRun, 0);
}

void stopWatchingRun()
{
    run.watching = false;
}

void endRunOnCaughtSignal()
{
    if (run.watching && caughtEndingSignal())
        endRun(RunEnd::Signal);
}

void frameShown()
{
    if (!run.active)
        return;
    const double now = monotonicSeconds();
    const bool first = !run.record.started;
    if (const auto settled =
            recordFrameEnd(run.record, now, frameTriangles(), settings.windowWidth, settings.windowHeight))
        logFrame(*settled);
    if (first)
        run.cpuAtStart = processCpuSeconds();
    if (limitReached(run.record, run.limit, now))
        endRun(RunEnd::Limit);
}

void windowDrawable(bool canDraw)
{
    frameLoop().pauseIdle(!canDraw);
    if (!canDraw)
        forgetGraphFrameEnd();
    if (run.active && !run.ended)
        recordHidden(run.record, !canDraw, monotonicSeconds());
}

void noteRunEnd(RunEnd end)
{
    if (run.noted)
        return;
    run.noted = true;
    run.end = end;
    takeLastFrame();
    if (!run.active)
        return;
    // Frames still queued count as done only once the GL has finished them.
    if (!run.record.hidden && glGetString(GL_VERSION))
        glFinish();
    run.endedAt = monotonicSeconds();
    run.cpuAtEnd = processCpuSeconds();
    recordLastFrameFinished(run.record, run.endedAt);
    settleFrames();
    run.ended = true;
}

void endRun(RunEnd end)
{
    noteRunEnd(end);
    // The ending writes the rest.
    quit();
}

void sendResultLineToStandardError()
{
    run.stream = stderr;
}
