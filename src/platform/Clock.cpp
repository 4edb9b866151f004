#include "platform/Clock.h"

#include <time.h>

namespace platform {
namespace {
constexpr uint64_t kMsPerSecond = 1000;
constexpr uint64_t kNsPerMs = 1000000;
} // namespace

uint64_t tickCount64()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * kMsPerSecond +
           static_cast<uint64_t>(now.tv_nsec) / kNsPerMs;
}

uint32_t tickCount()
{
    return static_cast<uint32_t>(tickCount64());
}

} // namespace platform
