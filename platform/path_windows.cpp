#include "platform/path.h"

const char directorySeparator = '\\';
