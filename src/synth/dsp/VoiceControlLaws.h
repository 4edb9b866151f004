#pragma once
// Small laws that turn the voice's parameter values into gains and weights,
// shared by the oscillators, the filter stage and the voice's block frame.

#include <cstdint>

namespace synthdsp {

// Level to gain: a level v in [-100, 25] gives v / 100 + 1 for v <= 0
// (linear, silent at -100, unity at 0) and v / 2 decibels above 0 (by the
// cubic power-of-two approximation; 25 gives about +12.5 dB). Levels below
// -100 give 0. Any thread.
float levelToGain(float level);

// Crossfade weight of wave number `wave` for a shape value: 1 - |shape -
// wave|, and 0 where that is negative, so a fractional shape mixes its two
// neighbouring waves. Any thread.
float shapeWeight(float shape, int32_t wave);

} // namespace synthdsp
