#pragma once
// Flush-to-zero and denormals-are-zero for the length of a scope: the
// processor's SSE control register (MXCSR) is saved, the two bits are set,
// and the saved value is put back when the scope ends, so the host's
// floating-point settings are never changed by a process call.
//
// Audio thread; allocates nothing.

#include <cstdint>
#include <xmmintrin.h>

class AM_DenormalScope {
public:
    // Flush-to-zero (bit 15) and denormals-are-zero (bit 6).
    static constexpr uint32_t kFlushBits = 0x8040;

    // Sets the bits when active is true; does nothing otherwise.
    explicit AM_DenormalScope(bool active) : active_(active), saved_(active ? _mm_getcsr() : 0)
    {
        if (active_)
            _mm_setcsr(saved_ | kFlushBits);
    }
    ~AM_DenormalScope()
    {
        if (active_)
            _mm_setcsr(saved_);
    }
    AM_DenormalScope(const AM_DenormalScope&) = delete;
    AM_DenormalScope& operator=(const AM_DenormalScope&) = delete;

private:
    bool active_;
    uint32_t saved_;
};
