#pragma once

// Ends the process with status 0 through the normal exit path.
[[noreturn]] void quit();
