#pragma once
// Which swap interval start-up asks for, and what it tells when it does not
// get it. The benchmark wants 0: at the usual interval of 1 every swap waits
// for the display's refresh, and the figures measure the display.

#include <optional>
#include <string>

// The -swapinterval value when given (a negative one only where adaptive sync
// is offered; elsewhere as if not given), else 0 in the benchmark, else
// nothing: no call, the driver's own setting stays. adaptiveOffered is asked
// only about a negative value.
std::optional<int> requestedSwapInterval(int option, int maxTriangles, bool (*adaptiveOffered)());

// The warning line, without its line end, when the interval in force is not
// the one asked for or is unknown; empty otherwise.
std::string swapIntervalWarning(int asked, std::optional<int> inForce);

// The result line's value: the number read back, or "unknown".
std::string swapIntervalValue(std::optional<int> inForce);
