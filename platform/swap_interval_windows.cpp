#include "platform/swap_interval.h"

#include <windows.h>

#include "platform/extension_list.h"

namespace {

using ExtensionsArb = const char*(WINAPI*)(HDC);
using ExtensionsExt = const char*(WINAPI*)();
using SwapInterval = BOOL(WINAPI*)(int);
using GetSwapInterval = int(WINAPI*)();

template <typename Function>
Function procedure(const char* name)
{
    // Through the one function type that converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

// The WGL extension list of the current context: the ARB query where there is
// one, else the older EXT one.
const char* wglExtensions()
{
    if (const auto arb = procedure<ExtensionsArb>("wglGetExtensionsStringARB"))
        return arb(wglGetCurrentDC());
    if (const auto ext = procedure<ExtensionsExt>("wglGetExtensionsStringEXT"))
        return ext();
    return nullptr;
}

bool listed(const char* name)
{
    return namesExtension(wglExtensions(), name);
}

} // namespace

bool adaptiveSwapOffered()
{
    return listed("WGL_EXT_swap_control") && listed("WGL_EXT_swap_control_tear");
}

std::optional<int> setSwapInterval(int interval)
{
    if (!listed("WGL_EXT_swap_control"))
        return std::nullopt;
    const auto swapInterval = procedure<SwapInterval>("wglSwapIntervalEXT");
    const auto getSwapInterval = procedure<GetSwapInterval>("wglGetSwapIntervalEXT");
    if (!swapInterval || !getSwapInterval)
        return std::nullopt;
    swapInterval(interval);
    return getSwapInterval();
}

std::optional<int> swapIntervalInForce()
{
    if (!listed("WGL_EXT_swap_control"))
        return std::nullopt;
    if (const auto getSwapInterval = procedure<GetSwapInterval>("wglGetSwapIntervalEXT"))
        return getSwapInterval();
    return std::nullopt;
}
