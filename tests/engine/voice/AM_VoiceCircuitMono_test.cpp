// The monophonic modes: mono with and without the retrigger word, legato,
// and duo.

#include "VoiceRig.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using voicetest::RigOptions;
using voicetest::VoiceProbe;
using voicetest::VoiceRig;
using P = AM_VoiceCircuitMin;

constexpr int32_t kOn = k_voiceEventNoteOn;
constexpr int32_t kOff = k_voiceEventNoteOff;
constexpr int32_t kFast = k_voiceEventFastRelease;
constexpr int32_t kRetrigger = k_voiceEventRetrigger;

void makeMode(VoiceRig& rig, int32_t mode)
{
    rig.set(P::k_pMode, static_cast<float>(mode));
    rig.set(P::k_pDrift, 0);
    rig.run();
    rig.probe->clear();
}

std::vector<int32_t> typesOf(const VoiceProbe& probe)
{
    std::vector<int32_t> types;
    for (const auto& e : probe.events)
        types.push_back(e.type);
    return types;
}

TEST(AM_VoiceCircuitMono, WithoutRetriggerSuccessiveNotesTakeTheNextVoiceAndThePreviousFades)
{
    VoiceRig rig;
    makeMode(rig, P::k_modeMono);
    ASSERT_EQ(rig.mainCircuit()->getChildRecord(1)->routine, &P::processMono);
    rig.note(60);
    rig.run();
    rig.note(62);
    rig.run();
    rig.note(64);
    rig.run();
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 3u);
    EXPECT_EQ(ons[0].voice, 1);
    EXPECT_EQ(ons[1].voice, 2);
    EXPECT_EQ(ons[2].voice, 3);
    const auto fades = rig.probe->eventsOf(kFast);
    ASSERT_EQ(fades.size(), 2u);
    EXPECT_EQ(fades[0].voice, 1);
    EXPECT_EQ(fades[1].voice, 2);
    // The faded voices end within 31 units.
    rig.run(8);
    EXPECT_EQ(rig.voice(1).state, k_voiceIdle);
    EXPECT_EQ(rig.voice(2).state, k_voiceIdle);
    EXPECT_EQ(rig.voice(3).state, k_voicePlaying);
}

TEST(AM_VoiceCircuitMono, TheNewestKeySoundsAndAReleaseReturnsToTheLatestHeldKey)
{
    VoiceRig rig;
    makeMode(rig, P::k_modeMono);
    rig.note(57, 90);
    rig.run();
    rig.note(60, 100);
    rig.run();
    rig.note(59, 110);
    rig.run();
    rig.off(60); // does not sound: nothing happens
    rig.run();
    EXPECT_EQ(rig.probe->eventsOf(kOn).size(), 3u);
    rig.off(59);
    rig.run();
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 4u);
    EXPECT_EQ(ons[3].pitch, 57.0f);
    EXPECT_FLOAT_EQ(ons[3].velocity, 90.0f / 127.0f);
    rig.off(57);
    rig.run();
    ASSERT_EQ(rig.probe->eventsOf(kOff).size(), 1u);
    EXPECT_EQ(rig.probe->eventsOf(kOff)[0].voice, ons[3].voice);
}

TEST(AM_VoiceCircuitMono, SilenceIsAnnouncedOnceTheLastKeyIsUpEvenWhileAVoiceStillFades)
{
    VoiceRig rig;
    makeMode(rig, P::k_modeMono);
    rig.note(57);
    rig.run();
    rig.note(60); // voice 1 fades while voice 2 plays
    rig.run();
    rig.off(57);
    rig.off(60, 16);
    rig.run();
    ASSERT_EQ(rig.probe->eventsOf(kOff).size(), 1u);
    EXPECT_EQ(rig.voice(1).state, k_voiceStolen);
    EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 1);
    EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 1);
}

TEST(AM_VoiceCircuitMono, WithTheRetriggerWordEveryNotePlaysOnVoiceZero)
{
    VoiceRig rig(RigOptions{.resetFlag = true});
    makeMode(rig, P::k_modeMono);
    rig.note(57);
    rig.run();
    rig.note(60);
    rig.run();
    rig.off(60);
    rig.run();
    rig.off(57);
    rig.run();
    EXPECT_EQ(typesOf(*rig.probe), (std::vector<int32_t>{kOn, kRetrigger, kRetrigger, kOff}));
    for (const auto& e : rig.probe->events)
        EXPECT_EQ(e.voice, 0);
    EXPECT_EQ(rig.probe->events[2].pitch, 57.0f);
}

TEST(AM_VoiceCircuitMono, MonoGlidesFromThePresentPitchToEachNewNote)
{
    VoiceRig rig(RigOptions{.resetFlag = true});
    makeMode(rig, P::k_modeMono);
    rig.note(48);
    rig.run();
    rig.set(P::k_pGlide, 50.0f);
    rig.run();
    rig.note(60);
    rig.run();
    EXPECT_EQ(rig.voice(0).glideStart[0], 48.0f);
    EXPECT_EQ(rig.voice(0).targetPitch[0], 60.0f);
    EXPECT_GT(rig.voice(0).glidePhase[0], 0.0f);
    EXPECT_LT(rig.voice(0).glidePhase[0], 1.0f);
}

