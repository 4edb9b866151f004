// Pitch arithmetic of the voice circuit: transpose, tuning table, fine tune,
// drift, the voice offsets, pitch bend, and glide in time and rate mode,
// independent of how the host cuts its blocks.

#include "VoiceRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using voicetest::RigOptions;
using voicetest::VoiceRig;
using P = AM_VoiceCircuitMin;

constexpr float kDrift7 = 0.008f; // the drift of voice 7

float keyFollowOf(float pitch)
{
    return (pitch - 64.0f) / 64.0f;
}

TEST(AM_VoiceCircuitPitch, KeyTransposeTuningFineTuneAndDriftMakeThePitch)
{
    struct Case {
        const char* what;
        int32_t key;
        float transpose, tuningMode, fineTune, drift;
        float tableEntry; // for the transposed key, in tuning mode
        float pitch;
    };
    const Case cases[] = {
        {"defaults: the key itself plus drift", 60, -12, 0, 0, 1, 0, 60.0f + kDrift7},
        {"no drift", 60, -12, 0, 0, 0, 0, 60.0f},
        {"transpose 0 is an octave up", 60, 0, 0, 0, 0, 0, 72.0f},
        {"transpose 24", 60, 24, 0, 0, 0, 0, 96.0f},
        {"fine tune 25", 60, -12, 0, 25, 0, 0, 60.5f},
        {"fine tune -50", 60, -12, 0, -50, 0, 0, 59.0f},
        {"tuning table entry of the transposed key", 60, -12, 1, 0, 0, 50.25f, 62.25f},
        {"tuning table below key 0 uses entry 0", 5, -24, 1, 0, 0, 0.0f, 12.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VoiceRig rig;
        rig.set(P::k_pVoices, 2);
        rig.set(P::k_pTranspose, c.transpose);
        rig.set(P::k_pTuningMode, c.tuningMode);
        rig.set(P::k_pFineTune, c.fineTune);
        rig.set(P::k_pDrift, c.drift);
        AM_VoiceCircuitParams* p = rig.vcc->getParams();
        const int32_t entry = std::max(0, c.key + static_cast<int32_t>(c.transpose));
        p->tuningTable[entry] = c.tableEntry;
        rig.note(c.key);
        rig.run();
        const auto ons = rig.probe->eventsOf(k_voiceEventNoteOn);
        ASSERT_EQ(ons.size(), 1u);
        ASSERT_EQ(ons[0].voice, 7);
        EXPECT_NEAR(ons[0].pitch, c.pitch, 1e-5);
        const auto samples = rig.probe->samplesOf(7);
        EXPECT_NEAR(samples.back().rows[k_voiceRowKeyFollow], keyFollowOf(c.pitch), 1e-6);
        EXPECT_NEAR(samples.back().rows[k_voiceRowKeyFollow2], keyFollowOf(c.pitch), 1e-6);
    }
}

TEST(AM_VoiceCircuitPitch, DriftGivesEachVoiceItsOwnOffset)
{
    VoiceRig rig;
    rig.set(P::k_pVoices, 2);
    for (int32_t i = 0; i < 8; ++i)
        rig.note(60);
    rig.run();
    const float drift[8] = {0.0f, 0.01f, -0.01f, 0.03f, -0.032f, 0.024f, -0.022f, 0.008f};
    const auto ons = rig.probe->eventsOf(k_voiceEventNoteOn);
    ASSERT_EQ(ons.size(), 8u);
    for (const auto& e : ons)
        EXPECT_NEAR(e.pitch, 60.0f + drift[e.voice], 1e-5) << e.voice;
}

TEST(AM_VoiceCircuitPitch, TheWheelBendsByTheUpOrDownRangeAndTheSlotsOffsetAdds)
{
    struct Case {
        float wheel;
        float up, down;
        float bendSemitones;
    };
    const Case cases[] = {
        {0.5f, 2, 12, 1.0f},
        {1.0f, 24, 0, 24.0f},
        {-1.0f, 2, 12, -12.0f},
        {-0.25f, 7, 4, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wheel);
        VoiceRig rig;
        rig.set(P::k_pVoices, 2);
        rig.set(P::k_pDrift, 0);
        rig.set(P::k_pBendUp, c.up);
        rig.set(P::k_pBendDown, c.down);
        rig.set(P::k_pVoice1, 3.0f);
        rig.note(60);
        rig.run();
        rig.setWheelRow(c.wheel);
        rig.run();
        const auto samples = rig.probe->samplesOf(7);
        EXPECT_FLOAT_EQ(samples.back().rows[k_voiceRowKeyFollow],
                        keyFollowOf(60.0f + 3.0f) + c.bendSemitones / 64.0f);
        // The pitch of the voice itself does not change.
        EXPECT_EQ(rig.voice(7).targetPitch[0], 60.0f);
    }
}

// The control steps from the first step of a voice after `fromStep` until
// its KeyFollow row reaches the target pitch.
int64_t stepsToReach(const VoiceRig& rig, int32_t voice, float targetPitch, int64_t fromStep,
                     uint32_t row = k_voiceRowKeyFollow)
{
    int64_t first = -1;
    for (const auto& s : rig.probe->samplesOf(voice)) {
        if (s.step < fromStep)
            continue;
        if (first < 0)
            first = s.step;
        if (std::fabs(s.rows[row] - keyFollowOf(targetPitch)) < 1e-6)
            return s.step - first + 1;
    }
    return -1;
}

// A note at key 48 without glide on voice 7, then glide set and key 72 at
// frame `frame`: the glide of voice 6 from 48 to 72 is measured.
struct GlideRun {
    int64_t steps;
    int64_t steps2;
};

GlideRun glideFrom48To72(float glide, float glide2, int32_t mode, int32_t hostBlock, uint32_t frame)
{
    VoiceRig rig;
    rig.set(P::k_pVoices, 2);
    rig.set(P::k_pDrift, 0);
    rig.set(P::k_pGlideMode, static_cast<float>(mode));
    rig.note(48);
    rig.run();
    rig.set(P::k_pGlide, glide);
    rig.set(P::k_pGlide2, glide2);
    rig.run();
    const int64_t from = rig.clock * k_stepsPerUnit;
    rig.note(72, 100.0f, frame);
    rig.runHostBlocks(44100 * 9 / 2, hostBlock);
    return GlideRun{stepsToReach(rig, 6, 72.0f, from),
                    stepsToReach(rig, 6, 72.0f, from, k_voiceRowKeyFollow2)};
}

TEST(AM_VoiceCircuitPitch, TimeGlideTakesFourTimesTheCubeOfGlideSecondsHoweverBlocksAreCut)
{
    // Glide 50: 4 x 0.5^3 = 0.5 s = 5512.5 control steps at 44.1 kHz.
    struct Case {
        int32_t hostBlock;
        uint32_t frame;
    };
    const Case cases[] = {{16, 0}, {32, 16}, {64, 0}, {64, 48}, {512, 0}, {512, 208}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hostBlock << " @" << c.frame);
        const GlideRun r = glideFrom48To72(50.0f, 0.0f, 0, c.hostBlock, c.frame);
        EXPECT_NEAR(r.steps, 5513, 1);
    }
    // Glide 100: 4 s.
    EXPECT_NEAR(glideFrom48To72(100.0f, 0.0f, 0, 64, 0).steps, 44100, 1);
}

