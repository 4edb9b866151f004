// The filter stage in voice lanes against the one-voice kernel: random
// settings of every kind the lanes take (pole counts, the resonance boost,
// feedback, ring modulator, filter FM, mix spread, knees), random inputs,
// groups of 1 to 8 voices with the voices' settings apart, over several
// blocks; both widths (SSE2 always, AVX2 where the processor has it). The
// output frames and every state must match bit for bit.

#include "synth/dsp/FilterLanes.h"

#include "synth/dsp/BiquadDesign.h"
#include "synth/dsp/PitchTable.h"
#include "synth/dsp/StateVariableHighpass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

using synthdsp::FilterLane;
using synthdsp::FilterSettings;
using synthdsp::FilterState;

constexpr int32_t kFrames = 256;
constexpr int32_t kSteps = kFrames / 16;
constexpr float kPeriod = 1.0f / 44100.0f;

// One voice's inputs and two copies of its state: one for each path.
struct Voice {
    FilterSettings settings;
    synthdsp::FilterBlock block{};
    std::array<float, kSteps> key{}, fm1{}, fm2{}, crossMod{};
    std::vector<float> mix, osc1, osc2, sub, pink;
    FilterState one{}, laned{};
    alignas(16) float workOne[2 * kFrames];
    alignas(16) float workLaned[2 * kFrames];
};

// Settings of one lane key, apart in everything else.
FilterSettings randomSettings(std::mt19937& rng, int32_t poles, bool boosted, bool feedback)
{
    auto uniform = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    FilterSettings s;
    s.mode = 0;
    s.poles = poles;
    s.resonance = boosted ? uniform(81.0f, 100.0f) : uniform(0.0f, 80.0f);
    s.feedbackVolume = feedback ? uniform(-99.0f, 25.0f) : -100.0f;
    s.ringModVolume = uniform(0.0f, 1.0f) < 0.5f ? -100.0f : uniform(-99.0f, 25.0f);
    s.ringModIn1 = std::uniform_int_distribution<int32_t>(0, 4)(rng);
    s.ringModIn2 = std::uniform_int_distribution<int32_t>(0, 2)(rng);
    s.cutoff = uniform(30.0f, 150.0f);
    s.fmDepth1 = uniform(-120.0f, 120.0f);
    s.fmDepth2 = uniform(-120.0f, 120.0f);
    s.keyFollow = uniform(0.0f, 100.0f);
    s.mixSpread = uniform(0.0f, 100.0f);
    s.audioRateDest = uniform(0.0f, 1.0f) < 0.5f ? 2 : 0;
    s.xModDepth = uniform(0.0f, 100.0f);
    s.headroom1 = uniform(1.0f, 100.0f);
    s.clipping1 = uniform(-1.0f, 16.0f);
    s.detune = uniform(-50.0f, 50.0f);
    s.voiceRow = uniform(-1.0f, 1.0f);
    return s;
}

void fill(std::mt19937& rng, Voice& v, float level)
{
    std::normal_distribution<float> noise(0.0f, level);
    for (auto* row : {&v.key, &v.fm1, &v.fm2, &v.crossMod})
        for (float& x : *row)
            x = std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng);
    v.mix.resize(kFrames);
    v.osc1.resize(kFrames);
    v.osc2.resize(kFrames);
    v.sub.resize(kFrames);
    v.pink.resize(kFrames / 4);
    for (auto* row : {&v.mix, &v.osc1, &v.osc2, &v.sub, &v.pink})
        for (float& x : *row)
            x = noise(rng);
    for (int32_t n = 0; n < kFrames; ++n) {
        v.workOne[2 * n] = v.workLaned[2 * n] = v.mix[size_t(n)];
        v.workOne[2 * n + 1] = v.workLaned[2 * n + 1] = v.osc1[size_t(n)];
    }
}

// The feedback biquads as the voice designs and ramps them.
void rampFeedback(FilterState& st, bool reset)
{
    const auto design =
        synthdsp::lowpassBiquadFloat(synthdsp::pitchTable(), 125.0f, 0.7f, kPeriod / 4.0f);
    for (auto& b : st.feedbackLowpass)
        synthdsp::biquadRampFloat(b, design, 1.0f / float(kFrames), reset);
}

void expectSame(const Voice& v, int32_t block)
{
    SCOPED_TRACE(block);
    EXPECT_EQ(std::memcmp(v.workOne, v.workLaned, sizeof(v.workOne)), 0);
    EXPECT_EQ(std::memcmp(v.one.band, v.laned.band, sizeof(v.one.band)), 0);
    EXPECT_EQ(std::memcmp(v.one.low, v.laned.low, sizeof(v.one.low)), 0);
    EXPECT_EQ(std::memcmp(v.one.laneOutput, v.laned.laneOutput, sizeof(v.one.laneOutput)), 0);
    EXPECT_EQ(
        std::memcmp(v.one.feedbackLowpass, v.laned.feedbackLowpass, sizeof(v.one.feedbackLowpass)),
        0);
    EXPECT_EQ(std::memcmp(&v.one.feedback, &v.laned.feedback, sizeof(float)), 0);
    EXPECT_EQ(v.one.lastCoefficient, v.laned.lastCoefficient);
    EXPECT_EQ(v.one.lastDamping, v.laned.lastDamping);
}

