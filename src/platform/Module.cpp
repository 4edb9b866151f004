#include "platform/Module.h"

#include "platform/ModuleState.h"
#include "platform/Paths.h"

#include <atomic>
#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

namespace platform {
namespace {

// The file of the running program, for an address in the main executable.
bool executablePath(std::string& path)
{
    char buffer[kMaxPathBytes];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return false;
    path.assign(buffer, static_cast<size_t>(n));
    return true;
}

} // namespace

bool getExecutablePath(std::string& path)
{
    path.clear();
    return executablePath(path);
}

bool getModulePath(std::string& path)
{
    path.clear();
    const void* address = nullptr;
    if (detail::moduleOverride(path, address))
        return !path.empty();
    if (address == nullptr)
        address = reinterpret_cast<const void*>(&getModulePath);
    Dl_info info{};
    link_map* map = nullptr;
    if (::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
        return false;
    // The main program's entry has no name of its own.
    if (map == nullptr || map->l_name == nullptr || map->l_name[0] == 0)
        return executablePath(path);
    char resolved[kMaxPathBytes];
    if (::realpath(map->l_name, resolved) != nullptr)
        path = resolved;
    else
        path = map->l_name;
    return !path.empty();
}

} // namespace platform
