#include "engine/dsp/AM_RealFFT.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> randomSignal(int32_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> x(static_cast<size_t>(n));
    for (float& v : x)
        v = dist(rng);
    return x;
}

// The spectrum in the transform's layout, by the definition (double).
std::vector<double> naiveSpectrum(const std::vector<float>& x)
{
    const int32_t n = int32_t(x.size());
    std::vector<double> f(static_cast<size_t>(n), 0.0);
    for (int32_t k = 0; k <= n / 2; ++k) {
        double re = 0.0;
        double im = 0.0;
        for (int32_t t = 0; t < n; ++t) {
            const double angle = 2.0 * kPi * double((int64_t(k) * t) % n) / double(n);
            re += x[size_t(t)] * std::cos(angle);
            im += x[size_t(t)] * std::sin(angle);
        }
        f[size_t(k)] = re;
        if (k > 0 && k < n / 2)
            f[size_t(n / 2 + k)] = im;
    }
    return f;
}

// N times the signal of a spectrum in the transform's layout (double).
std::vector<double> naiveInverse(const std::vector<float>& f)
{
    const int32_t n = int32_t(f.size());
    std::vector<double> x(static_cast<size_t>(n), 0.0);
    for (int32_t t = 0; t < n; ++t) {
        double sum = f[0];
        if (n > 1)
            sum += (t % 2 ? -1.0 : 1.0) * f[size_t(n / 2)];
        for (int32_t k = 1; k < n / 2; ++k) {
            const double angle = 2.0 * kPi * double((int64_t(k) * t) % n) / double(n);
            sum += 2.0 * (f[size_t(k)] * std::cos(angle) + f[size_t(n / 2 + k)] * std::sin(angle));
        }
        x[size_t(t)] = sum;
    }
    return x;
}

double largestMagnitude(const std::vector<double>& v)
{
    double m = 0.0;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    return m;
}

constexpr double kRelativeTolerance = 1e-4;

TEST(AM_RealFFT, ForwardMatchesTheDefinitionForEveryPowerOfTwoUpTo2048)
{
    for (int32_t bits = 0; bits <= 11; ++bits) {
        const int32_t n = int32_t(1) << bits;
        SCOPED_TRACE(testing::Message() << "length " << n);
        AM_RealFFT fft(n);
        ASSERT_EQ(fft.length(), n);
        ASSERT_EQ(fft.bitCount(), bits);
        const std::vector<float> x = randomSignal(n, 1000u + uint32_t(bits));
        std::vector<float> f(static_cast<size_t>(n));
        fft.forward(f.data(), x.data());
        const std::vector<double> expected = naiveSpectrum(x);
        const double limit = kRelativeTolerance * largestMagnitude(expected);
        for (int32_t k = 0; k < n; ++k)
            ASSERT_NEAR(f[size_t(k)], expected[size_t(k)], limit) << "index " << k;
    }
}

TEST(AM_RealFFT, InverseMatchesTheDefinitionAndUndoesForwardTimesLength)
{
    for (int32_t bits = 0; bits <= 11; ++bits) {
        const int32_t n = int32_t(1) << bits;
        SCOPED_TRACE(testing::Message() << "length " << n);
        AM_RealFFT fft(n);

        const std::vector<float> spectrum = randomSignal(n, 2000u + uint32_t(bits));
        const std::vector<float> spectrumCopy = spectrum;
        std::vector<float> x(static_cast<size_t>(n));
        fft.inverse(spectrum.data(), x.data());
        EXPECT_EQ(spectrum, spectrumCopy) << "the spectrum is input only";
        const std::vector<double> expected = naiveInverse(spectrum);
        const double limit = kRelativeTolerance * largestMagnitude(expected);
        for (int32_t t = 0; t < n; ++t)
            ASSERT_NEAR(x[size_t(t)], expected[size_t(t)], limit) << "sample " << t;

        const std::vector<float> signal = randomSignal(n, 3000u + uint32_t(bits));
        std::vector<float> f(static_cast<size_t>(n));
        std::vector<float> back(static_cast<size_t>(n));
        fft.forward(f.data(), signal.data());
        fft.inverse(f.data(), back.data());
        for (int32_t t = 0; t < n; ++t)
            ASSERT_NEAR(back[size_t(t)], double(n) * signal[size_t(t)], kRelativeTolerance * n)
                << "sample " << t;
    }
}

TEST(AM_RealFFT, SmallLengthsUseTheirClosedForms)
{
    const float x[4] = {3.0f, -1.5f, 0.25f, 2.0f};

    AM_RealFFT one(1);
    float f1[1];
    float x1[1];
    one.forward(f1, x);
    EXPECT_EQ(f1[0], 3.0f);
    one.inverse(f1, x1);
    EXPECT_EQ(x1[0], 3.0f);

    AM_RealFFT two(2);
    float f2[2];
    float x2[2];
    two.forward(f2, x);
    EXPECT_EQ(f2[0], 1.5f);
    EXPECT_EQ(f2[1], 4.5f);
    two.inverse(f2, x2);
    EXPECT_EQ(x2[0], 6.0f);
    EXPECT_EQ(x2[1], -3.0f);

    AM_RealFFT four(4);
    float f4[4];
    four.forward(f4, x);
    EXPECT_EQ(f4[0], 3.0f - 1.5f + 0.25f + 2.0f);
    EXPECT_EQ(f4[1], 3.0f - 0.25f);
    EXPECT_EQ(f4[2], 3.0f + 0.25f - (-1.5f + 2.0f));
    EXPECT_EQ(f4[3], -1.5f - 2.0f);
    const float g[4] = {1.0f, 0.5f, -2.0f, 0.75f};
    float x4[4];
    four.inverse(g, x4);
    EXPECT_EQ(x4[0], 1.0f + -2.0f + 2.0f * 0.5f);
    EXPECT_EQ(x4[2], 1.0f + -2.0f - 2.0f * 0.5f);
    EXPECT_EQ(x4[1], 1.0f - -2.0f + 2.0f * 0.75f);
    EXPECT_EQ(x4[3], 1.0f - -2.0f - 2.0f * 0.75f);
}