// The kernels: 4 SSE2 lanes, 8 lanes of two SSE2 vectors, 8 AVX2 lanes.
enum class Kernel { sse2, sse2Pair, avx2 };

void runCase(uint32_t seed, int32_t count, Kernel kernel)
{
    std::mt19937 rng(seed);
    const int32_t poles = std::uniform_int_distribution<int32_t>(0, 2)(rng);
    const bool boosted = (seed & 1) != 0;
    const bool feedback = (seed & 2) != 0;
    // Loud inputs drive every saturator past its knee.
    const float level = (seed & 4) != 0 ? 4.0f : 0.3f;
    std::vector<Voice> voices(static_cast<size_t>(count));
    for (Voice& v : voices) {
        v.settings = randomSettings(rng, poles, boosted, feedback);
        v.block = synthdsp::makeFilterBlock(v.settings, kPeriod);
        ASSERT_TRUE(synthdsp::filterRunsInLanes(v.block));
        ASSERT_EQ(synthdsp::filterLaneKey(v.block), synthdsp::filterLaneKey(voices[0].block));
    }
    constexpr int32_t kColumns = synthdsp::kMaxFilterLanes;
    std::vector<float> input(size_t(kFrames * kColumns), 0.0f);
    std::vector<float> control(size_t(synthdsp::kLaneControlFloats * kFrames * kColumns), 0.0f);
    for (int32_t block = 0; block < 3; ++block) {
        std::vector<FilterLane> lanes;
        // Filter FM (controls frame by frame) in some steps of some voices.
        uint8_t perFrameSteps[kSteps] = {};
        for (Voice& v : voices) {
            fill(rng, v, level);
            const bool steady = std::uniform_int_distribution<int32_t>(0, 1)(rng) == 0;
            for (float& x : v.crossMod) {
                if (steady || std::uniform_int_distribution<int32_t>(0, 1)(rng) == 0)
                    x = 0.0f;
            }
            if (feedback) {
                rampFeedback(v.one, block == 0);
                rampFeedback(v.laned, block == 0);
            }
            synthdsp::markPerFrameSteps(
                v.block, {v.key.data(), v.fm1.data(), v.fm2.data(), v.crossMod.data()}, kFrames,
                perFrameSteps);
        }
        for (Voice& v : voices) {
            const synthdsp::FilterRows rows{v.key.data(), v.fm1.data(), v.fm2.data(),
                                            v.crossMod.data()};
            synthdsp::processFilterLPHP(
                v.one, v.block, rows, kFrames,
                {v.workOne, v.osc1.data(), v.osc2.data(), v.sub.data(), v.pink.data()});
            synthdsp::prepareFilterLane(
                v.laned, v.block, rows, kFrames,
                {v.workLaned, v.osc1.data(), v.osc2.data(), v.sub.data(), v.pink.data()},
                input.data() + lanes.size(), control.data() + lanes.size(), perFrameSteps);
            lanes.push_back({&v.laned, &v.block, v.workLaned});
        }
        synthdsp::clipLaneInputs(input.data(), kFrames * kColumns);
        const synthdsp::FilterLaneRows rows{input.data(), control.data(), perFrameSteps};
        if (kernel == Kernel::avx2)
            synthdsp::processFilterLanes8(lanes.data(), count, kFrames, rows, 0);
        else if (kernel == Kernel::sse2Pair)
            synthdsp::processFilterLanes8Sse2(lanes.data(), count, kFrames, rows, 0);
        else
            for (int32_t i = 0; i < count; i += 4)
                synthdsp::processFilterLanes4(lanes.data() + i, std::min(4, count - i), kFrames,
                                              rows, i);
        for (const Voice& v : voices)
            expectSame(v, block);
    }
}

TEST(FilterLanes, EveryLaneIsTheOneVoiceKernelBitForBit)
{
    for (Kernel kernel : {Kernel::sse2, Kernel::sse2Pair, Kernel::avx2}) {
        if (kernel == Kernel::avx2 && !synthdsp::processorHasAvx2())
            continue;
        for (uint32_t seed = 0; seed < 24; ++seed) {
            for (int32_t count : {1, 3, 4, 5, 8}) {
                SCOPED_TRACE(testing::Message() << "kernel " << int(kernel) << " seed " << seed
                                                << " voices " << count);
                runCase(seed, count, kernel);
                if (HasFatalFailure())
                    return;
            }
        }
    }
}

