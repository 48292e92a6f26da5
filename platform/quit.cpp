#include "platform/quit.h"

#include <cstdlib>

void quit()
{
    std::exit(0);
}
