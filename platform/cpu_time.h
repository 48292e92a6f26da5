#pragma once

// The user and system processor time the process has used so far, every
// thread counted (the GL driver's own included), in seconds.
double processCpuSeconds();
