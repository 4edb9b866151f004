#pragma once
// A monotonic millisecond clock (the counterpart of the system tick count).
// Any thread, real-time ones included: no allocation, no lock.

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; wraps around after about 49 days.
uint32_t tickCount();
// The same count without the wrap.
uint64_t tickCount64();

} // namespace platform
