// The module's file from its handle: the DLL that holds the given address,
// or the program itself.
#include "platform/Module.h"

#include "platform/win32/Win32Text.h"
#include "platform/ModuleState.h"

#include <windows.h>

namespace platform {
namespace {

// Longest path GetModuleFileNameW can give (the extended-length limit).
constexpr DWORD kMaxModulePath = 32768;

bool fileOfModule(HMODULE module, std::string& path)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return false;
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        if (buffer.size() >= kMaxModulePath)
            return false;
        buffer.resize(buffer.size() * 2);
    }
    path = win32::toProgramPath(buffer);
    return !path.empty();
}

} // namespace

bool getExecutablePath(std::string& path)
{
    path.clear();
    return fileOfModule(nullptr, path);
}

bool getModulePath(std::string& path)
{
    path.clear();
    const void* address = nullptr;
    if (detail::moduleOverride(path, address))
        return !path.empty();
    if (address == nullptr)
        address = reinterpret_cast<const void*>(&getModulePath);
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return false;
    return fileOfModule(module, path);
}

} // namespace platform
