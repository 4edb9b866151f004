#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace platform {

DynamicLibrary::~DynamicLibrary()
{
    close();
}

bool DynamicLibrary::open(const std::string& utf8Path, std::string& error)
{
    close();
    handle_ = ::dlopen(utf8Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : "cannot load " + utf8Path;
        return false;
    }
    return true;
}

void* DynamicLibrary::symbol(const char* name) const
{
    if (handle_ == nullptr || name == nullptr)
        return nullptr;
    return ::dlsym(handle_, name);
}

void DynamicLibrary::close()
{
    if (handle_ != nullptr)
        ::dlclose(handle_);
    handle_ = nullptr;
}

} // namespace platform
