#include "platform/Clock.h"

#include <windows.h>

namespace platform {

uint64_t tickCount64()
{
    return ::GetTickCount64();
}

uint32_t tickCount()
{
    return static_cast<uint32_t>(tickCount64());
}

} // namespace platform
