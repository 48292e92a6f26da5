#pragma once
// The one line a limited run writes on standard output when it ends:
// "qlxtest-result:" and key=value fields, numbers in the C locale whatever
// the program's locale, values with blanks in double quotes.

#include <string>

struct RunFigures {
    long long frames = 0;  // frames after the first
    double seconds = 0.0;  // from the end of the first frame's swap to the end of the run
    double trianglesPerFrame = 0.0;  // the mean of the counted frames
    int width = 0;
    int height = 0;
    bool resized = false;  // frames were drawn at more than one size
    std::string swapInterval;  // the number read back, "unknown", or "none" without a window
    std::string renderer;
    std::string glVersion;
    double frameMsP50 = 0.0;  // of the counted frames' durations
    double frameMsP99 = 0.0;
    double frameMsMax = 0.0;
    double fps1PercentLow = 0.0;  // over the slowest 1 % of the counted frames
    double cpuSeconds = 0.0;      // the process's, over the span of seconds
    double hiddenSeconds = 0.0;  // within seconds, while the window could not draw
    std::string ended;           // limit, escape, close, signal or error
    std::string checksum;        // of the last frame; empty: no field
};

// frames / seconds; 0 for a run with no time.
double framesPerSecond(const RunFigures& figures);

// A field's value as written: in double quotes, with \" and \\ inside, when it
// is empty or holds a blank, a quote or a backslash; control characters become blanks.
std::string resultValue(const std::string& text);

// The line, ending in a line end.
std::string resultLine(const RunFigures& figures);
