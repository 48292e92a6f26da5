#include "platform/extension_list.h"

#include <cstring>

bool namesExtension(const char* list, const char* name)
{
    // A name holding a blank is no single word of the list, though its
    // pieces may stand there side by side.
    const std::size_t length = std::strlen(name);
    if (!list || length == 0 || std::strchr(name, ' '))
        return false;
    for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == list || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0'))
            return true;
    }
    return false;
}
