#pragma once
// The wavetables of the first oscillator's smooth waves: one cycle of a sine,
// and a triangle at ten levels of band-limiting.
//
// Both tables hold 2048 points per cycle. The sine is sin(2 pi i / 2048).
// The triangle is 0 at index 0, +1 at 512 and -1 at 1536; level 0 is the
// exact piecewise-linear wave, level k keeps its harmonics up to 2^(10 - k)
// and is scaled back to the peak of level 0. The oscillator reads them a
// quarter cycle late, so that every wave starts its cycle at its minimum, and
// picks the triangle level by its phase increment.

#include <cstdint>

class AM_RealFFT;

namespace synthdsp {

constexpr int32_t kWavetableSize = 2048;
constexpr int32_t kTriangleLevels = 10;

struct OscillatorWavetables {
    float sine[kWavetableSize];
    float triangle[kTriangleLevels][kWavetableSize]; // level 0 first
};

// Fills both tables, band-limiting the triangle with `fft`, whose requested
// length must be kWavetableSize. Returns false and writes a trace line when it
// is not (the tables are then left unchanged). Allocates; not on the audio
// thread.
bool fillOscillatorWavetables(OscillatorWavetables& tables, AM_RealFFT& fft);

// The process-wide tables, built on first use (thread-safe) with an FFT of
// their own, never changed or freed afterwards. Any thread; the first call
// must not be on the audio thread.
const OscillatorWavetables& oscillatorWavetables();

// The triangle level for a phase increment d (cycles per oversampled frame):
// 0 for d <= 1.5 / 2048, k for 1.5 * 2^(k-1) / 2048 < d <= 1.5 * 2^k / 2048,
// at most kTriangleLevels - 1. The harmonics that a level keeps then alias, if
// at all, only into the band that the decimation removes. Any thread.
int32_t triangleLevelForIncrement(float increment);

} // namespace synthdsp
