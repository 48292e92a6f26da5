#include "platform/quit.h"

#include <cstdio>
#include <cstdlib>

void quit()
{
    std::exit(0);
}

void refuse(const char* line)
{
    std::fputs(line, stderr);
    std::fputc('\n', stderr);
    std::exit(2);
}
