#pragma once
// The swap interval of the current window, set through the window system's
// extension when its extension list names one. The window's GL context must
// be current.

#include <optional>

// Whether negative intervals (late swaps tear: adaptive sync) are offered.
bool adaptiveSwapOffered();

// Asks for interval and reads back the one in force: nothing when no
// extension for it is offered or the value cannot be read back.
std::optional<int> setSwapInterval(int interval);

// The interval in force, where the window system offers a read-back; nothing
// elsewhere. Nothing is set.
std::optional<int> swapIntervalInForce();
