#pragma once
// The process-wide pseudo-random sequence of the voice circuit: the value of
// the "Random" row that every note draws when it starts. It is a sequence of
// its own beside AM_Random, so that notes do not disturb the draws of
// randomize and the modulators.
//
// An AM_RandomSequence (engine/module/AM_Random.h) with increment
// 859219139, shared by every instance on any audio thread.

#include <cstdint>

namespace AM_VoiceRandom {

// The next draw u in [0, 1). Any thread, lock-free, allocation-free.
float next();
// Back to the state at load. For tests; not while another thread draws.
void reset();

} // namespace AM_VoiceRandom
