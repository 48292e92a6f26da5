#include "platform/display_loss.h"

void watchDisplayLoss() {}

bool displayLost()
{
    return false;
}
