#pragma once
// Replaces every sample whose exponent bits are all 0 (zero or denormal) or
// all 1 (infinity or NaN) by +0.0; every other sample stays as it is.
//
// Audio thread (any thread); no allocation.

#include <bit>
#include <cstdint>

// The float exponent field.
constexpr uint32_t k_floatExponentMask = 0x7F800000;

// One sample.
inline float flushDenormal(float sample)
{
    const uint32_t exponent = std::bit_cast<uint32_t>(sample) & k_floatExponentMask;
    return (exponent == 0 || exponent == k_floatExponentMask) ? 0.0f : sample;
}

// *count samples from `samples` (nothing for a count of 0 or less), four at
// a time where it can.
void flushDenormals(float* samples, const int32_t* count);
// The samples of `from` times gain, flushed, into `to` (which may be `from`):
// flushDenormal(from[i] * gain) for each of the count samples.
void scaleAndFlush(float* to, const float* from, float gain, uint32_t count);
// groups x 4 samples from a 16-byte aligned `samples`, four at a time.
void flushDenormalsSSE(float* samples, int32_t groups);
