#include "platform/standard_streams.h"

#include <windows.h>

#include <cstdio>

namespace {

bool validHandle(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    SetLastError(NO_ERROR);
    return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

} // namespace

// The C runtime keeps descriptors 0 to 2 reserved even when the program was
// started without standard handles, and libraries open Windows handles, not
// descriptors: nothing can land on standard error by accident.
//
// A GUI program gets standard handles only where its starter passes them: a
// redirect to a file or a pipe, which must work unchanged. Started from a
// console without one, it has none; then the parent's console takes the
// streams that have no handle, so the result line and the error lines show
// there. A program started from a desktop has no console to attach to.
void openStandardStreams()
{
    const bool output = validHandle(STD_OUTPUT_HANDLE);
    const bool error = validHandle(STD_ERROR_HANDLE);
    if ((output && error) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!output && !std::freopen("CONOUT$", "w", stdout))
        return;
    if (!error)
        std::freopen("CONOUT$", "w", stderr);
}
