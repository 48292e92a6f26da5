#pragma once
// The distribution of a run's frame durations in fixed memory: logarithmic
// buckets a little under 2 % wide, so a duration read back from its bucket
// is within 1 % of the truth, plus the exact count, sum, minimum and maximum.
// Nothing is allocated while frames are recorded.

#include <array>
#include <cstdint>

class FrameTimes {
public:
    // Durations in seconds; those beyond the buckets' range fall in the end ones.
    void add(double seconds);

    long long count() const { return count_; }
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }
    double total() const { return total_; }

    // The nearest-rank percentile (0 < percent <= 100): the duration of rank
    // ceil(percent / 100 x count) in ascending order, read from its bucket and
    // clamped to the exact minimum and maximum; 0 with no duration.
    double percentile(int percent) const;

    // The mean duration of the ceil(count / 100) longest frames, the longest
    // of them exact; 0 with no duration.
    double slowestPercentMean() const;

    // The bucket's representative for a duration, for the error bound's test.
    static double readBack(double seconds);

private:
    static int bucketOf(double seconds);
    static double representative(int bucket);
    double clamped(double seconds) const;

    static constexpr double smallest = 1e-7;  // 0.1 microsecond
    static constexpr int bucketCount = 1536;  // up to about two weeks a frame
    std::array<std::uint64_t, bucketCount> buckets_{};
    long long count_ = 0;
    double total_ = 0.0;
    double minimum_ = 0.0;
    double maximum_ = 0.0;
};

// The result line's frame-time figures, in milliseconds and frames per second.
struct FrameTimeFigures {
    double p50Ms = 0.0;
    double p99Ms = 0.0;
    double maxMs = 0.0;
    double fps1PercentLow = 0.0;  // never above the rate of the mean frame
};

FrameTimeFigures frameTimeFigures(const FrameTimes& times);
