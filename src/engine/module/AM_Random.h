#pragma once
// The process-wide pseudo-random sequence that every module and every engine
// instance shares (randomize, the LFO's random shapes).
//
// Two 32-bit words s0 and s1, both 0 at load; each draw does
// s1 += 435395, s0 = (s0 XOR 0x8C52F) + s1 and maps the low 23 bits of s0 to
// u in [0, 1) as the mantissa of a float in [1, 2) minus 1. The pair is kept
// in one atomic word, so draws from several threads never tear it; each draw
// takes the next value of the one sequence.

#include <cstdint>

namespace AM_Random {

// low + (high - low) x u, in single precision. Any thread, lock-free.
float range(float low, float high);
// The next raw word s0. Any thread, lock-free.
uint32_t next();
// Back to the state at load (both words 0). For tests; not while another
// thread draws.
void reset();

} // namespace AM_Random
