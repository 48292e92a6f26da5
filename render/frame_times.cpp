#include "render/frame_times.h"

#include <algorithm>
#include <cmath>

namespace {

// Bucket i holds [smallest * ratio^i, smallest * ratio^(i+1)); its geometric
// middle is within sqrt(ratio) - 1 (under 1 %) of anything in it.
const double ratio = 1.0198;
const double logRatio = std::log(ratio);

} // namespace

int FrameTimes::bucketOf(double seconds)
{
    if (!(seconds > smallest))
        return 0;
    const double index = std::floor(std::log(seconds / smallest) / logRatio);
    return static_cast<int>(std::min(index, static_cast<double>(bucketCount - 1)));
}

double FrameTimes::representative(int bucket)
{
    return smallest * std::exp((bucket + 0.5) * logRatio);
}

double FrameTimes::readBack(double seconds)
{
    return representative(bucketOf(seconds));
}

double FrameTimes::clamped(double seconds) const
{
    return std::clamp(seconds, minimum_, maximum_);
}

void FrameTimes::add(double seconds)
{
    seconds = std::max(seconds, 0.0);
    if (count_ == 0 || seconds < minimum_)
        minimum_ = seconds;
    if (count_ == 0 || seconds > maximum_)
        maximum_ = seconds;
    ++count_;
    total_ += seconds;
    ++buckets_[static_cast<std::size_t>(bucketOf(seconds))];
}

double FrameTimes::percentile(int percent) const
{
    if (count_ == 0)
        return 0.0;
    // In integers: 0.99 x 100 is not 99 in floating point.
    const long long rank = std::max(1LL, (percent * count_ + 99) / 100);
    if (rank >= count_)
        return maximum_;
    long long seen = 0;
    for (int i = 0; i < bucketCount; ++i) {
        seen += static_cast<long long>(buckets_[static_cast<std::size_t>(i)]);
        if (seen >= rank)
            return clamped(representative(i));
    }
    return maximum_;
}

double FrameTimes::slowestPercentMean() const
{
    if (count_ == 0)
        return 0.0;
    const long long wanted = (count_ + 99) / 100;
    // The longest is known exactly; the others come from the buckets, downwards.
    double sum = maximum_;
    long long taken = 1;
    bool maximumSkipped = false;
    for (int i = bucketCount - 1; i >= 0 && taken < wanted; --i) {
        auto inBucket = static_cast<long long>(buckets_[static_cast<std::size_t>(i)]);
        if (!maximumSkipped && inBucket > 0) {
            --inBucket;
            maximumSkipped = true;
        }
        const long long use = std::min(inBucket, wanted - taken);
        sum += static_cast<double>(use) * clamped(representative(i));
        taken += use;
    }
    return sum / static_cast<double>(taken);
}

FrameTimeFigures frameTimeFigures(const FrameTimes& times)
{
    FrameTimeFigures figures;
    if (times.count() == 0)
        return figures;
    figures.p50Ms = times.percentile(50) * 1000.0;
    figures.p99Ms = times.percentile(99) * 1000.0;
    figures.maxMs = times.maximum() * 1000.0;
    // The slowest frames are never faster than the mean frame; buckets must not
    // say otherwise. Not fps: that counts time the window was hidden, which no
    // frame's duration holds when the run ends hidden.
    const double mean = std::min(times.total() / static_cast<double>(times.count()), times.maximum());
    const double slowest = std::max(times.slowestPercentMean(), mean);
    figures.fps1PercentLow = slowest > 0.0 ? 1.0 / slowest : 0.0;
    return figures;
}
