#include "render/snapshot.h"

#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/settings.h"
#include "image/ppm_writer.h"
#include "platform/frame_loop.h"
#include "platform/replace_file.h"

TextString snapshotFile;

namespace {

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows bottom to top
};

Frame kept;
bool snapshotWanted = false;
bool snapshotArmed = false;
bool frameDrawn = false;  // a frame reached present: before that the buffers hold nothing drawn

bool doubleBuffered()
{
    return settings.bufferMode == GLUT_DOUBLE;
}

// Nothing when there is no context left to read from (the toolkit destroys
// the window before it exits on a close) or no frame has been sized yet.
bool readFrame(unsigned buffer, Frame& frame)
{
    if (!glGetString(GL_VERSION) || settings.windowWidth <= 0 || settings.windowHeight <= 0)
        return false;
    frame.width = settings.windowWidth;
    frame.height = settings.windowHeight;
    frame.rgb.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(buffer);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return true;
}

} // namespace

void writeSnapshotAtExit()
{
    // The checksum reads the same frame, through the same code.
    snapshotWanted = snapshotFile.length() > 0 || settings.checksum;
    snapshotArmed = snapshotFile.length() > 0;
}

void takeLastFrame()
{
    if (!snapshotWanted || !frameDrawn)
        return;
    // Read where the frame stays; elsewhere the copy kept as it was shown is the last frame.
    if (const unsigned buffer = frameLoop().keptBuffer(doubleBuffered()))
        readFrame(buffer, kept);
}

bool writeSnapshotFile()
{
    if (!snapshotArmed)
        return true;
    snapshotArmed = false;
    // Where no frame was drawn nothing is written: the old file stays.
    const std::string problem = !frameDrawn      ? "no frame was drawn"
                                : kept.rgb.empty() ? "no frame left to read"
                                                   : replaceFile(snapshotFile.data(),
                                                                 ppmFile(kept.width, kept.height, kept.rgb));
    if (problem.empty())
        return true;
    std::fprintf(stderr, "Can't write snapshot %s: %s\n", snapshotFile.data(), problem.c_str());
    std::fflush(stderr);
    return false;
}

std::string lastFrameChecksum()
{
    return !frameDrawn || kept.rgb.empty() ? "unknown" : ppmPixelChecksum(kept.width, kept.height, kept.rgb);
}

bool snapshotGoesToStandardOutput()
{
    return snapshotFile.length() > 0 && isStandardOutput(snapshotFile.data());
}

void keepFrameForSnapshot()
{
    frameDrawn = true;
    if (!snapshotWanted)
        return;
    // After a swap the back buffer is undefined, and a window's front buffer
    // goes with the window when the window manager closes it: both keep a
    // copy, read from where the frame was drawn. An off-screen buffer stays.
    const unsigned buffer = frameLoop().keptBuffer(doubleBuffered());
    if (buffer != GL_BACK)
        readFrame(buffer ? buffer : GL_BACK, kept);
}
