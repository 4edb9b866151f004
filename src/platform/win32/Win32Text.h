#pragma once
// Text and errors of the Win32 half: the program's UTF-8 paths as the UTF-16
// strings the wide-character calls take, and back; the error of the failed
// call as the program reports it.

#include "platform/FileErrors.h"

#include <string>

namespace platform::win32 {

// UTF-8 to UTF-16 (bytes that are no UTF-8 keep their own units, see
// TextConversion.h, so every path comes back unchanged). Null gives "".
std::wstring toWide(const char* utf8);
inline std::wstring toWide(const std::string& utf8) { return toWide(utf8.c_str()); }
// UTF-16 to UTF-8, lone surrogates included.
std::string toUtf8(const wchar_t* wide, size_t length);
std::string toUtf8(const std::wstring& wide);
// A path Windows gave, in the program's form: every '\' becomes '/'.
std::string toProgramPath(const std::wstring& wide);

// The calling thread's last Windows error; 31 (a general failure) when the
// failed call left none.
FileError lastError();

} // namespace platform::win32
