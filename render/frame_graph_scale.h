#pragma once
// The arithmetic of the frame-time graph, apart from GL: the ring of recent
// frame durations, the band it is drawn in, its vertical scale and which
// frames stand out.

#include <array>
#include <cstddef>
#include <vector>

// Most columns the graph draws, one frame each, whatever the window's width.
constexpr int maxGraphColumns = 300;

// The durations of the latest frames in milliseconds, oldest first, at most
// maxGraphColumns of them: a push past that drops the oldest.
class FrameRing {
public:
    void push(double ms);
    std::size_t size() const { return count_; }
    // The last `count` durations (all when fewer), oldest first.
    std::vector<double> latest(std::size_t count) const;

private:
    std::array<double, maxGraphColumns> values_{};
    std::size_t next_ = 0;
    std::size_t count_ = 0;
};

// Where the graph goes in a window: `columns` pixel columns at the right edge
// of the bottom `height` rows. Both 0 when the window has no area.
struct GraphBand {
    int columns = 0;
    int height = 0;
};

GraphBand graphBand(int windowWidth, int windowHeight);

// The smallest of 1, 2 and 5 times a power of ten at or above ms, and not
// below 0.1 ms; 0.1 for anything not above it (0, negative, NaN).
double readableStep(double ms);

// The vertical scale: its top grows at once to fit the slowest frame shown and
// comes down one readable step after each second during which a lower top
// would have done.
struct GraphScale {
    double topMs = 0.0;
    double lowerForMs = 0.0;  // frame time spent since a lower top would do
};

constexpr double scaleShrinkAfterMs = 1000.0;

// After a frame of frameMs, with slowestMs the slowest frame shown.
void updateScale(GraphScale& scale, double slowestMs, double frameMs);

// Nearest-rank percentile (0 < p <= 100) of the durations; 0 when empty.
double percentile(std::vector<double> durations, double p);

// Per duration, whether it is slower than twice their median.
std::vector<bool> standsOut(const std::vector<double>& durations);

// Height in rows (0 to bandHeight) of a duration on a scale topping at topMs.
int columnHeight(double ms, double topMs, int bandHeight);
