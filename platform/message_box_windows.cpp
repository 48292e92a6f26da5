#include "platform/message_box.h"

#include <windows.h>

#include <string>

namespace {

// The box text arrives as UTF-8; MessageBoxA reads the ANSI code page, which
// is UTF-8 too where the program's manifest is honoured (utf8_windows.rc).
// Elsewhere characters that page lacks show as its default character.
std::string ansiText(const char* utf8)
{
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (wideLength <= 0)
        return utf8;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), wideLength);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return utf8;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), length, nullptr, nullptr);
    ansi.pop_back();  // the terminating null, counted above
    return ansi;
}

} // namespace

void showMessageBox(const std::string&, const char* caption, const char* text)
{
    MessageBoxA(nullptr, ansiText(text).c_str(), ansiText(caption).c_str(), MB_OK | MB_ICONERROR);
}
