#pragma once
// The file of the module (the plug-in's shared library) that holds the
// program, as the data folder search needs it.
//
// The plug-in's load-time entry calls setModuleAddress with any address
// inside the library; without it the layer uses the module that contains the
// platform library itself. Tests point the path anywhere with
// overrideModulePath. Any thread (the state is guarded), not a real-time one.

#include <string>

namespace platform {

// Remembers an address inside the module; its file is found from it.
void setModuleAddress(const void* anyAddressInModule);
// Replaces the module path with utf8Path (an absolute file path) until it is
// called again with null.
void overrideModulePath(const char* utf8PathOrNull);
// The absolute path of the module file; false (path emptied) when it cannot
// be found.
bool getModulePath(std::string& path);
// The absolute path of the running program's own file; false (path emptied)
// when it cannot be found.
bool getExecutablePath(std::string& path);

} // namespace platform
