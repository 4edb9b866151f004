#include "synth/dsp/OscillatorWavetables.h"

#include "engine/dsp/AM_RealFFT.h"
#include "foundation/AM_STD.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace synthdsp {

namespace {

constexpr int32_t kHalfSize = kWavetableSize / 2;
constexpr int32_t kQuarterSize = kWavetableSize / 4;
// Level 1 keeps harmonics up to 512, every further level half as many.
constexpr int32_t kLevelOneHarmonics = kWavetableSize / 4;
constexpr float kLevelZeroLimit = 1.5f / float(kWavetableSize);

float peakOf(const float* values)
{
    float peak = 0.0f;
    for (int32_t i = 0; i < kWavetableSize; ++i)
        peak = std::max(peak, std::fabs(values[i]));
    return peak;
}

// Zeroes every bin above `harmonics` (up to the last below Nyquist) and the
// DC term of a spectrum in the real FFT's layout: real parts at 0 .. N/2,
// imaginary parts of bins 1 .. N/2 - 1 at N/2 + bin.
void keepHarmonics(float* spectrum, int32_t harmonics)
{
    for (int32_t bin = harmonics + 1; bin < kHalfSize; ++bin) {
        spectrum[bin] = 0.0f;
        spectrum[kHalfSize + bin] = 0.0f;
    }
    spectrum[0] = 0.0f;
}

} // namespace

bool fillOscillatorWavetables(OscillatorWavetables& tables, AM_RealFFT& fft)
{
    if (fft.requestedLength() != kWavetableSize || fft.length() != kWavetableSize) {
        AM_STD::printv("fillOscillatorWavetables: the FFT has length %d, not %d", fft.length(),
                       kWavetableSize);
        return false;
    }
    const double twoPi = 2.0 * std::acos(-1.0);
    for (int32_t i = 0; i < kWavetableSize; ++i) {
        tables.sine[i] = float(std::sin(double(i) * twoPi / double(kWavetableSize)));
        const float ramp = 2.0f * std::fabs(float(i) / float(kHalfSize) - 1.0f) - 1.0f;
        tables.triangle[0][(i + kQuarterSize) % kWavetableSize] = ramp;
    }

    const float peak = peakOf(tables.triangle[0]);
    std::vector<float> spectrum(kWavetableSize);
    int32_t harmonics = kLevelOneHarmonics;
    for (int32_t level = 1; level < kTriangleLevels; ++level, harmonics /= 2) {
        float* out = tables.triangle[level];
        fft.forward(spectrum.data(), tables.triangle[0]);
        keepHarmonics(spectrum.data(), harmonics);
        fft.inverse(spectrum.data(), out);
        const float levelPeak = peakOf(out);
        if (levelPeak != 0.0f) {
            const float scale = peak / levelPeak;
            for (int32_t i = 0; i < kWavetableSize; ++i)
                out[i] *= scale;
        }
    }
    return true;
}

const OscillatorWavetables& oscillatorWavetables()
{
    struct Storage {
        Storage()
        {
            AM_RealFFT fft(kWavetableSize);
            fillOscillatorWavetables(tables, fft);
        }
        OscillatorWavetables tables;
    };
    static const Storage storage;
    return storage.tables;
}

int32_t triangleLevelForIncrement(float increment)
{
    int32_t level = 0;
    float limit = kLevelZeroLimit;
    while (level < kTriangleLevels - 1 && increment > limit) {
        ++level;
        limit *= 2.0f;
    }
    return level;
}

} // namespace synthdsp
