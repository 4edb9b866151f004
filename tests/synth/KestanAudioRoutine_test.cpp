// The voice module's per-voice routine, called as the voice circuit calls
// it: the noise all voices share, the biquads' restart after a note on and
// their ramps otherwise, every parameter at the ends of its range with the
// modulation rows at their extremes, and a routine that never allocates.

#include "KestanRoutineRig.h"

#include "AllocationCounter.h"
#include "synth/dsp/BiquadDesign.h"
#include "synth/dsp/NoiseSource.h"
#include "synth/dsp/StateVariableHighpass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace synthtest;
using K = KestanAudio;

constexpr int32_t kUnits = k_maxUnitsPerBlock;

// The noise stream the shared source must deliver: one continuous sequence
// of host samples from the generator's state at load.
struct NoiseStream {
    explicit NoiseStream(int32_t samples, float samplePeriod)
        : white(samples), red(samples), pink(samples)
    {
        synthdsp::NoiseState state;
        uint32_t generator = 0;
        synthdsp::generateNoise(state, generator, samplePeriod, samples, white.data(), red.data(),
                                pink.data());
    }
    std::vector<float> white, red, pink;
};

void expectNoiseAt(KestanRoutineRig& rig, const NoiseStream& stream, int32_t from, int32_t count)
{
    const KestanGlobalRecord& g = rig.global();
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(g.white[i], stream.white[from + i]) << "sample " << i;
        ASSERT_EQ(g.red[i], stream.red[from + i]) << "sample " << i;
        ASSERT_EQ(g.pink[i], stream.pink[from + i]) << "sample " << i;
    }
}

// Every voice reads the noise of the sub-block at its own place in it, and
// the sub-blocks follow each other in one stream: also when the first voice
// of a block renders only a later stretch, when stretches come in any order,
// and when a sub-block is shorter than 64 samples.
TEST(KestanAudioRoutine, SharedNoiseIsOneStreamWhateverTheStretches)
{
    K::resetProcessState();
    KestanRoutineRig rig(2);
    const NoiseStream stream(256, rig.ctx().samplePeriod);

    rig.nextBlock();
    rig.run(0, 2, 2); // a split stretch comes first
    rig.run(1, 0, kUnits);
    expectNoiseAt(rig, stream, 0, 64);

    rig.nextBlock();
    rig.run(0, 0, 1);
    rig.run(1, 0, kUnits);
    rig.run(0, 1, 3);
    expectNoiseAt(rig, stream, 64, 64);

    rig.nextBlock();
    rig.run(0, 0, 2); // a sub-block of 32 samples
    expectNoiseAt(rig, stream, 128, 32);

    rig.nextBlock();
    rig.run(1, 1, 3);
    rig.run(0, 0, 1);
    expectNoiseAt(rig, stream, 160, 64);
}

// Two voices in the same state render the same block alike, noise included.
TEST(KestanAudioRoutine, TwoVoicesInOneBlockHearTheSameNoise)
{
    KestanRoutineRig rig(2);
    rig.set(K::k_pOscVolume1, -100.0f);
    rig.set(K::k_pOscVolume2, -100.0f);
    rig.set(K::k_pNoiseVolume, 0.0f);
    rig.set(K::k_pNoiseColour, 2.0f);
    for (int32_t block = 0; block < 20; ++block) {
        rig.nextBlock();
        rig.run(0, 0, kUnits);
        const std::vector<float> first(rig.output(0), rig.output(0) + k_rowSamples);
        rig.run(1, 0, kUnits);
        for (int32_t i = 0; i < k_rowSamples; ++i)
            ASSERT_EQ(rig.output(0)[i], first[i]) << "block " << block << " sample " << i;
    }
    EXPECT_GT(std::fabs(rig.output(0)[k_rowSamples - 1]), 0.0f);
}

