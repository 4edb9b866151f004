#pragma once
// The engine's pseudo-random sequences.
//
// A sequence is two 32-bit words s0 and s1, both 0 at load; each draw does
// s1 += increment, s0 = (s0 XOR 0x8C52F) + s1 and maps the low 23 bits of s0
// to u in [0, 1) as the mantissa of a float in [1, 2) minus 1. The pair is
// kept in one atomic word, so draws from several threads never tear it; each
// draw takes the next value of the one sequence.
//
// AM_Random is the process-wide sequence that every module and every engine
// instance shares (randomize, the LFO's random shapes), with increment
// 435395.

#include <atomic>
#include <cstdint>

class AM_RandomSequence {
public:
    explicit constexpr AM_RandomSequence(uint32_t increment) : increment_(increment) {}
    AM_RandomSequence(const AM_RandomSequence&) = delete;
    AM_RandomSequence& operator=(const AM_RandomSequence&) = delete;

    // The next raw word s0. Any thread, lock-free, allocation-free.
    uint32_t next();
    // The next draw u in [0, 1). Any thread, lock-free, allocation-free.
    float nextUnit();
    // Back to the state at load (both words 0). For tests; not while another
    // thread draws.
    void reset() { state_.store(0, std::memory_order_relaxed); }

private:
    // s0 in the low half, s1 in the high half.
    std::atomic<uint64_t> state_{0};
    const uint32_t increment_;
};

namespace AM_Random {

// low + (high - low) x u, in single precision. Any thread, lock-free.
float range(float low, float high);
// The next raw word s0. Any thread, lock-free.
uint32_t next();
// Back to the state at load (both words 0). For tests; not while another
// thread draws.
void reset();

} // namespace AM_Random
