#pragma once
// The process-wide pseudo-random sequence of the voice circuit: the value of
// the "Random" row that every note draws when it starts. It is a sequence of
// its own beside AM_Random, so that notes do not disturb the draws of
// randomize and the modulators.
//
// Two 32-bit words s0 and s1, both 0 at load; each draw does
// s1 += 859219139, s0 = (s0 XOR 0x8C52F) + s1 and maps the low 23 bits of s0
// to u in [0, 1) as the mantissa of a float in [1, 2) minus 1. The pair is
// kept in one atomic word, so instances on different audio threads never
// tear it.

#include <cstdint>

namespace AM_VoiceRandom {

// The next draw u in [0, 1). Any thread, lock-free, allocation-free.
float next();
// Back to the state at load. For tests; not while another thread draws.
void reset();

} // namespace AM_VoiceRandom
