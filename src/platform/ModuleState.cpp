#include "platform/ModuleState.h"

#include "platform/Module.h"

#include <mutex>

namespace platform {
namespace {

struct ModuleState {
    std::mutex mutex;
    bool overridden = false;
    std::string overridePath;
    const void* address = nullptr;
};

ModuleState& state()
{
    static ModuleState s;
    return s;
}

} // namespace

void setModuleAddress(const void* anyAddressInModule)
{
    ModuleState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.address = anyAddressInModule;
}

void overrideModulePath(const char* utf8PathOrNull)
{
    ModuleState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.overridden = utf8PathOrNull != nullptr;
    s.overridePath = utf8PathOrNull ? utf8PathOrNull : "";
}

bool detail::moduleOverride(std::string& path, const void*& address)
{
    ModuleState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.overridden) {
        path = s.overridePath;
        return true;
    }
    address = s.address;
    return false;
}

} // namespace platform
