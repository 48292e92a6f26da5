#pragma once
// A run that ends by itself: its limits, and the record of its frames kept to
// tell when a limit is reached and to give the figures of the result line.
// Plain arithmetic on clock readings, so any frame loop can keep one.

#include <optional>

#include "render/frame_times.h"

struct RunLimit {
    int frames = 0;        // frames after the first; below 1: no limit
    double seconds = 0.0;  // from the end of the first frame; not above 0, or infinite: no limit
};

bool hasFrameLimit(const RunLimit& limit);
bool hasSecondsLimit(const RunLimit& limit);
bool isLimited(const RunLimit& limit);

// A counted frame: its number from 1, its end from the end of the first
// frame, and its duration from the end of the frame before, all in seconds.
struct FrameDuration {
    long long index = 0;
    double end = 0.0;
    double duration = 0.0;
};

// Times are the ends of the frames' buffer swaps, in seconds of one clock.
struct RunRecord {
    double opened = 0.0;   // the surface was made: the start until a frame ends
    bool started = false;  // the first frame has ended
    double firstFrameEnd = 0.0;
    double lastFrameEnd = 0.0;
    long long frames = 0;  // frames ended after the first
    double triangles = 0.0;  // drawn by those frames, summed
    int width = 0;  // the size the first frame was drawn at
    int height = 0;
    bool resized = false;  // a later frame was drawn at another size
    bool hidden = false;   // the window cannot draw now
    double hiddenSince = 0.0;
    double hiddenSeconds = 0.0;  // closed hidden stretches since the start
    FrameTimes times;            // the durations of the frames settled so far
    // The last counted frame's duration waits, as it may still grow: the
    // run's end finishes the GL before it reads the clock for that frame.
    bool lastFramePending = false;
    double pendingStart = 0.0;  // the end of the frame before it
};

// The record of a surface made at now, with no frame yet.
RunRecord openRecord(double now);

// The first frame holds the driver's compilation work: it only starts the
// record. Later ones count with the triangles they drew and their size.
// Returns the frame whose duration this settles, the one before this.
std::optional<FrameDuration> recordFrameEnd(RunRecord& record, double now, double triangles, int width,
                                            int height);

// The last frame ends later than its swap: when the GL has finished it.
void recordLastFrameFinished(RunRecord& record, double now);

// At the end of the run: settles the last frame's duration and returns it;
// nothing when it was settled already or no frame was counted.
std::optional<FrameDuration> settleLastFrame(RunRecord& record);

// The window stopped (hidden) or started again being able to draw.
void recordHidden(RunRecord& record, bool hidden, double now);

// Where the figures count from: the end of the first frame, or the surface's
// making while no frame has ended.
double recordStart(const RunRecord& record);

// The end of a run ended at now: the end of its last frame, or now while the
// window cannot draw or before any frame has ended.
double recordEnd(const RunRecord& record, double now);

// From the start to the end of a run ended at now.
double recordedSeconds(const RunRecord& record, double now);

// The time within recordedSeconds during which the window could not draw.
double hiddenSeconds(const RunRecord& record, double now);

// The mean triangles of the counted frames; fallback when none was counted.
double meanTrianglesPerFrame(const RunRecord& record, double fallback);

// Checked at each frame's end and from a timer: at now, has the run reached a limit?
bool limitReached(const RunRecord& record, const RunLimit& limit, double now);
