#include "synth/dsp/BandLimitedStep.h"

#include "synth/dsp/ComplexFFT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using synthdsp::bandLimitedStep;
using synthdsp::kStepPhases;
using synthdsp::kStepTableSize;
using synthdsp::kStepTaps;

constexpr int32_t kWindowSamples = 8;
constexpr int32_t kSettledFrom = 120;

// The program holds the table as constants (written by kk-steptable); they
// must be what the design gives, to the bit.
TEST(BandLimitedStep, TheProgramsTableIsTheDesignBitForBit)
{
    const std::vector<float> designed =
        synthdsp::designBandLimitedStep(synthdsp::defaultStepDesign());
    ASSERT_EQ(designed.size(), size_t(kStepTableSize));
    const float* stored = bandLimitedStep();
    int32_t differing = 0;
    int32_t first = -1;
    for (int32_t i = 0; i < kStepTableSize; ++i) {
        if (std::bit_cast<uint32_t>(stored[i]) != std::bit_cast<uint32_t>(designed[size_t(i)])) {
            ++differing;
            if (first < 0)
                first = i;
        }
    }
    EXPECT_EQ(differing, 0) << "first at " << first
                            << "; write src/synth/dsp/BandLimitedStepTable.cpp again with "
                               "kk-steptable";
}

TEST(BandLimitedStep, StartsAtZeroAndIsExactlyOneOverItsLastSamples)
{
    const float* s = bandLimitedStep();
    EXPECT_EQ(s[0], 0.0f);
    // Minimum phase: nothing happens before the jump, and the first sample
    // is still close to 0.
    for (int32_t j = 0; j < kStepPhases; ++j)
        EXPECT_LT(std::fabs(s[j]), 1e-3f) << "phase " << j;
    for (int32_t i = kSettledFrom * kStepPhases; i < kStepTableSize; ++i)
        ASSERT_EQ(s[i], 1.0f) << "point " << i;
}

TEST(BandLimitedStep, OvershootsOnceThenRingsDownSteadily)
{
    const float* s = bandLimitedStep();
    const float* peak = std::max_element(s, s + kStepTableSize);
    const int32_t peakIndex = int32_t(peak - s);
    std::printf("band-limited step: peak %.5f at %.3f samples\n", double(*peak),
                double(peakIndex) / kStepPhases);
    EXPECT_GT(*peak, 1.22f);
    EXPECT_LT(*peak, 1.25f);
    EXPECT_LT(peakIndex, 8 * kStepPhases) << "the rise comes early (minimum phase)";

    // The largest deviation from 1 in each window of 8 samples after the
    // peak's window never grows.
    double previous = 1.0;
    for (int32_t w = peakIndex / (kWindowSamples * kStepPhases); w < kStepTaps / kWindowSamples;
         ++w) {
        double largest = 0.0;
        for (int32_t i = w * kWindowSamples * kStepPhases;
             i < (w + 1) * kWindowSamples * kStepPhases; ++i)
            largest = std::max(largest, std::fabs(double(s[i]) - 1.0));
        EXPECT_LE(largest, previous) << "window from sample " << w * kWindowSamples;
        previous = largest;
    }
}

TEST(BandLimitedStep, IsOneSmoothCurveInItsIndexLayout)
{
    // index = 128 * sample + phase: neighbouring entries are 1/128 sample
    // apart, so they differ little (a transposed layout would jump).
    const float* s = bandLimitedStep();
    float largestStep = 0.0f;
    for (int32_t i = 1; i < kStepTableSize; ++i)
        largestStep = std::max(largestStep, std::fabs(s[i] - s[i - 1]));
    EXPECT_LT(largestStep, 0.01f);
}

// Spectrum of the step's derivative (the band-limited impulse), in dB
// relative to DC, at `points` bins over the table rate of 128 per sample.
class ImpulseResponse {
public:
    static constexpr int32_t kSize = 1 << 18;

    explicit ImpulseResponse(const float* s) : data_(2 * size_t(kSize), 0.0)
    {
        for (int32_t i = 0; i < kStepTableSize; ++i)
            data_[2 * size_t(i)] = double(s[i]) - (i > 0 ? double(s[i - 1]) : 0.0);
        synthdsp::ComplexFFT(kSize).forward(data_.data());
        dc_ = magnitude(0);
    }

    // Largest gain in dB over [from, to] in units of the oversampled rate.
    double largestDb(double from, double to) const
    {
        double largest = 0.0;
        for (int32_t k = binOf(from); k <= std::min(binOf(to), kSize / 2); ++k)
            largest = std::max(largest, magnitude(k) / dc_);
        return 20.0 * std::log10(std::max(largest, 1e-30));
    }
    double smallestDb(double from, double to) const
    {
        double smallest = 1e30;
        for (int32_t k = binOf(from); k <= std::min(binOf(to), kSize / 2); ++k)
            smallest = std::min(smallest, magnitude(k) / dc_);
        return 20.0 * std::log10(smallest);
    }

private:
    static int32_t binOf(double f) { return int32_t(std::lround(f * kSize / kStepPhases)); }
    double magnitude(int32_t k) const
    {
        return std::hypot(data_[2 * size_t(k)], data_[2 * size_t(k) + 1]);
    }
    std::vector<double> data_;
    double dc_ = 1.0;
};

TEST(BandLimitedStep, PassesTheAudioBandAndStopsAtTheOversampledNyquist)
{
    const ImpulseResponse response(bandLimitedStep());
    // Audio band: 0.45 of the host rate is 0.1125 of the oversampled rate.
    EXPECT_LT(response.largestDb(0.0, 0.25), 0.001);
    EXPECT_GT(response.smallestDb(0.0, 0.25), -0.001);
    // Nothing from the oversampled Nyquist up to the first image of the
    // audio band: the oversampled signal itself is alias-free.
    const double stop = response.largestDb(0.5, 1.135);
    std::printf("band-limited step: stopband 0.5 .. 1.135 of the oversampled rate %.1f dB\n", stop);
    EXPECT_LT(stop, -115.0);
}

} // namespace
