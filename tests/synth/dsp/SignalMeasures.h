#pragma once
// Measures of sound for the voice-kernel tests: sine fits, zero-crossing
// frequency and the alias floor of a periodic signal.

#include "synth/dsp/ComplexFFT.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace signalmeasures {

constexpr double kPi = 3.14159265358979323846;

inline double decibels(double ratio)
{
    return 20.0 * std::log10(std::max(ratio, 1e-30));
}

// Least-squares fit of c + a cos(w n) + b sin(w n) to x[begin .. end), w = 2 pi
// f / rate; returns the phasor a - i b (amplitude and phase of the cosine).
// Exact for a sinusoid plus a constant, whatever the window.
inline std::complex<double> fitSine(const std::vector<float>& x, size_t begin, size_t end,
                                    double frequency, double rate)
{
    double m[3][4] = {};
    const double w = 2.0 * kPi * frequency / rate;
    for (size_t n = begin; n < end; ++n) {
        const double basis[3] = {1.0, std::cos(w * double(n)), std::sin(w * double(n))};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += basis[r] * basis[c];
            m[r][3] += basis[r] * double(x[n]);
        }
    }
    for (int col = 0; col < 3; ++col) { // Gauss-Jordan; the system is well conditioned
        for (int r = 0; r < 3; ++r) {
            if (r == col)
                continue;
            const double factor = m[r][col] / m[col][col];
            for (int c = col; c < 4; ++c)
                m[r][c] -= factor * m[col][c];
        }
    }
    return {m[1][3] / m[1][1], -m[2][3] / m[2][2]};
}

// Frequency from the upward zero crossings (linearly interpolated) of x[begin
// .. end).
inline double zeroCrossingFrequency(const std::vector<float>& x, size_t begin, size_t end,
                                    double rate)
{
    double first = -1.0;
    double last = -1.0;
    int32_t crossings = 0;
    for (size_t n = begin + 1; n < end; ++n) {
        if (x[n - 1] < 0.0f && x[n] >= 0.0f) {
            const double t = double(n - 1) + double(x[n - 1]) / double(x[n - 1] - x[n]);
            if (first < 0.0)
                first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return double(crossings - 1) * rate / (last - first);
}

inline double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 300 && term > sum * 1e-17; ++k) {
        term *= x * x / 4.0 / (double(k) * double(k));
        sum += term;
    }
    return sum;
}

// Magnitude spectrum (bins 0 .. N/2) of `length` samples from `begin`, under a
// Kaiser window whose sidelobes lie far below the floors measured here.
inline std::vector<double> spectrum(const std::vector<float>& x, size_t begin, int32_t length)
{
    constexpr double kBeta = 20.0;
    std::vector<double> data(2 * size_t(length), 0.0);
    const double norm = besselI0(kBeta);
    for (int32_t i = 0; i < length; ++i) {
        const double r = 2.0 * i / (length - 1) - 1.0;
        const double w = besselI0(kBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
        data[2 * size_t(i)] = double(x[begin + size_t(i)]) * w;
    }
    synthdsp::ComplexFFT(length).forward(data.data());
    std::vector<double> magnitude(size_t(length / 2 + 1));
    for (size_t k = 0; k < magnitude.size(); ++k)
        magnitude[k] = std::hypot(data[2 * k], data[2 * k + 1]);
    return magnitude;
}

struct AliasFloor {
    double worstDb; // strongest component that is no harmonic, relative to the fundamental
    double atHz;
};

// The alias floor of a periodic signal with fundamental f0 from `bottom` up
// to `top` Hz: every bin in that range that is not within the window's main
// lobe of DC or a harmonic of f0, relative to the fundamental.
inline AliasFloor aliasFloor(const std::vector<float>& x, size_t begin, int32_t length, double f0,
                             double rate, double top, double bottom = 0.0)
{
    constexpr int32_t kGuardBins = 12;
    const std::vector<double> mag = spectrum(x, begin, length);
    const double binHz = rate / length;
    const int32_t bins = int32_t(mag.size());
    std::vector<bool> masked(mag.size(), false);
    const auto mask = [&](double hz) {
        const int32_t c = int32_t(std::lround(hz / binHz));
        for (int32_t k = std::max(0, c - kGuardBins); k <= std::min(bins - 1, c + kGuardBins); ++k)
            masked[size_t(k)] = true;
    };
    mask(0.0);
    for (int32_t h = 1; h * f0 < rate / 2; ++h)
        mask(h * f0);
    double fundamental = 0.0;
    const int32_t f0Bin = int32_t(std::lround(f0 / binHz));
    for (int32_t k = std::max(0, f0Bin - 2); k <= f0Bin + 2; ++k)
        fundamental = std::max(fundamental, mag[size_t(k)]);
    AliasFloor floor{-400.0, 0.0};
    for (int32_t k = 0; k < bins && k * binHz < top; ++k) {
        if (masked[size_t(k)] || k * binHz < bottom)
            continue;
        const double db = decibels(mag[size_t(k)] / fundamental);
        if (db > floor.worstDb)
            floor = {db, k * binHz};
    }
    return floor;
}

// Root mean square of x[begin .. end).
inline double rms(const std::vector<float>& x, size_t begin, size_t end)
{
    double sum = 0.0;
    for (size_t n = begin; n < end; ++n)
        sum += double(x[n]) * double(x[n]);
    return std::sqrt(sum / double(std::max<size_t>(end - begin, 1)));
}

} // namespace signalmeasures
