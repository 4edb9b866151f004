// The filter stage running the key-tracked high-pass in its own frame loop
// (FilterBuffers::highpass set) against the high-pass run first over the
// mix and the stage after it: both kernels, every pole count, with and
// without the resonance boost, feedback, ring modulator and filter FM, the
// high-pass's tuning gliding to a new target every block and restarting.
// The output frames and every state must match bit for bit.

#include "synth/dsp/FilterStage.h"

#include "synth/dsp/BiquadDesign.h"
#include "synth/dsp/PitchTable.h"
#include "synth/dsp/StateVariableHighpass.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

using synthdsp::FilterSettings;
using synthdsp::FilterState;
using synthdsp::StateVariableHighpass;

constexpr int32_t kFrames = 256;
constexpr int32_t kSteps = kFrames / 16;
constexpr float kPeriod = 1.0f / 44100.0f;
constexpr int32_t kBlocks = 4;

struct Path {
    FilterState filter{};
    StateVariableHighpass highpass{};
    alignas(16) float work[2 * kFrames];
};

struct Case {
    int32_t mode;
    int32_t poles;
    bool boosted;
    bool feedback;
    bool ringModulated;
    bool filterFm;
    float level;
};

void runCase(const Case& c, uint32_t seed)
{
    std::mt19937 rng(seed);
    const auto uniform = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    FilterSettings s;
    s.mode = c.mode;
    s.poles = c.poles;
    s.resonance = c.boosted ? uniform(81.0f, 100.0f) : uniform(0.0f, 80.0f);
    s.feedbackVolume = c.feedback ? uniform(-99.0f, 25.0f) : -100.0f;
    s.ringModVolume = c.ringModulated ? uniform(-99.0f, 25.0f) : -100.0f;
    s.ringModIn1 = std::uniform_int_distribution<int32_t>(0, 5)(rng);
    s.ringModIn2 = std::uniform_int_distribution<int32_t>(0, 2)(rng);
    s.cutoff = uniform(30.0f, 150.0f);
    s.keyFollow = uniform(0.0f, 100.0f);
    s.mixSpread = uniform(0.0f, 100.0f);
    s.audioRateDest = c.filterFm ? 2 : 0;
    s.xModDepth = c.filterFm ? uniform(1.0f, 100.0f) : 0.0f;
    s.clipping1 = uniform(0.0f, 2.0f);
    const synthdsp::FilterBlock block = synthdsp::makeFilterBlock(s, kPeriod);

    std::array<float, kSteps> key{}, fm1{}, fm2{}, crossMod{};
    std::vector<float> mix(kFrames), osc1(kFrames), osc2(kFrames), sub(kFrames), pink(kFrames / 4);
    Path apart, fused;
    std::normal_distribution<float> noise(0.0f, c.level);
    for (int32_t b = 0; b < kBlocks; ++b) {
        SCOPED_TRACE(testing::Message() << "block " << b);
        for (auto* row : {&key, &fm1, &fm2, &crossMod})
            for (float& x : *row)
                x = uniform(-1.0f, 1.0f);
        for (auto* signal : {&mix, &osc1, &osc2, &sub, &pink})
            for (float& x : *signal)
                x = noise(rng);
        for (int32_t n = 0; n < kFrames; ++n) {
            apart.work[2 * n] = fused.work[2 * n] = mix[size_t(n)];
            apart.work[2 * n + 1] = fused.work[2 * n + 1] = osc1[size_t(n)];
        }
        // A new tuning to glide to; the first and third blocks restart.
        const synthdsp::HighpassTuning tuning = synthdsp::stateVariableHighpassTuning(
            double(uniform(0.0f, 150.0f)), double(uniform(0.0f, 10.0f)), double(kPeriod) / 4.0);
        const auto design =
            synthdsp::lowpassBiquadFloat(synthdsp::pitchTable(), 125.0f, 0.7f, kPeriod / 4.0f);
        for (Path* p : {&apart, &fused}) {
            synthdsp::stateVariableHighpassRamp(p->highpass, tuning, 1.0 / kFrames, b % 2 == 0);
            for (auto& biquad : p->filter.feedbackLowpass)
                synthdsp::biquadRampFloat(biquad, design, 1.0f / float(kFrames), b == 0);
        }
        const synthdsp::FilterRows rows{key.data(), fm1.data(), fm2.data(), crossMod.data()};
        synthdsp::stateVariableHighpassProcess(apart.highpass, apart.work, kFrames, 2);
        synthdsp::processFilterStage(
            apart.filter, block, rows, kFrames,
            {apart.work, osc1.data(), osc2.data(), sub.data(), pink.data()});
        synthdsp::FilterBuffers buffers{fused.work, osc1.data(), osc2.data(), sub.data(),
                                        pink.data()};
        buffers.highpass = &fused.highpass;
        synthdsp::processFilterStage(fused.filter, block, rows, kFrames, buffers);

        EXPECT_EQ(std::memcmp(apart.work, fused.work, sizeof(apart.work)), 0);
        EXPECT_EQ(std::memcmp(&apart.highpass, &fused.highpass, sizeof(StateVariableHighpass)), 0);
        EXPECT_EQ(std::memcmp(&apart.filter, &fused.filter, sizeof(FilterState)), 0);
    }
}

TEST(FilterStageHighpass, TheStagesOwnHighpassEqualsTheHighpassBeforeIt)
{
    // Loud inputs drive the saturators past their knees, quiet ones keep
    // them linear.
    const Case cases[] = {
        {0, 0, false, false, false, false, 0.3f}, {0, 1, false, false, false, false, 4.0f},
        {0, 2, true, false, false, false, 4.0f},  {0, 1, false, true, true, false, 1.0f},
        {0, 2, true, true, true, true, 4.0f},     {0, 0, false, false, false, true, 0.3f},
        {1, 0, false, false, false, false, 4.0f}, {1, 1, true, true, false, false, 1.0f},
        {1, 2, false, true, true, true, 4.0f},    {1, 2, true, false, false, true, 0.3f},
    };
    uint32_t seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << c.mode << " poles " << c.poles << " seed " << seed);
        runCase(c, seed++);
    }
}

} // namespace
