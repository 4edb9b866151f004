#pragma once
// Polyphase half-band filter of first-order allpass sections and the 4-to-1
// decimation that brings the oversampled voice back to the host rate.
//
// A vector holds 4 floats (16-byte aligned). In the decimation input a vector
// is two consecutive frames of two channels: lanes 0, 1 the earlier frame
// (left, right), lanes 2, 3 the later one. Lanes 0 and 1 run through path A
// of the filter, lanes 2 and 3 through path B; each path is a cascade of six
// allpass sections y = (x - y') * c + x' (primes: the values of the previous
// vector), and the output pairs the current path-A value with the previous
// vector's path-B value. Its DC gain is 2 (both paths pass DC); the
// decimation scales by 0.25 for the two passes.

#include <cstdint>

namespace enginedsp {

constexpr int kLanes = 4;
constexpr int kAllpassSections = 6;

// One filter's memory: the previous input vector and the previous outputs of
// the six sections, 16-byte aligned. Zero-initialised it is a silent filter.
struct alignas(16) HalfBandState {
    float previous[1 + kAllpassSections][kLanes] = {};
};

// Section coefficients, lanes {a, a, b, b}: a for path A, b for path B.
alignas(16) extern const float kHalfBandCoefficients[kAllpassSections][kLanes];

// Filters `count` vectors of `vectors` (4 * count floats, 16-byte aligned) in
// place. count <= 0 does nothing. Audio thread (or any thread owning state).
void halfBandAllpassCascade(float* vectors, int32_t count, HalfBandState& state);

// Reduces 4n frames of two channels at four times the output rate to n
// samples per channel. `work` holds 2n vectors (8n floats, 16-byte aligned)
// and is used as scratch. stateB filters the first pass (four times to twice
// the output rate), stateA the second. All 4n frames go through both filters,
// but only whole groups of 4 output samples are written: for n not a
// multiple of 4 the last n mod 4 samples are dropped (n < 4 writes nothing),
// and the states still follow the whole input, so the next call continues
// the stream. n <= 0 does nothing. `left` and `right` receive the written
// samples. Allocates nothing. Audio thread (or any thread owning the states).
void decimateHalfBand(float* left, float* right, float* work, int32_t n, HalfBandState& stateA,
                      HalfBandState& stateB);

// Two voices of one channel each at once: the work buffers hold 4n frames
// of two channels whose channels are equal (as a voice's filter stage
// leaves them), and the left channel of each is reduced as
// decimateHalfBand would, bit for bit, with the two voices in the lanes the
// second channel would take. `scratch` holds 2n vectors (16-byte aligned);
// the work buffers are only read. Each voice's states move on as if its
// own decimateHalfBand had run, both channels alike. Allocates nothing.
// Audio thread.
void decimateHalfBandPair(float* out0, float* out1, const float* work0, const float* work1,
                          float* scratch, int32_t n, HalfBandState& stateA0, HalfBandState& stateB0,
                          HalfBandState& stateA1, HalfBandState& stateB1);

} // namespace enginedsp
