// The current user's name on Windows: the display name of the account when
// the system knows one, else the login name.

#include "platform/UserName.h"

#include "platform/win32/Win32Text.h"

#define SECURITY_WIN32
#include <windows.h>
#include <secext.h>

namespace platform {
namespace {

constexpr unsigned long kNameUnits = 512;

} // namespace

std::string currentUserName()
{
    wchar_t name[kNameUnits] = {};
    unsigned long length = kNameUnits;
    if (::GetUserNameExW(NameDisplay, name, &length) && length > 0) {
        const std::string display = personName(win32::toUtf8(name, length).c_str(), nullptr);
        if (!display.empty())
            return display;
    }
    length = kNameUnits;
    if (::GetUserNameW(name, &length) && length > 1)
        return win32::toUtf8(name, length - 1);
    return {};
}

} // namespace platform
