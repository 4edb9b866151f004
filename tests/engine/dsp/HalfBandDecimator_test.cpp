#include "engine/dsp/HalfBandDecimator.h"

#include "engine/dsp/AM_RealFFT.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using enginedsp::decimateHalfBand;
using enginedsp::HalfBandState;

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kOversampling = 4;
constexpr int32_t kBlock = 64;      // output samples per call, as a voice block
constexpr int32_t kSettle = 4096;   // output samples discarded (the filter's memory)
constexpr int32_t kAnalysis = 8192; // output samples analysed
constexpr int32_t kFloatsPerOutput = 2 * kOversampling; // 4 frames of 2 channels

// A voice's decimator: two states and an aligned work buffer for one block.
class DecimatorChain {
public:
    explicit DecimatorChain(int32_t maxBlock = kBlock)
        : work_(size_t(kFloatsPerOutput * maxBlock) + 4)
    {
    }

    float* work()
    {
        // 16-byte aligned start inside the vector.
        auto address = reinterpret_cast<uintptr_t>(work_.data());
        return work_.data() + ((16 - address % 16) % 16) / sizeof(float);
    }

    void run(float* left, float* right, int32_t n)
    {
        decimateHalfBand(left, right, work(), n, a_, b_);
    }

    HalfBandState a_;
    HalfBandState b_;

private:
    std::vector<float> work_;
};

struct StereoOutput {
    std::vector<float> left;
    std::vector<float> right;
};

// Feeds `outputs` output samples' worth of input, left(t) and right(t) with t
// counted in frames of the oversampled rate, in blocks of `block`.
template <typename Left, typename Right>
StereoOutput render(Left leftInput, Right rightInput, int32_t outputs, int32_t block = kBlock)
{
    DecimatorChain chain(block);
    StereoOutput out{std::vector<float>(size_t(outputs)), std::vector<float>(size_t(outputs))};
    int64_t frame = 0;
    for (int32_t done = 0; done < outputs; done += block) {
        float* w = chain.work();
        for (int32_t i = 0; i < kOversampling * block; ++i, ++frame) {
            w[2 * i] = float(leftInput(frame));
            w[2 * i + 1] = float(rightInput(frame));
        }
        chain.run(out.left.data() + done, out.right.data() + done, block);
    }
    return out;
}

// Amplitude of the component at `cycles` cycles over the analysed span (an
// integer, so a rectangular window has no leakage).
double amplitudeAt(const std::vector<float>& y, int32_t cycles)
{
    double re = 0.0;
    double im = 0.0;
    for (int32_t t = 0; t < kAnalysis; ++t) {
        const double angle = 2.0 * kPi * double(int64_t(cycles) * t % kAnalysis) / kAnalysis;
        const double v = y[size_t(kSettle + t)];
        re += v * std::cos(angle);
        im += v * std::sin(angle);
    }
    const double scale = (cycles == 0 || 2 * cycles == kAnalysis) ? 1.0 : 2.0;
    return scale * std::hypot(re, im) / kAnalysis;
}

// Gain in dB of the whole 4-to-1 chain for a sine at `cycles` / kAnalysis of
// the output rate (up to twice the output rate, the oversampled Nyquist).
// The output is read where the sine lands after decimation. Left carries a
// sine, right a cosine of the same frequency.
struct ChannelGains {
    double left;
    double right;
};

ChannelGains chainGainDb(int32_t cycles)
{
    const double perFrame = double(cycles) / (double(kAnalysis) * kOversampling);
    const StereoOutput out = render(
        [perFrame](int64_t t) {
            return std::sin(2.0 * kPi * std::fmod(perFrame * double(t), 1.0));
        },
        [perFrame](int64_t t) {
            return std::cos(2.0 * kPi * std::fmod(perFrame * double(t), 1.0));
        },
        kSettle + kAnalysis);
    // Fold the frequency into the output band.
    int32_t landed = cycles % kAnalysis;
    landed = std::min(landed, kAnalysis - landed);
    // A sine sampled at its zero crossings (landing on 0 or Nyquist) carries
    // nothing; the cosine channel still measures those.
    const double inputAmplitude = 1.0;
    const auto db = [&](const std::vector<float>& y) {
        return 20.0 * std::log10(std::max(amplitudeAt(y, landed), 1e-20) / inputAmplitude);
    };
    return {db(out.left), db(out.right)};
}

