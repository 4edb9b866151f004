// The trace on Windows: every piece goes to the debugger's output
// (OutputDebugStringW), and, as on Linux, to the destination KESTANK4_TRACE
// names ("stderr", "stdout" or a file the text is appended to). The
// standard-output channel goes to that destination only.
#include "platform/TraceDestination.h"

#include "platform/Trace.h"
#include "platform/win32/Win32Text.h"

#include <cstdlib>
#include <cstring>
#include <windows.h>

namespace platform {
namespace {

struct Destination {
    bool resolved = false;
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool ownsHandle = false;
};

Destination& destination()
{
    static Destination d;
    return d;
}

HANDLE destinationHandle()
{
    Destination& d = destination();
    if (d.resolved)
        return d.handle;
    d.resolved = true;
    const char* name = std::getenv(kTraceVariable);
    if (name == nullptr || name[0] == 0)
        return d.handle;
    if (std::strcmp(name, "stderr") == 0) {
        d.handle = ::GetStdHandle(STD_ERROR_HANDLE);
    } else if (std::strcmp(name, "stdout") == 0) {
        d.handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    } else {
        HANDLE file = ::CreateFileW(win32::toWide(name).c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            d.handle = file;
            d.ownsHandle = true;
        }
    }
    if (d.handle == nullptr)
        d.handle = INVALID_HANDLE_VALUE;
    return d.handle;
}

void writeAll(HANDLE handle, const char* text)
{
    size_t left = std::strlen(text);
    while (left > 0) {
        DWORD put = 0;
        if (!::WriteFile(handle, text, static_cast<DWORD>(left), &put, nullptr) || put == 0)
            return;
        text += put;
        left -= put;
    }
}

} // namespace

void writeTraceDestination(const char* text, bool debugChannel)
{
    if (debugChannel)
        ::OutputDebugStringW(win32::toWide(text).c_str());
    const HANDLE handle = destinationHandle();
    if (handle != INVALID_HANDLE_VALUE)
        writeAll(handle, text);
}

void prepareTraceDestination()
{
    destination();
}

void closeTraceDestination()
{
    Destination& d = destination();
    if (d.ownsHandle)
        ::CloseHandle(d.handle);
    d = Destination{};
}

} // namespace platform
