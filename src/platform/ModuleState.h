#pragma once
// What Module.h's callers set (the module's address, the tests' override),
// kept for the platform files that find the module's path
// (Module.cpp, win32/Win32Module.cpp).

#include <string>

namespace platform::detail {

// True with path set to the override when one is in force; otherwise false
// with address set to the remembered address inside the module (null when
// none was given).
bool moduleOverride(std::string& path, const void*& address);

} // namespace platform::detail