int32_t cyclesFor(double fractionOfOutputRate)
{
    return int32_t(std::lround(fractionOfOutputRate * kAnalysis));
}

TEST(HalfBandDecimator, ConstantInputSettlesToTheSameConstant)
{
    // A few single-precision steps of rounding through twelve sections.
    constexpr float kFloatTolerance = 4e-6f;
    const StereoOutput out =
        render([](int64_t) { return 0.7; }, [](int64_t) { return -0.3; }, 2048);
    for (int32_t i = 1024; i < 2048; ++i) {
        ASSERT_NEAR(out.left[size_t(i)], 0.7f, kFloatTolerance) << "sample " << i;
        ASSERT_NEAR(out.right[size_t(i)], -0.3f, kFloatTolerance) << "sample " << i;
    }
}

TEST(HalfBandDecimator, PassbandIsFlatWithinAHundredthOfADecibelUpTo045OfTheOutputRate)
{
    double worst = 0.0;
    double worstAt = 0.0;
    for (double f = 0.01; f <= 0.4501; f += 0.01) {
        const ChannelGains g = chainGainDb(cyclesFor(f));
        for (double db : {g.left, g.right}) {
            if (std::fabs(db) > std::fabs(worst)) {
                worst = db;
                worstAt = f;
            }
        }
    }
    std::printf("passband: largest deviation %.5f dB at %.3f of the output rate\n", worst, worstAt);
    EXPECT_LT(std::fabs(worst), 0.01) << "at " << worstAt;
}

TEST(HalfBandDecimator, StopbandFrom054OfTheOutputRateUpToTheOversampledNyquist)
{
    // Finely near the band edge, then across the whole rejected range.
    std::vector<double> frequencies;
    for (double f = 0.54; f < 0.62; f += 0.004)
        frequencies.push_back(f);
    for (double f = 0.62; f <= 2.0; f += 0.02)
        frequencies.push_back(f);
    for (double f = 1.38; f < 1.46; f += 0.004)
        frequencies.push_back(f);

    double worst = -1000.0;
    double worstAt = 0.0;
    for (double f : frequencies) {
        const ChannelGains g = chainGainDb(cyclesFor(f));
        for (double db : {g.left, g.right}) {
            if (db > worst) {
                worst = db;
                worstAt = f;
            }
        }
    }
    std::printf("stopband: weakest rejection %.2f dB at %.3f of the output rate\n", worst, worstAt);
    EXPECT_LE(worst, -100.0) << "at " << worstAt;
}

// The chain is linear: filtering at the oversampled rate, then keeping every
// fourth frame. Impulses at the four frame phases give every tap of the
// equivalent oversampled-rate filter, whose spectrum then shows the gain at
// every frequency on a dense grid (aliases land with the same gain).
std::vector<double> equivalentMagnitudeDb(int32_t taps)
{
    const int32_t outputs = taps / kOversampling;
    std::vector<float> h(static_cast<size_t>(taps), 0.0f);
    for (int32_t phase = 0; phase < kOversampling; ++phase) {
        const StereoOutput out = render([phase](int64_t t) { return t == phase ? 1.0 : 0.0; },
                                        [](int64_t) { return 0.0; }, outputs);
        // Output m is h[4m - phase].
        for (int32_t m = 0; m < outputs; ++m) {
            const int32_t tap = kOversampling * m - phase;
            if (tap >= 0)
                h[size_t(tap)] = out.left[size_t(m)];
        }
    }
    AM_RealFFT fft(taps);
    std::vector<float> spectrum(static_cast<size_t>(taps));
    fft.forward(spectrum.data(), h.data());
    std::vector<double> db(static_cast<size_t>(taps / 2 + 1));
    for (int32_t k = 0; k <= taps / 2; ++k) {
        const double im = (k == 0 || k == taps / 2) ? 0.0 : spectrum[size_t(taps / 2 + k)];
        db[size_t(k)] = 20.0 * std::log10(std::max(std::hypot(spectrum[size_t(k)], im), 1e-20));
    }
    return db;
}