// The noise mix: with the oscillators silent and the filter stage bypassed
// (a mode past the two kernels) the output is the noise through the linear
// high-pass and decimation, so the colours' weights and the level law show
// as exact proportions between renders from the same noise.
TEST(KestanAudioRoutine, NoiseColoursAndLevel)
{
    const auto render = [](float level, float colour) {
        K::resetProcessState();
        KestanRoutineRig rig(1);
        rig.set(K::k_pOscVolume1, -100.0f);
        rig.set(K::k_pOscVolume2, -100.0f);
        rig.set(K::k_pVCFMode, 2.0f);
        rig.set(K::k_pNoiseVolume, level);
        rig.set(K::k_pNoiseColour, colour);
        std::vector<float> left, right;
        for (int32_t b = 0; b < 40; ++b)
            rig.render(0, left, right);
        return left;
    };
    const std::vector<float> white = render(0.0f, 1.0f);
    const std::vector<float> red = render(0.0f, 2.0f);
    const std::vector<float> pink = render(0.0f, 3.0f);
    const std::vector<float> halfWhiteRed = render(0.0f, 1.5f);
    const std::vector<float> quieter = render(-50.0f, 1.0f);
    const std::vector<float> silent = render(-100.0f, 2.0f);
    double energy = 0.0;
    for (size_t n = 0; n < white.size(); ++n) {
        ASSERT_NEAR(halfWhiteRed[n], 0.5f * (white[n] + red[n]), 1e-5f) << n;
        ASSERT_NEAR(quieter[n], 0.5f * white[n], 1e-5f) << n;
        ASSERT_EQ(silent[n], 0.0f) << n;
        energy += double(white[n]) * white[n] + double(red[n]) * red[n] + double(pink[n]) * pink[n];
    }
    EXPECT_GT(energy, 1.0);
    EXPECT_NE(white, red);
    EXPECT_NE(red, pink);
}

// The high-pass design of the routine for the key row value (KeyScale 100,
// no tune modulation, Detune 0) and HP_fc.
synthdsp::HighpassTuning highpassFor(KestanRoutineRig& rig, float key, float cutoff)
{
    const double pitch = std::clamp(cutoff - 60.0 + 64.0 * key + 76.0, 0.0, 150.0);
    return synthdsp::stateVariableHighpassTuning(pitch, 2.0, rig.ctx().samplePeriodD / 4.0);
}

double coefficient(const synthdsp::HighpassTuning& t, int32_t i)
{
    const double values[2] = {t.g, t.damping};
    return values[i];
}

// Between notes the high-pass tuning moves toward the new design across
// the block; the first block after a note on starts from cleared state with
// the new tuning at once. The feedback biquads restart alike.
TEST(KestanAudioRoutine, BiquadsRampTowardTheirDesignAndJumpAfterANoteOn)
{
    KestanRoutineRig rig(1);
    constexpr uint32_t kKeyRow = 6;
    rig.set(K::k_pKeySource, float(kKeyRow));
    rig.set(K::k_pFeedbackVolume, 0.0f);
    rig.setRow(kKeyRow, 0.1f);
    std::vector<float> left, right;
    for (int32_t b = 0; b < 10; ++b)
        rig.render(0, left, right);
    KestanVoiceRecord& v = rig.voice(0);

    // A new pitch without a note on: a ramp from the old design to the new.
    const auto before = highpassFor(rig, 0.1f, 2.4f);
    const auto after = highpassFor(rig, 0.3f, 30.0f);
    rig.setRow(kKeyRow, 0.3f);
    rig.set(K::k_pHPCutoff, 30.0f);
    rig.render(0, left, right);
    for (int32_t i = 0; i < 2; ++i) {
        const double span = coefficient(after, i) - coefficient(before, i);
        EXPECT_NEAR(v.highpass.increment[i] * 256.0, span, 1e-9 + 1e-6 * std::fabs(span)) << i;
        EXPECT_NEAR(v.highpass.tuning[i], coefficient(after, i), 1e-9 + 1e-6 * std::fabs(span))
            << i;
    }

    // A note on: the next block jumps to the design of its pitch.
    rig.setRow(kKeyRow, -0.2f);
    v.resetFlag = 1; // what the note on does
    rig.render(0, left, right);
    const auto fresh = highpassFor(rig, -0.2f, 30.0f);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(v.highpass.increment[i], 0.0) << i;
        EXPECT_EQ(v.highpass.tuning[i], coefficient(fresh, i)) << i;
    }
    for (const auto& biquad : v.filter.feedbackLowpass) {
        for (float increment : biquad.increment)
            EXPECT_EQ(increment, 0.0f);
    }
    EXPECT_EQ(v.resetFlag, 0u);

    // The high-pass pitch stays within [0, 150] whatever the key row.
    for (float key : {10.0f, -10.0f}) {
        rig.setRow(kKeyRow, key);
        v.resetFlag = 1;
        rig.render(0, left, right);
        const auto held = highpassFor(rig, key, 30.0f);
        for (int32_t i = 0; i < 2; ++i)
            EXPECT_EQ(v.highpass.tuning[i], coefficient(held, i)) << key << " " << i;
    }
}