// The key-tracked high-pass in lanes of doubles: random tunings gliding
// toward random targets, resets, every lane count; both widths.
TEST(FilterLanes, HighpassLanesAreTheOneVoiceFilterBitForBit)
{
    std::mt19937 rng(7);
    auto uniform = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    constexpr int32_t kStride = 2;
    // 2 SSE2 lanes, 4 as two SSE2 vectors (width 3 here), 4 AVX2 lanes.
    for (int32_t width : {2, 3, 4}) {
        if (width == 4 && !synthdsp::processorHasAvx2())
            continue;
        for (int32_t count = 1; count <= (width == 2 ? 2 : 4); ++count) {
            SCOPED_TRACE(testing::Message() << "width " << width << " voices " << count);
            std::vector<synthdsp::StateVariableHighpass> one(static_cast<size_t>(count)),
                laned(static_cast<size_t>(count));
            std::vector<std::vector<float>> a(static_cast<size_t>(count)),
                b(static_cast<size_t>(count));
            for (int32_t block = 0; block < 4; ++block) {
                std::vector<synthdsp::StateVariableHighpass*> filters;
                std::vector<float*> samples;
                for (int32_t v = 0; v < count; ++v) {
                    const auto tuning = synthdsp::stateVariableHighpassTuning(
                        uniform(0.0, 150.0), uniform(0.0, 10.0), 1.0 / 176400.0);
                    const bool reset = block == 0 || uniform(0.0, 1.0) < 0.2;
                    synthdsp::stateVariableHighpassRamp(one[size_t(v)], tuning, 1.0 / kFrames,
                                                        reset);
                    synthdsp::stateVariableHighpassRamp(laned[size_t(v)], tuning, 1.0 / kFrames,
                                                        reset);
                    auto& x = a[size_t(v)];
                    x.resize(kStride * kFrames);
                    for (float& f : x)
                        f = float(uniform(-2.0, 2.0));
                    b[size_t(v)] = x;
                    synthdsp::stateVariableHighpassProcess(one[size_t(v)], x.data(), kFrames,
                                                           kStride);
                    filters.push_back(&laned[size_t(v)]);
                    samples.push_back(b[size_t(v)].data());
                }
                if (width == 4)
                    synthdsp::processHighpassLanes4(filters.data(), samples.data(), count, kFrames,
                                                    kStride);
                else if (width == 3)
                    synthdsp::processHighpassLanes4Sse2(filters.data(), samples.data(), count,
                                                        kFrames, kStride);
                else
                    synthdsp::processHighpassLanes2(filters.data(), samples.data(), count, kFrames,
                                                    kStride);
                for (int32_t v = 0; v < count; ++v) {
                    EXPECT_EQ(a[size_t(v)], b[size_t(v)]) << "block " << block;
                    EXPECT_EQ(std::memcmp(&one[size_t(v)], &laned[size_t(v)],
                                          sizeof(synthdsp::StateVariableHighpass)),
                              0);
                }
            }
        }
    }
}

// Voices whose ring modulator reads the feedback stay out of the lanes, and
// the key tells the pole count, the boost and the feedback apart.
TEST(FilterLanes, LaneKeysAndTheVoicesThatStayOut)
{
    FilterSettings s;
    s.ringModVolume = 0.0f;
    s.ringModIn1 = 5;
    EXPECT_FALSE(synthdsp::filterRunsInLanes(synthdsp::makeFilterBlock(s, kPeriod)));
    s.ringModVolume = -100.0f;
    EXPECT_TRUE(synthdsp::filterRunsInLanes(synthdsp::makeFilterBlock(s, kPeriod)));
    s.mode = 1;
    EXPECT_FALSE(synthdsp::filterRunsInLanes(synthdsp::makeFilterBlock(s, kPeriod)));

    std::vector<uint32_t> keys;
    for (int32_t poles = 0; poles < 3; ++poles)
        for (float res : {0.0f, 90.0f})
            for (float feedback : {-100.0f, 0.0f}) {
                FilterSettings k;
                k.poles = poles;
                k.resonance = res;
                k.feedbackVolume = feedback;
                keys.push_back(synthdsp::filterLaneKey(synthdsp::makeFilterBlock(k, kPeriod)));
            }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::unique(keys.begin(), keys.end()), keys.end());
}

// Forcing the SSE2 path switches the 8-lane kernels off.
TEST(FilterLanes, WideLanesCanBeSwitchedOff)
{
    synthdsp::setWideLanesAllowed(false);
    EXPECT_FALSE(synthdsp::wideLanesInUse());
    synthdsp::setWideLanesAllowed(true);
    EXPECT_EQ(synthdsp::wideLanesInUse(), synthdsp::processorHasAvx2());
}

} // namespace
