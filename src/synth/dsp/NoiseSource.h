#pragma once
// The voices' shared noise: white, red (white through a one-pole low-pass at
// 10 Hz, raised by 16) and pink (rows of white noise refreshed at octave-
// spaced rates).
//
// The generator is a 32-bit linear congruential sequence; each white value
// comes from its low 23 bits as a float in [2, 4) minus 3, so in [-1, 1).

#include <cstdint>

namespace synthdsp {

constexpr int32_t kPinkRows = 9; // rows 2 to 10

// The noise memory, in the order the module keeps it.
struct NoiseState {
    uint32_t sampleCounter = 0;
    float redPreviousWhite = 0.0f;
    float redLowpass = 0.0f;
    uint32_t blockStamp = 0; // kept by the caller: the block of the last generation
    float pinkAccumulator = 0.0f;
    float pinkPreviousWhite = 0.0f;
    float pinkRows[kPinkRows] = {};
};

// One step of the generator and the white value of the new state. Any thread.
uint32_t nextNoiseState(uint32_t state);
float whiteFromNoiseState(uint32_t state);

// Writes `count` samples of each colour (count <= 0 writes nothing),
// advancing `generator` and `state`. samplePeriod: seconds per sample at the
// rate the noise is generated (sets the red noise's corner). Allocates
// nothing. Audio thread (whoever owns state and generator).
void generateNoise(NoiseState& state, uint32_t& generator, float samplePeriod, int32_t count,
                   float* white, float* red, float* pink);

} // namespace synthdsp
