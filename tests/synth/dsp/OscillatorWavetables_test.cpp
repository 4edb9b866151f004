#include "synth/dsp/OscillatorWavetables.h"

#include "TraceCapture.h"
#include "engine/dsp/AM_RealFFT.h"
#include "synth/dsp/ComplexFFT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace synthdsp;

constexpr double kTwoPi = 6.283185307179586;

// Magnitudes of the harmonics 0 .. N/2 of one stored cycle.
std::vector<double> harmonics(const float* cycle)
{
    std::vector<double> data(2 * kWavetableSize, 0.0);
    for (int32_t i = 0; i < kWavetableSize; ++i)
        data[2 * size_t(i)] = cycle[i];
    ComplexFFT(kWavetableSize).forward(data.data());
    std::vector<double> magnitude(kWavetableSize / 2 + 1);
    for (size_t k = 0; k < magnitude.size(); ++k)
        magnitude[k] = std::hypot(data[2 * k], data[2 * k + 1]) * 2.0 / kWavetableSize;
    return magnitude;
}

TEST(OscillatorWavetables, SineAndUnfilteredTriangle)
{
    const OscillatorWavetables& t = oscillatorWavetables();
    for (int32_t i = 0; i < kWavetableSize; ++i)
        ASSERT_NEAR(t.sine[i], std::sin(kTwoPi * i / kWavetableSize), 1e-7) << i;
    EXPECT_EQ(t.triangle[0][0], 0.0f);
    EXPECT_EQ(t.triangle[0][512], 1.0f);
    EXPECT_EQ(t.triangle[0][1024], 0.0f);
    EXPECT_EQ(t.triangle[0][1536], -1.0f);
    EXPECT_FLOAT_EQ(t.triangle[0][256], 0.5f);
}

// Level k keeps the triangle's harmonics up to 2^(10 - k) (in their original
// proportions), nothing above them and no DC, at the peak of level 0.
TEST(OscillatorWavetables, TriangleLevelsAreBandLimitedAtFullPeak)
{
    const OscillatorWavetables& t = oscillatorWavetables();
    const std::vector<double> full = harmonics(t.triangle[0]);
    for (int32_t level = 1; level < kTriangleLevels; ++level) {
        SCOPED_TRACE(testing::Message() << "level " << level);
        const float* cycle = t.triangle[level];
        const float peak = *std::max_element(cycle, cycle + kWavetableSize, [](float a, float b) {
            return std::fabs(a) < std::fabs(b);
        });
        EXPECT_NEAR(std::fabs(peak), 1.0f, 1e-6f);
        const std::vector<double> kept = harmonics(cycle);
        const int32_t top = 1 << (10 - level);
        EXPECT_LT(kept[0], 1e-6);
        const double scale = kept[1] / full[1];
        for (int32_t h = 1; h <= kWavetableSize / 2; ++h) {
            if (h <= top)
                ASSERT_NEAR(kept[size_t(h)], full[size_t(h)] * scale, 1e-6) << "harmonic " << h;
            else
                ASSERT_LT(kept[size_t(h)], 1e-6) << "harmonic " << h;
        }
    }
    // The last level keeps the fundamental alone: the sine itself.
    for (int32_t i = 0; i < kWavetableSize; ++i)
        ASSERT_NEAR(t.triangle[kTriangleLevels - 1][i], t.sine[i], 2e-6) << i;
}

TEST(OscillatorWavetables, RefusesAnFFTOfAnotherLength)
{
    auto tables = std::make_unique<OscillatorWavetables>();
    tables->sine[7] = 42.0f;
    AM_RealFFT fft(1024);
    testsupport::TraceCapture trace;
    EXPECT_FALSE(fillOscillatorWavetables(*tables, fft));
    EXPECT_EQ(tables->sine[7], 42.0f);
    EXPECT_TRUE(trace.contains("fillOscillatorWavetables: the FFT has length 1024, not 2048"))
        << trace.text();

    AM_RealFFT right(kWavetableSize);
    EXPECT_TRUE(fillOscillatorWavetables(*tables, right));
    EXPECT_EQ(std::memcmp(tables.get(), &oscillatorWavetables(), sizeof(OscillatorWavetables)), 0);
}

} // namespace
