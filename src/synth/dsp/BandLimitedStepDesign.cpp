// The design of the band-limited step (see BandLimitedStep.h). The program
// itself holds the designed table as constants (BandLimitedStepTable.cpp,
// written by kk-steptable); this code is for the tool and the tests.

#include "synth/dsp/BandLimitedStep.h"

#include "synth/dsp/ComplexFFT.h"

#include <algorithm>
#include <cmath>

namespace synthdsp {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The cepstrum is computed on a grid this many times longer than the table,
// so that its time aliasing stays far below single precision.
constexpr int32_t kCepstrumOversize = 8;
// Magnitudes are floored here (about -280 dB) before taking the logarithm.
constexpr double kMagnitudeFloor = 1e-14;

// Zeroth-order modified Bessel function of the first kind (power series).
double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    const double quarterSquare = x * x / 4.0;
    for (int k = 1; k < 200; ++k) {
        term *= quarterSquare / (double(k) * double(k));
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return sum;
}

// Linear-phase prototype at kStepPhases points per sample, centred.
std::vector<double> prototype(const StepDesign& design)
{
    const int32_t length = design.prototypeTaps * kStepPhases + 1;
    const double centre = double(length - 1) / 2.0;
    const double norm = besselI0(design.kaiserBeta);
    const double cutoffPerPoint = design.cutoff / double(kStepPhases);
    std::vector<double> h(static_cast<size_t>(length));
    for (int32_t i = 0; i < length; ++i) {
        const double t = double(i) - centre;
        const double sinc =
            t == 0.0 ? 1.0
                     : std::sin(2.0 * kPi * cutoffPerPoint * t) / (2.0 * kPi * cutoffPerPoint * t);
        const double r = t / centre;
        const double window =
            besselI0(design.kaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
        h[size_t(i)] = sinc * window;
    }
    return h;
}

// The minimum-phase response with the prototype's magnitude (real cepstrum
// folded onto positive times).
std::vector<double> minimumPhase(const std::vector<double>& h, int32_t size)
{
    const ComplexFFT fft(size);
    std::vector<double> data(size_t(2 * size), 0.0);
    for (size_t i = 0; i < h.size(); ++i)
        data[2 * i] = h[i];
    fft.forward(data.data());
    for (int32_t k = 0; k < size; ++k) {
        const double magnitude = std::hypot(data[size_t(2 * k)], data[size_t(2 * k + 1)]);
        data[size_t(2 * k)] = std::log(std::max(magnitude, kMagnitudeFloor));
        data[size_t(2 * k + 1)] = 0.0;
    }
    fft.inverse(data.data()); // real cepstrum (even)
    for (int32_t n = 1; n < size / 2; ++n) {
        data[size_t(2 * n)] *= 2.0;
        data[size_t(2 * n + 1)] = 0.0;
    }
    for (int32_t n = size / 2 + 1; n < size; ++n) {
        data[size_t(2 * n)] = 0.0;
        data[size_t(2 * n + 1)] = 0.0;
    }
    data[1] = 0.0;
    data[size_t(size + 1)] = 0.0;
    fft.forward(data.data());
    for (int32_t k = 0; k < size; ++k) {
        const double logMagnitude = data[size_t(2 * k)];
        const double phase = data[size_t(2 * k + 1)];
        const double magnitude = std::exp(logMagnitude);
        data[size_t(2 * k)] = magnitude * std::cos(phase);
        data[size_t(2 * k + 1)] = magnitude * std::sin(phase);
    }
    fft.inverse(data.data());
    std::vector<double> out(static_cast<size_t>(size));
    for (int32_t i = 0; i < size; ++i)
        out[size_t(i)] = data[size_t(2 * i)];
    return out;
}

int32_t powerOfTwoAtLeast(int32_t n)
{
    int32_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

} // namespace

StepDesign defaultStepDesign()
{
    return StepDesign{0.45, 128, 16.0, 120, 16};
}

std::vector<float> designBandLimitedStep(const StepDesign& design)
{
    const std::vector<double> linear = prototype(design);
    const int32_t size = powerOfTwoAtLeast(
        std::max<int32_t>(int32_t(linear.size()), kStepTableSize) * kCepstrumOversize);
    const std::vector<double> h = minimumPhase(linear, size);

    // Integrate: S at point i is the sum of the taps before it, so S starts
    // at exactly 0; normalised by the whole sum (the response's DC gain).
    double total = 0.0;
    for (double v : h)
        total += v;
    std::vector<double> step(static_cast<size_t>(kStepTableSize));
    double running = 0.0;
    for (int32_t i = 0; i < kStepTableSize; ++i) {
        step[size_t(i)] = running / total;
        running += h[size_t(i)];
    }

    // Fade the remaining ringing out so that the step is exactly 1 from
    // `settledFrom` on (a raised-cosine taper on S - 1).
    const int32_t settled = std::clamp(design.settledFrom, int32_t(1), kStepTaps) * kStepPhases;
    const int32_t taper = std::clamp(design.taperSamples * kStepPhases, int32_t(0), settled);
    std::vector<float> table(static_cast<size_t>(kStepTableSize));
    for (int32_t i = 0; i < kStepTableSize; ++i) {
        double deviation = step[size_t(i)] - 1.0;
        if (i >= settled) {
            deviation = 0.0;
        } else if (i >= settled - taper) {
            const double x = double(i - (settled - taper)) / double(taper);
            deviation *= 0.5 * (1.0 + std::cos(kPi * x));
        }
        table[size_t(i)] = float(1.0 + deviation);
    }
    return table;
}

} // namespace synthdsp