TEST(HalfBandDecimator, DenseResponseOfTheEquivalentFilter)
{
    constexpr int32_t kTaps = 32768;
    const std::vector<double> db = equivalentMagnitudeDb(kTaps);
    // Bin k lies at k * 4 / kTaps of the output rate.
    const auto at = [](int32_t k) { return double(k) * kOversampling / kTaps; };
    double passWorst = 0.0;
    double stopWorst = -1000.0;
    double stopWorstAt = 0.0;
    int32_t lastAbove = 0; // last bin that is not at least 100 dB down
    for (int32_t k = 0; k <= kTaps / 2; ++k) {
        if (at(k) <= 0.45)
            passWorst = std::max(passWorst, std::fabs(db[size_t(k)]));
        if (db[size_t(k)] > -100.0)
            lastAbove = k;
        if (at(k) >= 0.54 && db[size_t(k)] > stopWorst) {
            stopWorst = db[size_t(k)];
            stopWorstAt = at(k);
        }
    }
    std::printf("equivalent filter: passband deviation %.2e dB up to 0.45; stopband peak %.2f dB "
                "at %.4f; 100 dB down from %.4f of the output rate\n",
                passWorst, stopWorst, stopWorstAt, at(lastAbove + 1));
    EXPECT_LT(passWorst, 0.01);
    EXPECT_LE(stopWorst, -100.0) << "at " << stopWorstAt;
}

TEST(HalfBandDecimator, ChannelsStayApart)
{
    const StereoOutput out = render([](int64_t t) { return std::sin(0.01 * double(t)); },
                                    [](int64_t) { return 0.0; }, 512);
    for (float v : out.right)
        ASSERT_EQ(v, 0.0f);
}

TEST(HalfBandDecimator, BlockLengthDoesNotChangeTheOutput)
{
    const auto saw = [](int64_t t) { return double(t % 37) / 18.0 - 1.0; };
    const auto noiseLike = [](int64_t t) { return std::sin(double(t) * double(t) * 1e-4); };
    const StereoOutput reference = render(saw, noiseLike, 1024, 64);
    for (int32_t block : {4, 16, 128}) {
        const StereoOutput other = render(saw, noiseLike, 1024, block);
        EXPECT_EQ(other.left, reference.left) << "block " << block;
        EXPECT_EQ(other.right, reference.right) << "block " << block;
    }
}

TEST(HalfBandDecimator, OnlyWholeGroupsOfFourAreProduced)
{
    constexpr float kUntouched = -777.0f;
    struct Case {
        int32_t n;
        int32_t written;
    };
    const Case cases[] = {{-4, 0}, {0, 0}, {1, 0}, {3, 0}, {4, 4}, {7, 4}, {9, 8}, {15, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n);
        const int32_t frames = kOversampling * std::max(c.n, 0);
        DecimatorChain chain;
        DecimatorChain whole; // the same input cut to the whole groups
        std::vector<float> input(size_t(2 * frames));
        for (size_t i = 0; i < input.size(); ++i)
            input[i] = float(std::sin(0.3 * double(i)));
        std::copy(input.begin(), input.end(), chain.work());
        std::copy(input.begin(), input.end(), whole.work());

        std::vector<float> left(16, kUntouched);
        std::vector<float> right(16, kUntouched);
        chain.run(left.data(), right.data(), c.n);
        std::vector<float> wholeLeft(16, kUntouched);
        std::vector<float> wholeRight(16, kUntouched);
        whole.run(wholeLeft.data(), wholeRight.data(), c.written);

        for (int32_t i = 0; i < 16; ++i) {
            if (i < c.written) {
                EXPECT_NE(left[size_t(i)], kUntouched) << "sample " << i;
                EXPECT_EQ(left[size_t(i)], wholeLeft[size_t(i)]) << "sample " << i;
                EXPECT_EQ(right[size_t(i)], wholeRight[size_t(i)]) << "sample " << i;
            } else {
                EXPECT_EQ(left[size_t(i)], kUntouched) << "sample " << i;
                EXPECT_EQ(right[size_t(i)], kUntouched) << "sample " << i;
            }
        }
    }
}

