#include "platform/message_box.h"

#include <SDL.h>
#include <dlfcn.h>

#include "platform/notice_window.h"

namespace {

// SDL is loaded only when a box must be shown: start-up never pays for it,
// and a machine without it still gets the program's own notice. Its header
// gives the function's type and constants; nothing of it is linked.
bool showSdlBox(const char* caption, const char* text)
{
    void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!sdl)
        return false;
    using ShowBox = decltype(&SDL_ShowSimpleMessageBox);
    const auto show = reinterpret_cast<ShowBox>(dlsym(sdl, "SDL_ShowSimpleMessageBox"));
    // SDL's X11 box fails without a core font on the X server, and with too
    // few descriptors; without a display it fails at once.
    return show && show(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0;
}

} // namespace

void showMessageBox(const char* caption, const char* text)
{
    if (!showSdlBox(caption, text))
        showNoticeWindow(caption, text);
}
