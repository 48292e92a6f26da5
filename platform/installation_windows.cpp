#include "platform/installation.h"

// The Windows program is unpacked, not installed: its image lies beside it.
const char* installedDataDirectory()
{
    return nullptr;
}
