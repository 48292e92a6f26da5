#include "platform/frame_loop.h"

namespace {

FrameLoop* current = nullptr;

} // namespace

FrameLoop& frameLoop()
{
    return current ? *current : glutFrameLoop();
}

void useFrameLoop(FrameLoop& loop)
{
    current = &loop;
}
