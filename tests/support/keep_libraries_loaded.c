/* Preloaded into the program under test in sanitized runs only. The GL
 * driver is loaded with dlopen and unloaded again while the process exits,
 * before LeakSanitizer reports; its allocations would then show as an
 * unknown module that no suppression can name. Every library that is closed
 * here is first marked never to be unloaded, so the report can name it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <link.h>
#include <stddef.h>

typedef int (*CloseFunction)(void*);

int dlclose(void* handle)
{
    static CloseFunction realClose;
    if (!realClose)
        realClose = (CloseFunction)dlsym(RTLD_NEXT, "dlclose");

    struct link_map* map = NULL;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && map->l_name[0]) {
        /* The extra reference taken here is dropped at once; the mark stays. */
        void* pinned = dlopen(map->l_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        if (pinned)
            realClose(pinned);
    }
    return realClose(handle);
}
