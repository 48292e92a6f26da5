#include "app/startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/option_table.h"
#include "app/program_error.h"
#include "app/settings.h"
#include "app/toolkit_display.h"
#include "app/swap_interval_request.h"
#include "app/surface.h"
#include "app/validation_start.h"
#include "image/environment_texture.h"
#include "options/option_reader.h"
#include "platform/ending_signals.h"
#include "platform/fatal_error.h"
#include "platform/frame_loop.h"
#include "platform/headless_context.h"
#include "platform/quit.h"
#include "platform/replace_file.h"
#include "platform/swap_interval.h"
#include "render/display_lists.h"
#include "render/frame.h"
#include "render/frame_time_log.h"
#include "render/input.h"
#include "render/rate_meter.h"
#include "render/render_state.h"
#include "render/snapshot.h"
#include "render/run_record.h"
#include "render/run_result.h"

namespace {

// Every frame draws motionSteps passes, blurred or repeated. Beyond this a
// single frame takes minutes even on fast hardware and the program would
// never get round to a key; an 8-bit colour buffer shows no sub-frame past
// the 510th anyway.
constexpr int maxMotionSteps = 65536;

void checkMotionSteps(int steps)
{
    if (steps > maxMotionSteps)
        reportTooMany("motion steps", steps, maxMotionSteps);
}

bool callbacksRegistered = false;

void drawNothing() {}

// While a fatal report's box waits, the window stays but stops drawing and
// answering input (Escape would end the program before the report's line),
// and the rate meter stops titling whichever window is current.
void quietWindow()
{
    stopRateMeter();
    stopWatchingRun();
    if (!callbacksRegistered)
        return;
    frameLoop().registerCallbacks({nullptr, nullptr, drawNothing, nullptr, nullptr, nullptr, nullptr, nullptr});
}

// A run a script asked for: it ends by itself or leaves a file, and a
// failure must not end it with the status of a success.
bool scriptedRun()
{
    return isLimited(RunLimit{settings.frameLimit, settings.secondsLimit}) || settings.headless ||
           settings.validate || snapshotFile.length() > 0 || frameTimesFile.length() > 0;
}

// Reports go to the display the toolkit uses, worked out before glutInit
// rearranges the vector.
void setUpFatalReports(const OptionReader& options)
{
    // A box would hold the script that started the run until somebody came
    // to close it: its line and status say it all.
    if (scriptedRun()) {
        turnOffReportBoxes();
        setFatalStatus(1);
        catchEndingSignals();
    }
    setReportDisplay(toolkitDisplay(options.count(), options.argv()));
    setReportPreparation(quietWindow);
}

// Set last, so that a failing set-up step reports its error alone.
std::string applySwapInterval()
{
    const auto asked = requestedSwapInterval(settings.swapInterval, settings.maxTriangles, adaptiveSwapOffered);
    if (!asked)
        return swapIntervalValue(swapIntervalInForce());
    const auto inForce = setSwapInterval(*asked);
    const std::string warning = swapIntervalWarning(*asked, inForce);
    if (!warning.empty()) {
        std::fputs((warning + "\n").c_str(), stderr);
        std::fflush(stderr);
    }
    return swapIntervalValue(inForce);
}

} // namespace

// Nothing here can ask the user anything, and nothing shows a frame: the
// run must end by itself, and without a window system the overlay's font
// cannot be had (the toolkit exits when its font is used before it has
// opened a display).
void refuseUnrunnableHeadless()
{
    if (!settings.headless)
        return;
    if (!headlessAvailable())
        refuse("-headless is not available on this platform");
    // The checks end by themselves and show no overlay.
    if (settings.validate)
        return;
    if (!isLimited(RunLimit{settings.frameLimit, settings.secondsLimit}))
        refuse("-headless needs a run length: -frames N or -seconds S");
    if (settings.showRates)
        refuse("-headless cannot show -FPS: the overlay's font needs a display");
}

// Two outputs in one file would leave only the one written last.
void refuseSharedOutputFile()
{
    if (snapshotFile.length() > 0 && frameTimesFile.length() > 0 &&
        namesSameFile(snapshotFile.data(), frameTimesFile.data()))
        refuse("-snapshot and -frametimes name the same file");
}

// -validate draws its own fixed scene and ends with the checks: nothing of a
// run's outputs would be written.
void refuseValidationExtras()
{
    if (!settings.validate)
        return;
    if (snapshotFile.length() > 0)
        refuse("-validate cannot be combined with -snapshot");
    if (frameTimesFile.length() > 0)
        refuse("-validate cannot be combined with -frametimes");
    if (settings.checksum)
        refuse("-validate cannot be combined with -checksum");
    if (isLimited(RunLimit{settings.frameLimit, 0.0f}))
        refuse("-validate cannot be combined with -frames");
    if (isLimited(RunLimit{0, settings.secondsLimit}))
        refuse("-validate cannot be combined with -seconds");
    // The checks look at the picture alone.
    if (settings.showGraph)
        refuse("-validate cannot be combined with -graph");
}

void registerCallbacks()
{
    frameLoop().registerCallbacks({reshape, keyboard, display, mouse, motion, idle, windowClosing, windowDrawable});
    frameLoop().startTimer(1000, rateTimer, 0);
    if (scriptedRun())
        watchRun();
    callbacksRegistered = true;
}

int startUp(OptionReader& options)
{
    setUpFatalReports(options);
    refuseUnrunnableHeadless();
    refuseValidationExtras();
    refuseSharedOutputFile();
    // Standard output carries a file: the line must not land in it.
    if (snapshotGoesToStandardOutput() || frameTimesGoToStandardOutput())
        sendResultLineToStandardError();
    refuseUnusableDevice();
    if (settings.validate)
        prepareValidation();
    else
        checkMotionSteps(settings.motionSteps);
    openSurface(options);
    if (settings.validate)
        return startValidation();
    registerCallbacks();
    setUpEnvironmentTexture(readEnvironmentFile(options), settings.textureFilter, settings.texturing != 0);
    buildDisplayLists(settings.sceneKind, settings.divisions, settings.texturing != 0, settings.skyUDivisions,
                      settings.skyVDivisions);
    initRenderState(settings.sceneKind);
    startInput(settings.startBlurred != 0, settings.spinSpeed);
    const std::string swapInterval = settings.headless ? "none" : applySwapInterval();
    if (!startRunRecord(RunLimit{settings.frameLimit, settings.secondsLimit}, swapInterval))
        std::exit(1);
    // Only a run that started replaces the file.
    writeSnapshotAtExit();
    return 0;
}
