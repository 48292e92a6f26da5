#pragma once

// Timer callback of the rate meter: 0 periodic, 1 restart, 2 second restart sample.
void rateTimer(int value);
