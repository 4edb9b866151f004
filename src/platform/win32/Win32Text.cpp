#include "platform/win32/Win32Text.h"

#include "platform/Paths.h"
#include "platform/TextConversion.h"

#include <cstring>
#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

namespace platform::win32 {

std::wstring toWide(const char* utf8)
{
    if (utf8 == nullptr)
        return {};
    const size_t length = std::strlen(utf8);
    const size_t units = utf16LengthOfUtf8(utf8, length);
    std::wstring wide(units, L'\0');
    utf8ToUtf16(reinterpret_cast<char16_t*>(wide.data()), units + 1, utf8, length);
    return wide;
}

std::string toUtf8(const wchar_t* wide, size_t length)
{
    if (wide == nullptr || length == 0)
        return {};
    const auto* units = reinterpret_cast<const char16_t*>(wide);
    const size_t bytes = utf8LengthOfUtf16(units, length);
    std::string text(bytes, '\0');
    utf16ToUtf8(text.data(), bytes + 1, units, length);
    return text;
}

std::string toUtf8(const std::wstring& wide)
{
    return toUtf8(wide.c_str(), wide.size());
}

std::string toProgramPath(const std::wstring& wide)
{
    std::string path = toUtf8(wide);
    for (char& c : path)
        if (c == '\\')
            c = kPathSeparator;
    return path;
}

FileError lastError()
{
    const DWORD error = ::GetLastError();
    return error != 0 ? static_cast<FileError>(error) : fileerror::kGeneralFailure;
}

} // namespace platform::win32