TEST(AM_VoiceCircuitMono, LegatoMovesTheSoundingVoiceWithoutAVoiceEvent)
{
    for (bool retrigger : {false, true}) {
        SCOPED_TRACE(retrigger);
        VoiceRig rig(RigOptions{.resetFlag = retrigger});
        makeMode(rig, P::k_modeLegato);
        rig.set(P::k_pGlide, 50.0f);
        rig.note(57, 80); // no key held: starts with an event, without glide
        rig.run();
        ASSERT_EQ(rig.probe->events.size(), 1u);
        const int32_t v = rig.probe->events[0].voice;
        EXPECT_EQ(rig.voice(v).glidePhase[0], 1.0f);

        rig.note(60, 120); // A held: B moves the voice, gliding
        rig.run();
        EXPECT_EQ(rig.probe->events.size(), 1u);
        EXPECT_EQ(rig.voice(v).targetPitch[0], 60.0f);
        EXPECT_EQ(rig.voice(v).glideStart[0], 57.0f);
        EXPECT_LT(rig.voice(v).glidePhase[0], 1.0f);
        EXPECT_FLOAT_EQ(rig.voice(v).velocity, 80.0f / 127.0f); // kept

        rig.off(60); // back to A on the same voice, still no event
        rig.run();
        EXPECT_EQ(rig.probe->events.size(), 1u);
        EXPECT_EQ(rig.voice(v).targetPitch[0], 57.0f);
        EXPECT_FLOAT_EQ(rig.voice(v).velocity, 80.0f / 127.0f);

        rig.off(57);
        rig.run();
        ASSERT_EQ(rig.probe->events.size(), 2u);
        EXPECT_EQ(rig.probe->events[1].type, kOff);
        EXPECT_EQ(rig.probe->events[1].voice, v);

        rig.note(64); // nothing held: a new note without glide
        rig.run();
        std::vector<VoiceProbe::Event> starts = rig.probe->eventsOf(kOn);
        for (const auto& e : rig.probe->eventsOf(kRetrigger))
            starts.push_back(e);
        ASSERT_EQ(starts.size(), 2u);
        const int32_t w = starts.back().voice;
        EXPECT_EQ(rig.voice(w).glidePhase[0], 1.0f);
        EXPECT_EQ(rig.voice(w).targetPitch[0], 64.0f);
    }
}

// Keys pressed together (a chord, or two keys within one block) while
// nothing sounds: the newest starts, with its own velocity and a voice event,
// whether the voice is fresh or still releasing an earlier note.
TEST(AM_VoiceCircuitMono, KeysPressedTogetherInLegatoStartTheNewestNote)
{
    for (bool retrigger : {false, true}) {
        SCOPED_TRACE(retrigger);
        VoiceRig rig(RigOptions{.resetFlag = retrigger});
        makeMode(rig, P::k_modeLegato);
        for (int32_t round = 0; round < 2; ++round) {
            SCOPED_TRACE(round); // round 1: the voice is releasing the chord before
            rig.probe->clear();
            rig.note(48, 90);
            rig.note(55, 100);
            rig.note(60, 110);
            rig.run();
            std::vector<VoiceProbe::Event> starts = rig.probe->eventsOf(kOn);
            for (const auto& e : rig.probe->eventsOf(kRetrigger))
                starts.push_back(e);
            ASSERT_EQ(starts.size(), 1u);
            const int32_t v = starts[0].voice;
            EXPECT_EQ(rig.voice(v).state, k_voicePlaying);
            EXPECT_EQ(rig.voice(v).targetPitch[0], 60.0f);
            EXPECT_FLOAT_EQ(rig.voice(v).velocity, 110.0f / 127.0f);

            rig.note(62, 20); // a key pressed later continues it
            rig.run();
            EXPECT_EQ(rig.probe->eventsOf(kOn).size() + rig.probe->eventsOf(kRetrigger).size(),
                      1u);
            EXPECT_EQ(rig.voice(v).targetPitch[0], 62.0f);
            for (int32_t key : {48, 55, 60, 62})
                rig.off(key);
            rig.run();
        }
    }
}

TEST(AM_VoiceCircuitMono, RepeatedLegatoNotesKeepTheirVelocity)
{
    VoiceRig rig(RigOptions{.resetFlag = true});
    makeMode(rig, P::k_modeLegato);
    rig.note(50, 100);
    rig.run();
    for (int32_t i = 0; i < 20; ++i) {
        rig.note(51 + i, 10);
        rig.run();
    }
    EXPECT_FLOAT_EQ(rig.voice(0).velocity, 100.0f / 127.0f);
}

