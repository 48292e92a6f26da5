#pragma once
// Waiting for what a test expects the program to do: the condition is polled
// up to a generous deadline, never decided by a fixed pause, so that a busy
// machine makes a test slower but not wrong.

#include <functional>
#include <string>

#include <gtest/gtest.h>

// How long any end-to-end wait may take before it counts as a failure.
constexpr int patienceMs = 30000;

// Polls until the condition holds or timeoutMs has passed; whether it held.
bool pollUntil(const std::function<bool()>& holds, int timeoutMs = patienceMs);

// The same for an assertion: the failure names what was waited for.
::testing::AssertionResult eventually(const std::string& what, const std::function<bool()>& holds,
                                      int timeoutMs = patienceMs);
