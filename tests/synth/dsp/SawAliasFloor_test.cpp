// The alias floor the band-limited step gives an oscillator: a sawtooth
// rendered at four times 44.1 kHz with a step correction at every wrap,
// brought down by the voice's half-band decimator and analysed for every
// component below 20 kHz that is not a harmonic.

#include "synth/dsp/BandLimitedStep.h"

#include "engine/dsp/HalfBandDecimator.h"
#include "synth/dsp/ComplexFFT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using synthdsp::kStepPhases;
using synthdsp::kStepTaps;

constexpr double kHostRate = 44100.0;
constexpr int32_t kOversampling = 4;
constexpr int32_t kBlock = 64;         // host samples per decimation call
constexpr int32_t kSettle = 2048;      // host samples skipped
constexpr int32_t kAnalysis = 1 << 15; // host samples analysed
constexpr int32_t kRing = 256;
constexpr double kAudioTop = 20000.0;
constexpr int32_t kGuardBins = 12;   // the window's main lobe and then some
constexpr double kKaiserBeta = 20.0; // sidelobes far below the floor measured

// How a jump's sub-sample position picks its correction.
enum class Placement {
    PhaseRow,     // the row of the phase just below the position, as the voice does
    Interpolated, // between the two neighbouring rows: the step table's own floor
};

double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 300 && term > sum * 1e-17; ++k) {
        term *= x * x / 4.0 / (double(k) * double(k));
        sum += term;
    }
    return sum;
}

// A sawtooth from -1 to +1 at f0 with a band-limited drop at each wrap, at
// the oversampled rate, decimated to the host rate.
std::vector<float> renderSaw(double f0, Placement placement)
{
    const float* step = synthdsp::bandLimitedStep();
    const int32_t outputs = kSettle + kAnalysis;
    std::vector<float> left(static_cast<size_t>(outputs));
    std::vector<float> right(static_cast<size_t>(outputs));
    alignas(16) float work[2 * kOversampling * kBlock];
    enginedsp::HalfBandState a;
    enginedsp::HalfBandState b;
    std::vector<double> ring(kRing, 0.0);
    int32_t p = 0;
    double phase = 0.0;
    const double increment = f0 / (kHostRate * kOversampling);
    for (int32_t done = 0; done < outputs; done += kBlock) {
        for (int32_t i = 0; i < kOversampling * kBlock; ++i) {
            phase += increment;
            if (phase >= 1.0) {
                phase -= 1.0;
                // The drop of 2 happened `position` frames before this one;
                // the ring carries 2 * (S - 1) from here on.
                const double position = std::min(phase / increment, 1.0 - 1e-12) * kStepPhases;
                const int32_t row = int32_t(position);
                const double fraction = placement == Placement::Interpolated ? position - row : 0.0;
                for (int32_t n = 0; n < kStepTaps; ++n) {
                    const int32_t index = kStepPhases * n + row;
                    const double next =
                        index + 1 < synthdsp::kStepTableSize ? step[index + 1] : 1.0;
                    const double s = step[index] + (next - step[index]) * fraction;
                    ring[size_t((p + n) % kRing)] += 2.0 * (1.0 - s);
                }
            }
            const double value = 2.0 * phase - 1.0 + ring[size_t(p)];
            ring[size_t(p)] = 0.0;
            p = (p + 1) % kRing;
            work[2 * i] = float(value);
            work[2 * i + 1] = float(value);
        }
        enginedsp::decimateHalfBand(left.data() + done, right.data() + done, work, kBlock, a, b);
    }
    return left;
}

struct AliasFloor {
    double worstDb; // relative to the fundamental
    double atHz;
};