TEST(AM_VoiceCircuitMono, DuoPlaysTheLowestAndTheHighestHeldKey)
{
    VoiceRig rig(RigOptions{.resetFlag = true});
    makeMode(rig, P::k_minimalModeDuo);
    ASSERT_EQ(rig.mainCircuit()->getChildRecord(1)->routine, &P::processDuo);
    EXPECT_EQ(rig.vcc->getQueue()->getVoiceCount(), 12);
    auto pitches = [&rig] {
        return std::vector<float>{rig.voice(0).targetPitch[0], rig.voice(0).targetPitch[1]};
    };

    rig.note(64);
    rig.run();
    EXPECT_EQ(pitches(), (std::vector<float>{64.0f, 64.0f}));
    rig.note(60);
    rig.run();
    EXPECT_EQ(pitches(), (std::vector<float>{60.0f, 64.0f}));
    rig.note(67);
    rig.note(62);
    rig.run();
    EXPECT_EQ(pitches(), (std::vector<float>{60.0f, 67.0f}));
    // One voice event for the first key only.
    EXPECT_EQ(typesOf(*rig.probe), (std::vector<int32_t>{kOn}));
    const auto samples = rig.probe->samplesOf(0);
    EXPECT_FLOAT_EQ(samples.back().rows[k_voiceRowKeyFollow], (60.0f - 64.0f) / 64.0f);
    EXPECT_FLOAT_EQ(samples.back().rows[k_voiceRowKeyFollow2], (67.0f - 64.0f) / 64.0f);

    rig.off(60);
    rig.off(67);
    rig.run();
    EXPECT_EQ(pitches(), (std::vector<float>{62.0f, 64.0f}));
    rig.off(62);
    rig.off(64);
    rig.run();
    EXPECT_EQ(typesOf(*rig.probe), (std::vector<int32_t>{kOn, kOff}));
    rig.run(40);
    EXPECT_EQ(rig.voice(0).state, k_voiceIdle);
    rig.note(70);
    rig.run();
    EXPECT_EQ(pitches(), (std::vector<float>{70.0f, 70.0f}));
    EXPECT_EQ(typesOf(*rig.probe), (std::vector<int32_t>{kOn, kOff, kOn}));
}

TEST(AM_VoiceCircuitMono, DuoWithAStackStartsEachVoiceOnce)
{
    VoiceRig rig;
    makeMode(rig, P::k_minimalModeDuo);
    rig.set(P::k_pVoiceStack, 2);
    rig.run();
    rig.probe->clear();
    rig.note(60);
    rig.note(72, 100, 16);
    rig.run();
    rig.note(65);
    rig.run();
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 2u);
    EXPECT_EQ(ons[0].voice, 0);
    EXPECT_EQ(ons[1].voice, 1);
    for (uint32_t v : {0u, 1u}) {
        EXPECT_EQ(rig.voice(v).targetPitch[0], 60.0f);
        EXPECT_EQ(rig.voice(v).targetPitch[1], 72.0f);
        EXPECT_EQ(rig.voice(v).stackSlot, static_cast<int32_t>(v));
    }
    EXPECT_EQ(rig.voice(2).state, k_voiceIdle);
}

TEST(AM_VoiceCircuitMono, DuoAnnouncesTheFirstKeyAndTheReleaseOfTheLastOnce)
{
    for (const int32_t stack : {1, 2}) {
        SCOPED_TRACE(stack);
        VoiceRig rig;
        makeMode(rig, P::k_minimalModeDuo);
        rig.set(P::k_pVoiceStack, static_cast<float>(stack));
        rig.run();
        rig.probe->clear();
        rig.note(60);
        rig.note(64);
        rig.run();
        rig.off(60);
        rig.run();
        EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 1);
        EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 0);
        rig.off(64);
        rig.run();
        EXPECT_EQ(rig.probe->eventsOf(kOff).size(), static_cast<size_t>(stack));
        EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 1);
        rig.note(62);
        rig.run();
        EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 2);
    }
}

TEST(AM_VoiceCircuitMono, DuoGlidesBetweenKeyChangesWhenGlideIsOn)
{
    VoiceRig rig(RigOptions{.resetFlag = true});
    makeMode(rig, P::k_minimalModeDuo);
    rig.set(P::k_pGlide, 50.0f);
    rig.set(P::k_pPortaRange, 100.0f);
    rig.note(60);
    rig.run();
    const AM_VoiceRecord& v = rig.voice(0);
    const float start1 = v.glideStart[0];
    rig.note(72);
    rig.run();
    EXPECT_EQ(v.targetPitch[1], 72.0f);
    EXPECT_EQ(v.glideStart[1], 60.0f);
    EXPECT_LT(v.glidePhase[1], 1.0f);
    // Pitch 1 keeps its target and its glide.
    EXPECT_EQ(v.targetPitch[0], 60.0f);
    EXPECT_EQ(v.glideStart[0], start1);
}

} // namespace