TEST(AM_VoiceCircuitPitch, RateGlideTakesThatTimePerOctave)
{
    // Two octaves at Glide 50: 1 s.
    EXPECT_NEAR(glideFrom48To72(50.0f, 0.0f, 1, 64, 0).steps, 11025, 1);
    EXPECT_NEAR(glideFrom48To72(50.0f, 0.0f, 1, 16, 32).steps, 11025, 1);
}

TEST(AM_VoiceCircuitPitch, TheSecondPitchGlidesWithGlidePlusGlide2)
{
    // Glide 50 + Glide2 50 = 100: 4 s for pitch 2 while pitch 1 takes 0.5 s.
    const GlideRun longer = glideFrom48To72(50.0f, 50.0f, 0, 64, 0);
    EXPECT_NEAR(longer.steps, 5513, 1);
    EXPECT_NEAR(longer.steps2, 44100, 1);
    // Glide2 -50 leaves pitch 2 without glide.
    const GlideRun none = glideFrom48To72(50.0f, -50.0f, 0, 64, 0);
    EXPECT_EQ(none.steps2, 1);
}

TEST(AM_VoiceCircuitPitch, GlideStartsFromThePitchOfTheVoiceStartedLastScaledByPortaRange)
{
    struct Case {
        float glide, range;
        float startPitch;
    };
    const Case cases[] = {
        {0.0f, 100.0f, 72.0f}, // no glide: the note starts at its pitch
        {50.0f, 100.0f, 48.0f},
        {50.0f, 50.0f, 60.0f}, // half the way
        {50.0f, 0.0f, 72.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.glide << "/" << c.range);
        VoiceRig rig;
        rig.set(P::k_pVoices, 2);
        rig.set(P::k_pDrift, 0);
        rig.note(48);
        rig.run();
        rig.set(P::k_pGlide, c.glide);
        rig.set(P::k_pPortaRange, c.range);
        rig.run();
        rig.note(72);
        rig.run();
        const AM_VoiceRecord& v = rig.voice(6);
        EXPECT_FLOAT_EQ(v.glideStart[0], c.startPitch);
        EXPECT_FLOAT_EQ(v.glideStart[1], c.startPitch);
        EXPECT_EQ(v.targetPitch[0], 72.0f);
    }
}

} // namespace
