// Fuzz target: the frame-time histogram. The input is a run's frame durations,
// four bytes each (a float's bits, so that odd values come too). The figures
// are compared with the truth computed from the sorted durations: the
// nearest-rank p50 and p99 within a bucket's width, the maximum exactly, and
// the 1 % low as 1 / the mean of the ceil(n / 100) longest, within a bucket.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "fuzz_input.h"
#include "render/frame_times.h"

namespace {

// The buckets start at 0.1 microsecond and are under 2 % wide; below the
// first, a duration only lies within that first bucket.
constexpr double shortest = 1e-7;
constexpr double width = 1.02;
// Past about two weeks a frame the last bucket only bounds a duration.
constexpr double longest = 1e6;

void require(bool holds)
{
    if (!holds)
        std::abort();
}

bool withinBucket(double figure, double truth)
{
    return std::fabs(figure - truth) <= (width - 1.0) * truth + width * shortest;
}

// The duration of rank ceil(percent / 100 x n) in ascending order.
double nearestRank(const std::vector<double>& sorted, int percent)
{
    const std::size_t n = sorted.size();
    const std::size_t rank = std::max<std::size_t>(1, (percent * n + 99) / 100);
    return sorted[rank - 1];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    FrameTimes times;
    std::vector<double> durations;
    while (!in.empty()) {
        const std::int32_t bits = in.int32();
        float duration = 0.0f;
        std::memcpy(&duration, &bits, sizeof duration);
        // A clock gives finite, non-negative differences; any of those may come.
        if (!std::isfinite(duration))
            continue;
        const double seconds = std::fmod(std::fabs(static_cast<double>(duration)), longest);
        times.add(seconds);
        durations.push_back(seconds);
    }
    if (durations.empty())
        return 0;
    std::sort(durations.begin(), durations.end());
    const FrameTimeFigures figures = frameTimeFigures(times);
    require(withinBucket(figures.p50Ms / 1000.0, nearestRank(durations, 50)));
    require(withinBucket(figures.p99Ms / 1000.0, nearestRank(durations, 99)));
    require(figures.maxMs == durations.back() * 1000.0);

    const std::size_t slowest = (durations.size() + 99) / 100;
    const double slowestMean =
        std::accumulate(durations.end() - static_cast<long>(slowest), durations.end(), 0.0) /
        static_cast<double>(slowest);
    const double figureMean = figures.fps1PercentLow > 0.0 ? 1.0 / figures.fps1PercentLow : 0.0;
    require(withinBucket(figureMean, slowestMean));
    return 0;
}
