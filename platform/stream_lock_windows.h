#pragma once

#include <cstdio>

inline void lockStream(std::FILE* stream)
{
    _lock_file(stream);
}

inline void unlockStream(std::FILE* stream)
{
    _unlock_file(stream);
}

// EOF at the end of the input and on a read error alike.
inline int readCharLocked(std::FILE* stream)
{
    return _getc_nolock(stream);
}