// The feedback biquads run only while something reads them (the feedback,
// or the ring modulator's "VCF" input): at gain 0 they stand still, and the
// first block that uses them again starts from cleared state with its
// coefficients at once, like after a note on.
TEST(KestanAudioRoutine, FeedbackBiquadsStandStillWhileUnusedAndRestartCleared)
{
    struct Use {
        const char* name;
        float feedback, ringModulator;
        int32_t ringInput;
    };
    const Use uses[] = {
        {"feedback", -20.0f, -100.0f, 0},
        {"ring modulator VCF input", -100.0f, -20.0f, 5},
    };
    for (const Use& use : uses) {
        SCOPED_TRACE(use.name);
        KestanRoutineRig rig(1);
        std::vector<float> left, right;
        const auto useBiquads = [&](bool on) {
            rig.set(K::k_pFeedbackVolume, on ? use.feedback : -100.0f);
            rig.set(K::k_pRingModVolume, on ? use.ringModulator : -100.0f);
            rig.set(K::k_pRingModIn1, float(use.ringInput));
        };
        useBiquads(true);
        for (int32_t b = 0; b < 4; ++b)
            rig.render(0, left, right);
        KestanVoiceRecord& v = rig.voice(0);
        const float running = v.filter.feedbackLowpass[0].state[0];
        EXPECT_NE(running, 0.0f);

        // Unused: nothing moves.
        useBiquads(false);
        rig.render(0, left, right);
        rig.render(0, left, right);
        EXPECT_EQ(v.filter.feedbackLowpass[0].state[0], running);
        EXPECT_EQ(v.filter.feedbackIdle, 1u);

        // Used again: exactly a voice whose biquads were cleared and set to
        // their design before the block.
        useBiquads(true);
        KestanRoutineRig expected(1);
        expected.global() = rig.global();
        expected.voice(0) = v;
        const auto design = synthdsp::lowpassBiquadFloat(synthdsp::pitchTable(), 125.0f, 0.7f,
                                                         rig.ctx().samplePeriod / 4.0f);
        for (auto& biquad : expected.voice(0).filter.feedbackLowpass) {
            biquad = {};
            const float c[5] = {design.b0, design.b1, design.b2, design.a1, design.a2};
            std::memcpy(biquad.coefficient, c, sizeof(c));
        }
        expected.voice(0).filter.feedbackIdle = 0;
        std::vector<float> restartLeft, restartRight, expectedLeft, expectedRight;
        K::resetProcessState();
        rig.render(0, restartLeft, restartRight);
        K::resetProcessState();
        expected.render(0, expectedLeft, expectedRight);
        EXPECT_EQ(v.filter.feedbackIdle, 0u);
        EXPECT_EQ(restartLeft, expectedLeft);
        EXPECT_EQ(std::memcmp(&v.filter.feedbackLowpass, &expected.voice(0).filter.feedbackLowpass,
                              sizeof(v.filter.feedbackLowpass)),
                  0);
    }
}

