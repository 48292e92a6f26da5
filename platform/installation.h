#pragma once

// The directory the installed data went to, for the installed executable
// alone; null for any other, such as the program in the build tree.
const char* installedDataDirectory();
