#include "platform/DynamicLibrary.h"

#include "platform/win32/Win32Text.h"

#include <windows.h>

namespace platform {

DynamicLibrary::~DynamicLibrary()
{
    close();
}

bool DynamicLibrary::open(const std::string& utf8Path, std::string& error)
{
    close();
    // The library's own folder is searched for the DLLs it needs.
    handle_ = ::LoadLibraryExW(win32::toWide(utf8Path).c_str(), nullptr,
                               LOAD_WITH_ALTERED_SEARCH_PATH);
    if (handle_ == nullptr) {
        const DWORD code = ::GetLastError();
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string reason = length > 0 ? win32::toUtf8(text, length) : std::string();
        if (text != nullptr)
            ::LocalFree(text);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
            reason.pop_back();
        error = "cannot load " + utf8Path + " (error " + std::to_string(code) + ")" +
                (reason.empty() ? "" : ": " + reason);
        return false;
    }
    return true;
}

void* DynamicLibrary::symbol(const char* name) const
{
    if (handle_ == nullptr || name == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynamicLibrary::close()
{
    if (handle_ != nullptr)
        ::FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

} // namespace platform