TEST(HalfBandDecimator, AfterADroppedRemainderTheNextCallContinuesTheStream)
{
    // The frames of an unwritten remainder still pass through both filters:
    // a call of n = 6 (4 samples written) followed by one of n = 10 (8
    // written) gives the samples 6 to 13 of one call of n = 16 over the same
    // input, bit for bit, and leaves the same filter states.
    constexpr int32_t kFirst = 6;
    constexpr int32_t kSecond = 10;
    constexpr int32_t kSecondWritten = 8;
    constexpr int32_t kWhole = 16;
    std::vector<float> input(size_t(kFloatsPerOutput * kWhole));
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = float(std::sin(0.37 * double(i)) + 0.25 * std::cos(0.05 * double(i)));

    DecimatorChain whole(kWhole);
    std::copy(input.begin(), input.end(), whole.work());
    std::vector<float> wholeLeft(kWhole);
    std::vector<float> wholeRight(kWhole);
    whole.run(wholeLeft.data(), wholeRight.data(), kWhole);

    DecimatorChain split(kWhole);
    std::vector<float> left(kWhole);
    std::vector<float> right(kWhole);
    std::copy_n(input.begin(), kFloatsPerOutput * kFirst, split.work());
    split.run(left.data(), right.data(), kFirst);
    std::copy_n(input.begin() + kFloatsPerOutput * kFirst, kFloatsPerOutput * kSecond,
                split.work());
    split.run(left.data(), right.data(), kSecond);

    for (int32_t i = 0; i < kSecondWritten; ++i) {
        EXPECT_EQ(left[size_t(i)], wholeLeft[size_t(kFirst + i)]) << "sample " << i;
        EXPECT_EQ(right[size_t(i)], wholeRight[size_t(kFirst + i)]) << "sample " << i;
    }
    EXPECT_EQ(0, std::memcmp(&split.a_, &whole.a_, sizeof(HalfBandState)));
    EXPECT_EQ(0, std::memcmp(&split.b_, &whole.b_, sizeof(HalfBandState)));
}

// Two voices of equal channels decimated together give each voice's
// samples and states of its own decimation, bit for bit, over blocks of any
// length (a remainder that is not written included).
TEST(HalfBandDecimator, PairOfVoicesIsEachVoiceAlone)
{
    uint32_t seed = 1;
    const auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(int32_t(seed >> 8) - (1 << 23)) / float(1 << 22);
    };
    HalfBandState alone[2][2] = {};
    HalfBandState paired[2][2] = {};
    constexpr int32_t kMaxN = 64;
    for (int32_t n : {64, 3, 18, 16, 64}) {
        SCOPED_TRACE(n);
        const int32_t floats = 8 * n;
        alignas(16) float work[2][8 * kMaxN];
        alignas(16) float copy[8 * kMaxN];
        alignas(16) float scratch[8 * kMaxN];
        for (auto& w : work) {
            for (int32_t i = 0; i < floats; i += 2)
                w[i] = w[i + 1] = noise();
        }
        std::vector<float> expected[2] = {std::vector<float>(size_t(n)),
                                          std::vector<float>(size_t(n))};
        std::vector<float> right(static_cast<size_t>(n));
        for (int32_t v = 0; v < 2; ++v) {
            std::copy_n(work[v], floats, copy);
            decimateHalfBand(expected[v].data(), right.data(), copy, n, alone[v][0], alone[v][1]);
        }
        std::vector<float> out[2] = {std::vector<float>(size_t(n)), std::vector<float>(size_t(n))};
        decimateHalfBandPair(out[0].data(), out[1].data(), work[0], work[1], scratch, n,
                             paired[0][0], paired[0][1], paired[1][0], paired[1][1]);
        for (int32_t v = 0; v < 2; ++v) {
            EXPECT_EQ(out[v], expected[v]) << "voice " << v;
            EXPECT_EQ(0, std::memcmp(&paired[v][0], &alone[v][0], sizeof(HalfBandState)));
            EXPECT_EQ(0, std::memcmp(&paired[v][1], &alone[v][1], sizeof(HalfBandState)));
        }
    }
}

TEST(HalfBandDecimator, DecimationAllocatesNothing)
{
    DecimatorChain chain;
    std::fill_n(chain.work(), kFloatsPerOutput * kBlock, 0.5f);
    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    testsupport::AllocationCounter counter;
    chain.run(left.data(), right.data(), kBlock);
    EXPECT_EQ(counter.count(), 0u);
}

} // namespace
