#include "platform/message_box.h"

#include <SDL.h>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <optional>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include "platform/notice_window_linux.h"

namespace {

pid_t boxParent = 0;

// SDL draws its box in a child process that keeps the program's X connection
// open, and with it the program's windows. Whatever is forked from here on
// dies with the program.
void dieWithParent()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have died before the line above.
    if (getppid() != boxParent)
        _exit(1);
}

// SDL's X11 box opens the display $DISPLAY names; for the time of the box it
// names the program's.
class DisplayVariable {
public:
    explicit DisplayVariable(const std::string& display)
    {
        if (display.empty())
            return;
        if (const char* value = std::getenv("DISPLAY"))
            saved_ = value;
        changed_ = setenv("DISPLAY", display.c_str(), 1) == 0;
    }
    ~DisplayVariable()
    {
        if (!changed_)
            return;
        if (saved_)
            setenv("DISPLAY", saved_->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    DisplayVariable(const DisplayVariable&) = delete;
    DisplayVariable& operator=(const DisplayVariable&) = delete;

private:
    std::optional<std::string> saved_;
    bool changed_ = false;
};

// SDL is loaded only when a box must be shown: start-up never pays for it,
// and a machine without it still gets the program's own notice. Its header
// gives the function's type and constants; nothing of it is linked.
bool showSdlBox(const std::string& display, const char* caption, const char* text)
{
    void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!sdl)
        return false;
    using ShowBox = decltype(&SDL_ShowSimpleMessageBox);
    const auto show = reinterpret_cast<ShowBox>(dlsym(sdl, "SDL_ShowSimpleMessageBox"));
    if (!show)
        return false;
    boxParent = getpid();
    static bool forksGuarded = false;
    if (!forksGuarded)
        forksGuarded = pthread_atfork(nullptr, nullptr, dieWithParent) == 0;
    const DisplayVariable variable(display);
    // SDL's X11 box fails without a core font on the X server, and with too
    // few descriptors; without a display it fails at once.
    return show(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0;
}

} // namespace

void showMessageBox(const std::string& display, const char* caption, const char* text)
{
    if (!showSdlBox(display, caption, text))
        showNoticeWindow(display, caption, text);
}
