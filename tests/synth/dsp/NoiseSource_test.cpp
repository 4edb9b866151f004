#include "synth/dsp/NoiseSource.h"

#include "synth/dsp/ComplexFFT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using synthdsp::generateNoise;
using synthdsp::NoiseState;

constexpr float kSamplePeriod = 1.0f / 44100.0f;

struct Colours {
    std::vector<float> white, red, pink;
};

Colours generate(NoiseState& state, uint32_t& generator, int32_t count)
{
    const size_t size = static_cast<size_t>(std::max(count, int32_t(0)));
    Colours c{std::vector<float>(size), std::vector<float>(size), std::vector<float>(size)};
    generateNoise(state, generator, kSamplePeriod, count, c.white.data(), c.red.data(),
                  c.pink.data());
    return c;
}

TEST(NoiseSource, WhiteValuesComeFromTheGeneratorsLow23Bits)
{
    struct Case {
        uint32_t state;
        float white;
    };
    const Case cases[] = {{0u, -1.0f},
                          {0x7FFFFFu, 1.0f - 2.0f * 1.1920929e-7f},
                          {0x400000u, 0.0f},
                          {0xFF800000u, -1.0f}};
    for (const Case& c : cases)
        EXPECT_EQ(synthdsp::whiteFromNoiseState(c.state), c.white) << c.state;
    // The sequence starting from 0 (the state at load).
    EXPECT_EQ(synthdsp::nextNoiseState(0u), uint32_t(0u - 483207709u));
    EXPECT_EQ(synthdsp::nextNoiseState(1u), uint32_t(1645983751u - 483207709u));
}

TEST(NoiseSource, SplitCallsContinueTheSameStreams)
{
    NoiseState a;
    uint32_t ga = 0;
    const Colours whole = generate(a, ga, 300);
    NoiseState b;
    uint32_t gb = 0;
    Colours parts = generate(b, gb, 17);
    for (int32_t count : {0, -5, 64, 219}) {
        const Colours more = generate(b, gb, count);
        parts.white.insert(parts.white.end(), more.white.begin(), more.white.end());
        parts.red.insert(parts.red.end(), more.red.begin(), more.red.end());
        parts.pink.insert(parts.pink.end(), more.pink.begin(), more.pink.end());
    }
    EXPECT_EQ(parts.white, whole.white);
    EXPECT_EQ(parts.red, whole.red);
    EXPECT_EQ(parts.pink, whole.pink);
    EXPECT_EQ(gb, ga);
}

// Red and pink follow their recurrences: red is white through the bilinear
// one-pole at 10 Hz, times 16; pink refreshes one of the rows 2 to 10 per
// sample (2, 3, 2, 4, 2, 3, 2, 5, ... and row 10 once in 256), keeps a leaky
// running sum of the white differences minus the replaced row, and reads it
// at 1/8.
TEST(NoiseSource, RedAndPinkFollowTheirRecurrences)
{
    constexpr int32_t kCount = 700;
    NoiseState state;
    uint32_t generator = 0;
    const Colours c = generate(state, generator, kCount);

    const float t = float(std::tan(10.0 * std::acos(-1.0) * double(kSamplePeriod)));
    const float a = t / (t + 1.0f), b = (t - 1.0f) / (t + 1.0f);
    float previous = 0.0f, y = 0.0f;
    float rows[11] = {};
    float sum = 0.0f, previousWhite = 0.0f;
    std::vector<int32_t> order;
    for (int32_t n = 0; n < kCount; ++n) {
        const float white = c.white[size_t(n)];
        y = (white + previous) * a - b * y;
        previous = white;
        ASSERT_NEAR(c.red[size_t(n)], 16.0f * y, 1e-6f) << n;

        int32_t row = 2;
        for (uint32_t v = uint32_t(n % 256) + 1; (v & 1u) == 0; v >>= 1)
            ++row;
        order.push_back(row);
        sum += white - previousWhite;
        previousWhite = white;
        sum -= rows[row];
        rows[row] = white;
        ASSERT_NEAR(c.pink[size_t(n)], sum * 0.125f, 1e-6f) << n;
        sum *= 0.99f;
    }
    EXPECT_EQ(std::vector<int32_t>(order.begin(), order.begin() + 8),
              (std::vector<int32_t>{2, 3, 2, 4, 2, 3, 2, 5}));
    EXPECT_EQ(order[255], 10);
    EXPECT_EQ(order[511], 10);
    EXPECT_EQ(state.sampleCounter, uint32_t(kCount));
}

// Average power per octave band, in dB, of each colour.
TEST(NoiseSource, ColoursFallByTheirSlopes)
{
    constexpr int32_t kSize = 1 << 14;
    constexpr int32_t kSegments = 24;
    NoiseState state;
    uint32_t generator = 0;
    std::vector<double> power[3];
    for (auto& p : power)
        p.assign(kSize / 2, 0.0);
    const synthdsp::ComplexFFT fft(kSize);
    std::vector<double> data(2 * size_t(kSize));
    double whiteSum = 0.0;
    double whiteSquares = 0.0;
    for (int32_t s = 0; s < kSegments; ++s) {
        const Colours c = generate(state, generator, kSize);
        const std::vector<float>* colours[3] = {&c.white, &c.red, &c.pink};
        for (int colour = 0; colour < 3; ++colour) {
            for (int32_t i = 0; i < kSize; ++i) {
                const double window = 0.5 - 0.5 * std::cos(2.0 * std::acos(-1.0) * i / kSize);
                data[2 * size_t(i)] = (*colours[colour])[size_t(i)] * window;
                data[2 * size_t(i) + 1] = 0.0;
            }
            fft.forward(data.data());
            for (int32_t k = 0; k < kSize / 2; ++k)
                power[colour][size_t(k)] += data[2 * size_t(k)] * data[2 * size_t(k)] +
                                            data[2 * size_t(k) + 1] * data[2 * size_t(k) + 1];
        }
        for (float w : c.white) {
            ASSERT_GE(w, -1.0f);
            ASSERT_LT(w, 1.0f);
            whiteSum += w;
            whiteSquares += double(w) * w;
        }
    }
    const double n = double(kSize) * kSegments;
    EXPECT_NEAR(whiteSum / n, 0.0, 0.01);
    EXPECT_NEAR(whiteSquares / n, 1.0 / 3.0, 0.01);

    const auto bandDb = [&](int colour, double low) {
        const int32_t a = int32_t(low * kSize * kSamplePeriod);
        const int32_t b = int32_t(2.0 * low * kSize * kSamplePeriod);
        double sum = 0.0;
        for (int32_t k = a; k < b; ++k)
            sum += power[colour][size_t(k)];
        return 10.0 * std::log10(sum / (b - a));
    };
    // Octaves from 80 Hz to 5 kHz (above, the red low-pass bends toward its zero at Nyquist).
    for (double low = 80.0; low < 3000.0; low *= 2.0) {
        SCOPED_TRACE(testing::Message() << "octave from " << low << " Hz");
        const double white = bandDb(0, 2.0 * low) - bandDb(0, low);
        const double red = bandDb(1, 2.0 * low) - bandDb(1, low);
        const double pink = bandDb(2, 2.0 * low) - bandDb(2, low);
        EXPECT_NEAR(white, 0.0, 0.5);
        EXPECT_NEAR(red, -6.0, 1.0); // one pole at 10 Hz
        EXPECT_LT(pink, -2.0);       // between white and red
        EXPECT_GT(pink, -6.5);
    }
}

} // namespace
