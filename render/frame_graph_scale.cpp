#include "render/frame_graph_scale.h"

#include <algorithm>
#include <cmath>

void FrameRing::push(double ms)
{
    values_[next_] = ms;
    next_ = (next_ + 1) % maxGraphColumns;
    count_ = std::min<std::size_t>(count_ + 1, maxGraphColumns);
}

std::vector<double> FrameRing::latest(std::size_t count) const
{
    count = std::min(count, count_);
    std::vector<double> out;
    out.reserve(count);
    // The oldest wanted lies `count` places behind the next free slot.
    std::size_t at = (next_ + maxGraphColumns - count) % maxGraphColumns;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(values_[at]);
        at = (at + 1) % maxGraphColumns;
    }
    return out;
}

GraphBand graphBand(int windowWidth, int windowHeight)
{
    if (windowWidth <= 0 || windowHeight <= 0)
        return {};
    // A quarter of the window, at least one row, at most enough for a label pair and a clear shape.
    return {std::min(windowWidth, maxGraphColumns), std::clamp(windowHeight / 4, 1, 120)};
}

double readableStep(double ms)
{
    constexpr double smallest = 0.1;
    if (!(ms > smallest))
        return smallest;
    if (!std::isfinite(ms))
        return ms;
    const double power = std::pow(10.0, std::floor(std::log10(ms)));
    for (const double mantissa : {1.0, 2.0, 5.0}) {
        // The tolerance keeps 0.3 from reading as 0.30000000000000004 > 0.3 * 1.
        if (mantissa * power >= ms * (1.0 - 1e-12))
            return mantissa * power;
    }
    return 10.0 * power;
}

namespace {

// The readable step just below a readable top: 10 -> 5, 5 -> 2, 2 -> 1.
double stepBelow(double top)
{
    return readableStep(top / 2.5);
}

} // namespace

void updateScale(GraphScale& scale, double slowestMs, double frameMs)
{
    const double wanted = readableStep(slowestMs);
    if (wanted >= scale.topMs) {
        scale.topMs = wanted;
        scale.lowerForMs = 0.0;
        return;
    }
    scale.lowerForMs += std::max(frameMs, 0.0);
    if (scale.lowerForMs < scaleShrinkAfterMs)
        return;
    scale.topMs = std::max(wanted, stepBelow(scale.topMs));
    scale.lowerForMs = 0.0;
}

double percentile(std::vector<double> durations, double p)
{
    if (durations.empty())
        return 0.0;
    const auto n = durations.size();
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(n)));
    const std::size_t index = std::clamp<std::size_t>(rank, 1, n) - 1;
    std::nth_element(durations.begin(), durations.begin() + static_cast<std::ptrdiff_t>(index), durations.end());
    return durations[index];
}

std::vector<bool> standsOut(const std::vector<double>& durations)
{
    const double median = percentile(durations, 50.0);
    std::vector<bool> out;
    out.reserve(durations.size());
    for (const double ms : durations)
        out.push_back(ms > 2.0 * median);
    return out;
}

int columnHeight(double ms, double topMs, int bandHeight)
{
    if (!(topMs > 0.0) || !(ms > 0.0))
        return 0;
    const double rows = std::round(std::min(ms / topMs, 1.0) * bandHeight);
    return static_cast<int>(rows);
}
