// Fuzz target: the frame-time histogram. The input is a run's frame durations,
// four bytes each (a float's bits, so that odd values come too); whatever they
// are, the percentiles are ordered and lie between the exact minimum and
// maximum, and the slowest 1 % is never faster than the run's mean rate.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_input.h"
#include "render/frame_times.h"

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    FrameTimes times;
    while (!in.empty()) {
        const std::int32_t bits = in.int32();
        float duration = 0.0f;
        std::memcpy(&duration, &bits, sizeof duration);
        // A clock gives finite, non-negative differences; any of those may come.
        if (std::isfinite(duration))
            times.add(std::fabs(static_cast<double>(duration)));
    }
    if (times.count() == 0)
        return 0;
    const double fps = times.total() > 0.0 ? static_cast<double>(times.count()) / times.total() : 0.0;
    const FrameTimeFigures figures = frameTimeFigures(times);
    const double minMs = times.minimum() * 1000.0;
    require(minMs <= figures.p50Ms && figures.p50Ms <= figures.p99Ms && figures.p99Ms <= figures.maxMs);
    require(figures.maxMs == times.maximum() * 1000.0);
    require(fps == 0.0 || figures.fps1PercentLow <= fps);
    return 0;
}