AliasFloor measureAliases(const std::vector<float>& y, double f0)
{
    std::vector<double> data(2 * size_t(kAnalysis), 0.0);
    const double norm = besselI0(kKaiserBeta);
    for (int32_t i = 0; i < kAnalysis; ++i) {
        const double r = 2.0 * i / (kAnalysis - 1) - 1.0;
        const double w = besselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
        data[2 * size_t(i)] = y[size_t(kSettle + i)] * w;
    }
    synthdsp::ComplexFFT(kAnalysis).forward(data.data());
    const auto magnitude = [&](int32_t k) {
        return std::hypot(data[2 * size_t(k)], data[2 * size_t(k) + 1]);
    };
    const double binHz = kHostRate / kAnalysis;

    // Mask DC and every harmonic below the host Nyquist.
    std::vector<bool> masked(kAnalysis / 2 + 1, false);
    const auto mask = [&](double hz) {
        const int32_t c = int32_t(std::lround(hz / binHz));
        for (int32_t k = std::max(0, c - kGuardBins); k <= std::min(kAnalysis / 2, c + kGuardBins);
             ++k)
            masked[size_t(k)] = true;
    };
    mask(0.0);
    for (int32_t h = 1; h * f0 < kHostRate / 2; ++h)
        mask(h * f0);

    double fundamental = 0.0;
    const int32_t f0Bin = int32_t(std::lround(f0 / binHz));
    for (int32_t k = f0Bin - 2; k <= f0Bin + 2; ++k)
        fundamental = std::max(fundamental, magnitude(k));
    AliasFloor floor{-400.0, 0.0};
    for (int32_t k = 0; k * binHz < kAudioTop; ++k) {
        if (masked[size_t(k)])
            continue;
        const double db = 20.0 * std::log10(std::max(magnitude(k) / fundamental, 1e-20));
        if (db > floor.worstDb)
            floor = {db, k * binHz};
    }
    return floor;
}

// Equal-tempered notes from C1 up to the last one below 5 kHz, every four
// semitones, and some round frequencies.
std::vector<double> fundamentals()
{
    std::vector<double> f;
    for (int note = 24; note <= 111; note += 4)
        f.push_back(440.0 * std::exp2((note - 69) / 12.0));
    for (double hz : {1000.0, 2000.0, 3000.0, 4000.0, 4500.0, 5000.0})
        f.push_back(hz);
    return f;
}

AliasFloor worstOver(const std::vector<double>& frequencies, Placement placement, double* worstF0)
{
    AliasFloor worst{-400.0, 0.0};
    for (double f0 : frequencies) {
        const AliasFloor floor = measureAliases(renderSaw(f0, placement), f0);
        if (floor.worstDb > worst.worstDb) {
            worst = floor;
            *worstF0 = f0;
        }
    }
    return worst;
}

TEST(SawAliasFloor, TheStepTableItselfKeepsAliasesFarDown)
{
    double f0 = 0.0;
    const AliasFloor worst = worstOver(fundamentals(), Placement::Interpolated, &f0);
    std::printf(
        "saw alias floor, sub-sample exact placement: %.1f dB (f0 %.1f Hz, alias at %.1f Hz)\n",
        worst.worstDb, f0, worst.atHz);
    EXPECT_LT(worst.worstDb, -100.0);
}

TEST(SawAliasFloor, PhaseRowPlacementStaysSeventyDecibelsDownUpTo5kHz)
{
    double f0 = 0.0;
    const AliasFloor worst = worstOver(fundamentals(), Placement::PhaseRow, &f0);
    std::printf("saw alias floor, phase-row placement: %.1f dB (f0 %.1f Hz, alias at %.1f Hz)\n",
                worst.worstDb, f0, worst.atHz);
    EXPECT_LT(worst.worstDb, -70.0);
}

// With 128 phases a jump lands up to 1/128 frame late. When the period is an
// odd multiple of 1/256 frame, successive wraps alternate between two timing
// errors half a phase (1/256 frame) apart: drops of 2 off by +-1/512 frame in
// turn, a line at odd multiples of f0 / 2 whose level relative to the
// fundamental (2 / pi) is 2 pi f0 / (512 * oversampled rate), about -69 dB at
// 5 kHz. That is the floor of phase-row placement; interpolating between rows
// removes it (see above).
TEST(SawAliasFloor, PhaseRowPlacementWorstCaseNear5kHz)
{
    constexpr double kOversampledRate = kHostRate * kOversampling;
    double f0 = 0.0;
    const std::vector<double> worstCases = {kOversampledRate * 256.0 / 9031.0,
                                            kOversampledRate * 256.0 / 9033.0};
    const AliasFloor worst = worstOver(worstCases, Placement::PhaseRow, &f0);
    const double predicted =
        20.0 * std::log10(2.0 * std::acos(-1.0) * f0 / (512.0 * kOversampledRate));
    std::printf("saw alias floor, phase-row placement at its worst: %.1f dB (f0 %.2f Hz, alias at "
                "%.1f Hz; predicted %.1f dB)\n",
                worst.worstDb, f0, worst.atHz, predicted);
    EXPECT_NEAR(worst.worstDb, predicted, 1.0);
}

} // namespace
