#pragma once
// The end of the process, whichever way it comes: the limit, Escape, the
// window closed, a signal, a fatal report, a refusal, or exit called by the
// toolkit or Xlib. Every one of them calls exit; the one handler registered
// here does the rest, in the order written at the top of ending.cpp.

// Registers that handler. Call first in main, before anything can end the process.
void arrangeEnding();
