#include "app/toolkit_display.h"

#include <cstring>

std::string toolkitDisplay(int count, char* const* argv)
{
    std::string display;
    for (int i = 1; i + 1 < count; ++i) {
        if (std::strcmp(argv[i], "-display") == 0)
            display = argv[++i];
        else if (std::strcmp(argv[i], "-geometry") == 0)
            ++i;
    }
    return display;
}
