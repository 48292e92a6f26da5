#pragma once
// -listdevices: what -device can choose, without opening a window or
// reading an image.

// Prints one line per EGL device, in EGL's order: its number, its node
// (else "software", else "-") and its renderer, or "(no context: " and the
// reason, then ends with status 0. With no device at all one line on
// standard error says so, status 1; on a platform without EGL the command
// line is refused, status 2.
[[noreturn]] void listDevices();