TEST(AM_RealFFT, PureCosineAndSineLandInTheirBins)
{
    constexpr int32_t n = 64;
    constexpr int32_t bin = 5;
    std::vector<float> x(n);
    for (int32_t t = 0; t < n; ++t)
        x[size_t(t)] = float(std::cos(2.0 * kPi * bin * t / n) + std::sin(2.0 * kPi * 3 * t / n));
    AM_RealFFT fft(n);
    std::vector<float> f(n);
    fft.forward(f.data(), x.data());
    for (int32_t k = 0; k < n; ++k) {
        const double expected = k == bin ? n / 2.0 : (k == n / 2 + 3 ? n / 2.0 : 0.0);
        EXPECT_NEAR(f[size_t(k)], expected, 1e-4) << "index " << k;
    }
}

TEST(AM_RealFFT, LengthIsTheNearestPowerOfTwo)
{
    struct Case {
        int32_t requested;
        int32_t length;
    };
    const Case cases[] = {{-7, 1}, {0, 1},  {1, 1},   {2, 2},       {3, 4},       {5, 4},
                          {6, 8},  {11, 8}, {12, 16}, {1000, 1024}, {1500, 2048}, {2048, 2048}};
    for (const Case& c : cases) {
        AM_RealFFT fft(c.requested);
        EXPECT_EQ(fft.length(), c.length) << "requested " << c.requested;
        EXPECT_EQ(fft.requestedLength(), std::max(c.requested, 0));
    }
}

// A length that is not a power of two must keep to the caller's arrays: the
// guard zones around them stay untouched (and the sanitizer build checks the
// accesses themselves).
TEST(AM_RealFFT, OtherLengthsStayInsideTheCallersArrays)
{
    constexpr int32_t kGuard = 64;
    constexpr float kCanary = 12345.0f;
    for (int32_t requested : {0, 3, 5, 6, 7, 11, 12, 100, 1000, 1500}) {
        SCOPED_TRACE(testing::Message() << "requested " << requested);
        AM_RealFFT fft(requested);
        const size_t total = size_t(requested + 2 * kGuard);
        std::vector<float> in(total, kCanary);
        std::vector<float> out(total, kCanary);
        const std::vector<float> x = randomSignal(requested, 7u);
        std::copy(x.begin(), x.end(), in.begin() + kGuard);

        fft.forward(out.data() + kGuard, in.data() + kGuard);
        for (int32_t i = 0; i < kGuard; ++i) {
            ASSERT_EQ(out[size_t(i)], kCanary);
            ASSERT_EQ(out[total - 1 - size_t(i)], kCanary);
        }
        fft.inverse(out.data() + kGuard, in.data() + kGuard);
        for (int32_t i = 0; i < kGuard; ++i) {
            ASSERT_EQ(in[size_t(i)], kCanary);
            ASSERT_EQ(in[total - 1 - size_t(i)], kCanary);
        }
    }
}

TEST(AM_RealFFT, ShorterArraysAreZeroPaddedAndLongerOnesTruncatedWithZeros)
{
    const std::vector<float> x = randomSignal(5, 11u);

    // 3 requested, 4-point transform of x0 x1 x2 0, first 3 values returned.
    AM_RealFFT three(3);
    std::vector<float> f3(3);
    three.forward(f3.data(), x.data());
    const std::vector<double> padded = naiveSpectrum({x[0], x[1], x[2], 0.0f});
    for (int32_t k = 0; k < 3; ++k)
        EXPECT_NEAR(f3[size_t(k)], padded[size_t(k)], 1e-6);

    // 5 requested, 4-point transform of x0..x3, the fifth value 0.
    AM_RealFFT five(5);
    std::vector<float> f5(5, 99.0f);
    five.forward(f5.data(), x.data());
    const std::vector<double> head = naiveSpectrum({x[0], x[1], x[2], x[3]});
    for (int32_t k = 0; k < 4; ++k)
        EXPECT_NEAR(f5[size_t(k)], head[size_t(k)], 1e-6);
    EXPECT_EQ(f5[4], 0.0f);
    std::vector<float> back(5, 99.0f);
    five.inverse(f5.data(), back.data());
    for (int32_t t = 0; t < 4; ++t)
        EXPECT_NEAR(back[size_t(t)], 4.0 * x[size_t(t)], 1e-5);
    EXPECT_EQ(back[4], 0.0f);
}

TEST(AM_RealFFT, TransformsAllocateNothing)
{
    for (int32_t requested : {2048, 1000}) {
        AM_RealFFT fft(requested);
        std::vector<float> x = randomSignal(requested, 5u);
        std::vector<float> f(static_cast<size_t>(requested));
        testsupport::AllocationCounter counter;
        fft.forward(f.data(), x.data());
        fft.inverse(f.data(), x.data());
        EXPECT_EQ(counter.count(), 0u) << "requested " << requested;
    }
}

} // namespace