// A note on restarts the biquads only: the oscillators, their pending
// corrections and the DC blocker run on as if nothing happened. An empty
// stretch renders nothing and keeps the flag for the next one.
TEST(KestanAudioRoutine, ANoteOnLeavesTheOscillatorsRunning)
{
    KestanRoutineRig plain(1), noteOn(1);
    std::vector<float> left, right;
    for (KestanRoutineRig* rig : {&plain, &noteOn}) {
        rig->set(K::k_pSubVolume, 0.0f);
        for (int32_t b = 0; b < 7; ++b)
            rig->render(0, left, right);
    }
    noteOn.voice(0).resetFlag = 1;
    noteOn.nextBlock();
    noteOn.run(0, 0, 0);
    EXPECT_EQ(noteOn.voice(0).resetFlag, 1u);
    noteOn.run(0, 0, kUnits);
    plain.nextBlock();
    plain.run(0, 0, kUnits);

    const synthdsp::OscillatorState& a = plain.voice(0).oscillators;
    const synthdsp::OscillatorState& b = noteOn.voice(0).oscillators;
    EXPECT_EQ(std::memcmp(&a, &b, sizeof(a)), 0);
    EXPECT_EQ(std::memcmp(plain.global().osc1, noteOn.global().osc1, sizeof(plain.global().osc1)),
              0);
    EXPECT_NE(std::memcmp(plain.output(0), noteOn.output(0), k_rowSamples * sizeof(float)), 0);
}

// The routine allocates nothing, whatever it renders.
TEST(KestanAudioRoutine, AllocatesNothing)
{
    KestanRoutineRig rig(2);
    rig.set(K::k_pNoiseVolume, 0.0f);
    rig.set(K::k_pFeedbackVolume, 0.0f);
    rig.set(K::k_pSoftSync, 50.0f);
    rig.set(K::k_pAudioRateDest, 0.0f);
    rig.set(K::k_pXModDepth, 100.0f);
    rig.set(K::k_pVCFMode, 1.0f);
    testsupport::AllocationCounter counter;
    for (int32_t b = 0; b < 50; ++b) {
        rig.nextBlock();
        rig.voice(b % 2).resetFlag = b % 7 == 0 ? 1u : 0u;
        rig.run(0, 0, 2);
        rig.run(1, 0, kUnits);
        rig.run(0, 2, 2);
    }
    EXPECT_EQ(counter.count(), 0u);
}

// ---- Every parameter at the ends of its range.

constexpr uint32_t kExtremeRow = 20; // the row every selector may point at
constexpr float kBound = 1000.0f;

// Everything audible, so that each extreme acts on something.
void busyPatch(KestanRoutineRig& rig)
{
    rig.set(K::k_pShape1, 3.5f);
    rig.set(K::k_pShape2, 1.5f);
    rig.set(K::k_pOscVolume1, 0.0f);
    rig.set(K::k_pOscVolume2, 0.0f);
    rig.set(K::k_pSubVolume, 0.0f);
    rig.set(K::k_pNoiseVolume, -20.0f);
    rig.set(K::k_pNoiseColour, 2.0f);
    rig.set(K::k_pRingModVolume, 0.0f);
    rig.set(K::k_pFeedbackVolume, -20.0f);
    rig.set(K::k_pSoftSync, 30.0f);
    rig.set(K::k_pPWDepth, 25.0f);
    rig.set(K::k_pXModDepth, 30.0f);
    rig.set(K::k_pResonance, 50.0f);
    rig.set(K::k_pCutoff, 90.0f);
    rig.set(K::k_pKeyFollow, 50.0f);
    rig.set(K::k_pDetune, 20.0f);
    rig.set(K::k_pKeySource, 6.0f);
}

struct Extreme {
    std::string name;
    std::vector<std::pair<uint32_t, float>> values;
};

