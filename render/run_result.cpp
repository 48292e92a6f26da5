#include "render/run_result.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "platform/clock.h"
#include "platform/quit.h"
#include "render/frame_state.h"
#include "render/rate_meter.h"
#include "render/result_line.h"
#include "render/snapshot.h"

namespace {

struct LimitedRun {
    bool active = false;
    RunLimit limit;
    RunRecord record;
    std::string swapInterval;
    std::string renderer;
    std::string glVersion;
};

// Built before main, so it outlives the exit handler registered later.
LimitedRun run;

std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

void writeResultLine()
{
    RunFigures figures;
    figures.frames = run.record.frames;
    figures.seconds = recordedSeconds(run.record);
    figures.trianglesPerFrame = trianglesPerFrame(frameState.objectTriangles, frameState.blurSteps);
    figures.width = settings.windowWidth;
    figures.height = settings.windowHeight;
    figures.swapInterval = run.swapInterval;
    figures.renderer = run.renderer;
    figures.glVersion = run.glVersion;
    std::FILE* const stream = snapshotGoesToStandardOutput() ? stderr : stdout;
    std::fputs(resultLine(figures).c_str(), stream);
    std::fflush(stream);
}

} // namespace

void startRunRecord(const RunLimit& limit, const std::string& swapInterval)
{
    if (run.active || !isLimited(limit))
        return;
    run.active = true;
    run.limit = limit;
    run.swapInterval = swapInterval;
    run.renderer = glText(GL_RENDERER);
    run.glVersion = glText(GL_VERSION);
    std::atexit(writeResultLine);
}

void frameShown()
{
    if (!run.active)
        return;
    recordFrameEnd(run.record, monotonicSeconds());
    if (limitReached(run.record, run.limit))
        quit();
}
