#pragma once

// Separator between a directory and a file name on this platform.
extern const char directorySeparator;
