#pragma once
// A run that ends by itself: its limits, and the record of its frames kept to
// tell when a limit is reached and to give the figures of the result line.
// Plain arithmetic on clock readings, so any frame loop can keep one.

struct RunLimit {
    int frames = 0;        // frames after the first; below 1: no limit
    double seconds = 0.0;  // from the end of the first frame; not above 0, or infinite: no limit
};

bool hasFrameLimit(const RunLimit& limit);
bool hasSecondsLimit(const RunLimit& limit);
bool isLimited(const RunLimit& limit);

// Times are the ends of the frames' buffer swaps, in seconds of one clock.
struct RunRecord {
    bool started = false;  // the first frame has ended
    double firstFrameEnd = 0.0;
    double lastFrameEnd = 0.0;
    long long frames = 0;  // frames ended after the first
};

// The first frame holds the driver's compilation work: it only starts the record.
void recordFrameEnd(RunRecord& record, double now);

// From the end of the first frame to the end of the last.
double recordedSeconds(const RunRecord& record);

bool limitReached(const RunRecord& record, const RunLimit& limit);
