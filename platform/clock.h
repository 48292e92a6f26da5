#pragma once

// Milliseconds of a monotonic clock. Only differences between two readings and
// their signed comparison mean anything; the value wraps like a 32-bit counter.
int millisecondClock();
