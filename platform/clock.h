#pragma once

// Milliseconds of a monotonic clock, counted from the start of the process, so
// that the rate meter's first sample (which measures from 0) covers the run so
// far rather than the machine's uptime. Only differences between readings and
// their signed comparison mean anything; the value wraps like a 32-bit counter.
int millisecondClock();

// Seconds of a monotonic clock with the finest resolution the platform has,
// from an arbitrary origin; only differences mean anything. The timing of a
// limited run uses it: a millisecond is too coarse for a short run.
double monotonicSeconds();
