#pragma once

// Hands the toolkit the display mode for the window, before it is created.
// Where the window system offers no configuration with every buffer the mode
// names, the accumulation buffer, which nothing draws into, is left out
// rather than have the toolkit end the process.
void requestDisplayMode(unsigned mode);
