#include "app/surface.h"

#include <GL/glut.h>
#include <algorithm>
#include <string>

#include "app/option_table.h"
#include "app/program_error.h"
#include "app/settings.h"
#include "options/option_reader.h"
#include "platform/display_loss.h"
#include "platform/display_mode.h"
#include "platform/frame_loop.h"
#include "platform/headless_context.h"
#include "platform/headless_frame_loop.h"
#include "platform/quit.h"
#include "render/rate_meter.h"

namespace {

// The toolkit hands window sizes to X in 16 bits (65536 arrives as 0, an X
// error, and 100000 as 34464), and Mesa's software path copies every frame
// through one X image whose byte count is an int. 16384 is also the largest
// viewport common GL drivers draw.
constexpr int maxWindowSide = 16384;

void createWindow(OptionReader& options)
{
    // The toolkit gets main's own vector, cut to as many entries as the reader
    // still holds (the text options, read later, still count). The table took
    // its options out of the reader only: one that came early is still among
    // the entries the toolkit sees, and as many entries are cut from the end.
    // So the toolkit's options reach it only when they come first.
    int toolkitArgc = options.count();
    watchDisplayLoss();
    glutInit(&toolkitArgc, options.argv());
    requestDisplayMode(displayMode(settings.bufferMode));
    // Sizes of 0 or less are the toolkit's to replace with its default.
    glutInitWindowSize(windowSideRequest(settings.windowWidth), windowSideRequest(settings.windowHeight));
    windowTitle = readWindowTitle(options);
    glutCreateWindow(windowTitle.data());
}

void openOffScreen(OptionReader& options)
{
    if (!headlessAvailable())
        refuse("-headless is not available on this platform");
    // As the toolkit does, sizes of 0 or less become its default.
    const auto side = [](int requested) { return requested > 0 ? windowSideRequest(requested) : 300; };
    const int device = settings.device == optionAbsent ? anyHeadlessDevice : settings.device;
    const HeadlessSize size = openHeadlessContext(side(settings.windowWidth), side(settings.windowHeight), device);
    if (!size.failure.empty())
        reportProgramError("Headless run: " + size.failure);
    static HeadlessFrameLoop loop(size.width, size.height);
    useFrameLoop(loop);
    // Read in its turn, before the image file, though nothing shows it.
    windowTitle = readWindowTitle(options);
}

} // namespace

int windowSideRequest(int side)
{
    return std::min(side, maxWindowSide);
}

unsigned displayMode(int bufferMode)
{
    return GLUT_RGB | GLUT_DEPTH | GLUT_ACCUM | static_cast<unsigned>(bufferMode);
}

void refuseUnusableDevice()
{
    if (settings.device == optionAbsent)
        return;
    if (!headlessAvailable())
        refuse("-device is not available on this platform");
    if (!settings.headless)
        refuse("-device needs -headless");
    const std::string named = "-device " + std::string(typedDevice.data());
    const int count = headlessDeviceCount();
    // Without EGL no number can be checked: that is this machine's failure, not the command line's.
    if (count < 0)
        reportProgramError(named + ": EGL cannot start here, so it lists no device");
    if (settings.device < 0 || settings.device >= count) {
        const std::string line = named + ": EGL lists no such device (see -listdevices)";
        refuse(line.c_str());
    }
}

void openSurface(OptionReader& options)
{
    if (settings.headless)
        openOffScreen(options);
    else
        createWindow(options);
}
