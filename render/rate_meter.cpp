#include "render/rate_meter.h"

#include <GL/glut.h>

// Placeholder until the frame loop lands: keeps the one-second chain alive.
void rateTimer(int value)
{
    if (value == 0)
        glutTimerFunc(1000, rateTimer, 0);
}
