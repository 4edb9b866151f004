#pragma once
// Measures of rendered sound for the instrument tests, on top of the kernel
// tests' sine fit, zero-crossing frequency, spectrum and alias floor: the
// fundamental of a periodic signal, pitch differences in cents, the onset
// of a note and the level of a band.

#include "dsp/SignalMeasures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace synthmeasures {

using namespace signalmeasures;

inline double cents(double measured, double expected)
{
    return 1200.0 * std::log2(measured / expected);
}

// Equal-tempered frequency of a pitch in semitones (69 = 440 Hz).
inline double equalTempered(double pitch)
{
    return 440.0 * std::exp2((pitch - 69.0) / 12.0);
}

// The frequency near `guess` (within +-`span` of it, relative) at which a
// sine fits x[begin .. end) best: a coarse scan, then a golden-section
// search on the fitted amplitude. For any periodic signal whose fundamental
// lies near the guess; exact for a sinusoid.
inline double fundamental(const std::vector<float>& x, size_t begin, size_t end, double rate,
                          double guess, double span = 0.03)
{
    const auto amplitude = [&](double f) { return std::abs(fitSine(x, begin, end, f, rate)); };
    constexpr int kScan = 60;
    double lo = guess * (1.0 - span);
    double hi = guess * (1.0 + span);
    double best = lo;
    double bestAmplitude = -1.0;
    const double step = (hi - lo) / kScan;
    for (int i = 0; i <= kScan; ++i) {
        const double f = lo + step * i;
        const double a = amplitude(f);
        if (a > bestAmplitude) {
            bestAmplitude = a;
            best = f;
        }
    }
    lo = best - step;
    hi = best + step;
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double c = hi - ratio * (hi - lo);
    double d = lo + ratio * (hi - lo);
    double fc = amplitude(c);
    double fd = amplitude(d);
    while (hi - lo > guess * 1e-9) {
        if (fc > fd) {
            hi = d;
            d = c;
            fd = fc;
            c = hi - ratio * (hi - lo);
            fc = amplitude(c);
        } else {
            lo = c;
            c = d;
            fc = fd;
            d = lo + ratio * (hi - lo);
            fd = amplitude(d);
        }
    }
    return (lo + hi) / 2.0;
}

// The first sample from `begin` whose magnitude exceeds `threshold`, or
// x.size() when there is none.
inline size_t onset(const std::vector<float>& x, float threshold, size_t begin = 0)
{
    for (size_t n = begin; n < x.size(); ++n) {
        if (std::fabs(x[n]) > threshold)
            return n;
    }
    return x.size();
}

// The amplitude of the sinusoid at `frequency` in x[begin .. end).
inline double amplitudeAt(const std::vector<float>& x, size_t begin, size_t end, double frequency,
                          double rate)
{
    return std::abs(fitSine(x, begin, end, frequency, rate));
}

inline double peak(const std::vector<float>& x, size_t begin, size_t end)
{
    double p = 0.0;
    for (size_t n = begin; n < end; ++n)
        p = std::max(p, double(std::fabs(x[n])));
    return p;
}

} // namespace synthmeasures
