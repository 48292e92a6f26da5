#pragma once

#include <cstdio>

inline void lockStream(std::FILE* stream)
{
    flockfile(stream);
}

inline void unlockStream(std::FILE* stream)
{
    funlockfile(stream);
}

// EOF at the end of the input and on a read error alike.
inline int readCharLocked(std::FILE* stream)
{
    return getc_unlocked(stream);
}
