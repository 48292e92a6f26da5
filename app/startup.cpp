#include "app/startup.h"

#include <GL/glut.h>
#include <algorithm>

#include "app/option_table.h"
#include "app/settings.h"
#include "app/validation_start.h"
#include "image/environment_texture.h"
#include "options/option_reader.h"
#include "platform/fatal_error.h"
#include "platform/frame_loop.h"
#include "platform/headless_context.h"
#include "platform/headless_frame_loop.h"
#include "platform/quit.h"
#include "render/display_lists.h"
#include "render/frame.h"
#include "render/input.h"
#include "render/rate_meter.h"
#include "render/render_state.h"
#include "render/snapshot.h"

namespace {

// The toolkit hands window sizes to X in 16 bits (65536 arrives as 0, an X
// error, and 100000 as 34464), and Mesa's software path copies every frame
// through one X image whose byte count is an int. 16384 is also the largest
// viewport common GL drivers draw.
constexpr int maxWindowSide = 16384;

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
    if (settings.showRates)
        refuse("-headless cannot show -FPS: the overlay's font needs a display");
}

int windowSideRequest(int side)
{
    return std::min(side, maxWindowSide);
}

unsigned displayMode(int bufferMode)
{
    return GLUT_RGB | GLUT_DEPTH | GLUT_ACCUM | static_cast<unsigned>(bufferMode);
}

int createWindow(OptionReader& options)
{
    // The toolkit gets main's own vector, cut to as many entries as the reader
    // still holds (the text options, read later, still count). The table took
    // its options out of the reader only: one that came early is still among
    // the entries the toolkit sees, and as many entries are cut from the end.
    // So the toolkit's options reach it only when they come first.
    int toolkitArgc = options.count();
    glutInit(&toolkitArgc, options.argv());
    glutInitDisplayMode(displayMode(settings.bufferMode));
    // Sizes of 0 or less are the toolkit's to replace with its default.
    glutInitWindowSize(windowSideRequest(settings.windowWidth), windowSideRequest(settings.windowHeight));
    windowTitle = readWindowTitle(options);
    glutCreateWindow(windowTitle.data());
    return 0;
}

int openOffScreen(OptionReader& options)
{
    reportWithoutBox();
    // As the toolkit does, sizes of 0 or less become its default.
    const auto side = [](int requested) { return requested > 0 ? windowSideRequest(requested) : 300; };
    const HeadlessSize size = openHeadlessContext(side(settings.windowWidth), side(settings.windowHeight));
    static HeadlessFrameLoop loop(size.width, size.height);
    useFrameLoop(loop);
    // Read in its turn, before the image file, though nothing shows it.
    windowTitle = readWindowTitle(options);
    return 0;
}

void registerCallbacks()
{
    frameLoop().registerCallbacks({reshape, keyboard, display, mouse, motion, idle});
    frameLoop().startTimer(1000, rateTimer, 0);
}

int startUp(OptionReader& options)
{
    if (settings.validate)
        return startValidation(options);
    refuseUnrunnableHeadless();
    checkMotionSteps(settings.motionSteps);
    if (settings.headless)
        openOffScreen(options);
    else
        createWindow(options);
    registerCallbacks();
    setUpEnvironmentTexture(readEnvironmentFile(options), settings.textureFilter, settings.texturing != 0);
    buildDisplayLists(settings.sceneKind, settings.divisions, settings.texturing != 0, settings.skyUDivisions,
                      settings.skyVDivisions);
    initRenderState(settings.sceneKind);
    writeSnapshotAtExit();
    return 0;
}