// Each parameter alone at its minimum and at its maximum; a source selector
// (whose range the parameter manager sets) at none, at the extreme row and
// at a number past the context's rows. Then everything at once, and the
// audio-rate and pitch modulations at full for each destination.
std::vector<Extreme> extremes()
{
    std::vector<Extreme> all;
    const AM_ParamInfo* table = K::descriptorTable();
    std::vector<std::pair<uint32_t, float>> lowest, highest;
    for (uint32_t id = 0; id < K::k_parameterCount; ++id) {
        const AM_ParamInfo& info = table[id];
        const std::string name = info.longName;
        if ((info.flags & k_paramSourceSelector) != 0 || info.max == info.min) {
            all.push_back({name + " none", {{id, 0.0f}}});
            all.push_back({name + " extreme row", {{id, float(kExtremeRow)}}});
            all.push_back({name + " past the rows", {{id, 1000.0f}}});
            highest.push_back({id, float(kExtremeRow)});
            continue;
        }
        all.push_back({name + " at its minimum", {{id, info.min}}});
        all.push_back({name + " at its maximum", {{id, info.max}}});
        lowest.push_back({id, info.min});
        highest.push_back({id, info.max});
    }
    all.push_back({"everything at its minimum", lowest});
    all.push_back({"everything at its maximum", highest});
    for (float dest : {0.0f, 1.0f, 2.0f}) {
        all.push_back({"modulation at full, destination " + std::to_string(int(dest)),
                       {{K::k_pAudioRateDest, dest},
                        {K::k_pXModDepth, 100.0f},
                        {K::k_pAudioRateModSrc, float(kExtremeRow)},
                        {K::k_pPWSrc, float(kExtremeRow)},
                        {K::k_pPWDepth, 50.0f},
                        {K::k_pTuneModSrc1, float(kExtremeRow)},
                        {K::k_pTuneModDepth1, 24.0f},
                        {K::k_pTuneModSrc2, float(kExtremeRow)},
                        {K::k_pTuneModDepth2, -24.0f},
                        {K::k_pVibratoSrc, float(kExtremeRow)},
                        {K::k_pVibrato, 100.0f},
                        {K::k_pFreqModSrc1, float(kExtremeRow)},
                        {K::k_pFreqModDepth1, 120.0f},
                        {K::k_pFreqModSrc2, float(kExtremeRow)},
                        {K::k_pFreqModDepth2, -120.0f},
                        {K::k_pKeyScale, 200.0f},
                        {K::k_pResonance, 100.0f},
                        {K::k_pFeedbackVolume, 25.0f}}});
    }
    return all;
}

// From the lowest host rate the engine accepts (where the corners of the
// biquads and the filter lie above a quarter of the oversampled rate) up.
TEST(KestanAudioRoutine, ExtremeSettingsRenderFiniteOutput)
{
    constexpr int32_t kBlocks = 48;
    for (const Extreme& e : extremes()) {
        for (float rate : {1000.0f, 11025.0f, 44100.0f, 192000.0f}) {
            for (float row : {-1.0f, 1.0f, 1e6f}) {
                SCOPED_TRACE(testing::Message()
                             << e.name << ", " << rate << " Hz, rows at " << row);
                KestanRoutineRig rig(1, rate);
                busyPatch(rig);
                for (const auto& [id, value] : e.values)
                    rig.set(id, value);
                for (uint32_t r = 1; r < KestanRoutineRig::kRows; ++r)
                    rig.setRow(r, row);
                std::vector<float> left, right;
                for (int32_t b = 0; b < kBlocks; ++b) {
                    if (b == kBlocks / 2)
                        rig.voice(0).resetFlag = 1;
                    rig.render(0, left, right);
                }
                for (size_t n = 0; n < left.size(); ++n) {
                    ASSERT_TRUE(std::isfinite(left[n]) && std::fabs(left[n]) < kBound)
                        << "sample " << n << ": " << left[n];
                    ASSERT_TRUE(std::isfinite(right[n]) && std::fabs(right[n]) < kBound)
                        << "sample " << n << ": " << right[n];
                }
            }
        }
    }
}

} // namespace
