#include "platform/standard_streams.h"

// The C runtime keeps descriptors 0 to 2 reserved even when the program was
// started without standard handles, and libraries open Windows handles, not
// descriptors: nothing can land on standard error by accident.
void openStandardStreams()
{
}

// Windows has no such signal: the write fails.
void ignoreBrokenPipes()
{
}
