#pragma once
// Xlib ends the process through exit when the connection to the display
// breaks (or a request fails that nobody expected to), and the toolkit then
// closes its windows from its own exit handler. From that moment no X or GL
// call may be made: each would end the process again, inside exit. Where
// there is no X, the display is never lost.

// From now on such an end is noted before Xlib's own handler runs.
void watchDisplayLoss();

// True once the connection has broken.
bool displayLost();
