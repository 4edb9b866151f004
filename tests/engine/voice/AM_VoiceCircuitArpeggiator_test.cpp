// The arpeggiator of the full layout: step clock, orders, octaves, the held
// keys, gates, ties and the step modulation.

#include "TraceCapture.h"
#include "VoiceRig.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using voicetest::RigOptions;
using voicetest::VoiceProbe;
using voicetest::VoiceRig;
using P = AM_VoiceCircuitMin;

constexpr int32_t kOn = k_voiceEventNoteOn;
constexpr int32_t kOff = k_voiceEventNoteOff;
// 120 beats per minute, "1/16": 8 steps per second, 5512.5 samples a step.
constexpr double kStepSamples = 44100.0 / 8.0;
constexpr int32_t kSync16th = 2;

uint32_t stepParam(int32_t step, int32_t field)
{
    return P::k_pFirstStep + 6 * step + field;
}

void makeArp(VoiceRig& rig)
{
    rig.set(P::k_pMode, P::k_modeArpeggiator);
    rig.set(P::k_pArpSync, kSync16th);
    rig.set(P::k_pDrift, 0);
    rig.run();
    rig.probe->clear();
}

std::vector<float> pitchesOf(const std::vector<VoiceProbe::Event>& events)
{
    std::vector<float> out;
    for (const auto& e : events)
        out.push_back(e.pitch);
    return out;
}

TEST(AM_VoiceCircuitArpeggiator, At120BeatsPerMinuteASixteenthPlaysEightStepsPerSecond)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    ASSERT_EQ(rig.mainCircuit()->getChildRecord(1)->routine, &P::processArpeggiator);
    rig.note(60);
    rig.runHostBlocks(168 * 512, 512); // just under 2 s
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 16u);
    for (size_t i = 1; i < ons.size(); ++i) {
        const double samples = static_cast<double>(ons[i].step - ons[i - 1].step) * 4.0;
        EXPECT_NEAR(samples, kStepSamples, 64.0) << i;
    }
    EXPECT_NEAR(static_cast<double>(ons.back().step - ons.front().step) * 4.0, 15 * kStepSamples,
                64.0);
}

TEST(AM_VoiceCircuitArpeggiator, ADurationOfTwoDoublesThatStepsLength)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    rig.set(stepParam(1, 3), 2);
    rig.note(60);
    rig.runHostBlocks(44100, 64);
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_GE(ons.size(), 4u);
    // Steps start on sub-block bounds, and the block in which a step starts
    // still runs at the rate of the step before: two sub-blocks of slack.
    const double lengths[3] = {kStepSamples, 2 * kStepSamples, kStepSamples};
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_NEAR(static_cast<double>(ons[i + 1].step - ons[i].step) * 4.0, lengths[i], 128.0)
            << i;
}

// Key 60 alone first, then 64 and 67; the pitches of the first `steps`
// steps.
std::vector<float> playThreeKeys(int32_t loop, int32_t octave, size_t steps)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    rig.set(P::k_pArpLoop, static_cast<float>(loop));
    rig.set(P::k_pArpOctave, static_cast<float>(octave));
    rig.note(60);
    rig.run();
    rig.note(64);
    rig.note(67);
    while (rig.probe->eventsOf(kOn).size() < steps)
        rig.run();
    std::vector<float> pitches = pitchesOf(rig.probe->eventsOf(kOn));
    pitches.resize(steps);
    return pitches;
}

TEST(AM_VoiceCircuitArpeggiator, LoopOrdersAndOctavesFollowTheHeldKeys)
{
    struct Case {
        const char* what;
        int32_t loop, octave;
        std::vector<float> pitches;
    };
    const Case cases[] = {
        {"F --> over two octaves", 0, 1, {60, 64, 67, 72, 76, 79, 60, 64, 67}},
        {"F --> over three octaves", 0, 2, {60, 64, 67, 72, 76, 79, 84, 88, 91, 60}},
        {"F --> in one octave", 0, 0, {60, 64, 67, 60, 64, 67}},
        {"B <--", 1, 0, {60, 64, 60, 67, 64, 60}},
        {"FB <-> turns at the top", 2, 1, {60, 64, 67, 64, 72, 76, 79, 76, 60}},
        {"BF >-< is its mirror", 3, 1, {60, 64, 60, 64, 79, 76, 72, 76, 67}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(playThreeKeys(c.loop, c.octave, c.pitches.size()), c.pitches);
    }
}

TEST(AM_VoiceCircuitArpeggiator, StepControlAndTransposeShapeTheSequence)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    rig.set(P::k_pArpOctave, 0);
    rig.set(stepParam(2, 4), 1); // step 3: "same"
    rig.set(stepParam(3, 4), 2); // step 4: "first"
    rig.set(stepParam(4, 4), 3); // step 5: "last"
    rig.set(stepParam(5, 1), 7); // step 6: up a fifth
    rig.set(P::k_pArpLoopLength, 6);
    rig.note(60);
    rig.run();
    rig.note(64);
    rig.note(67);
    while (rig.probe->eventsOf(kOn).size() < 8)
        rig.run();
    std::vector<float> pitches = pitchesOf(rig.probe->eventsOf(kOn));
    pitches.resize(8);
    // Steps 1-6, then 1-2 again (loop length 6).
    EXPECT_EQ(pitches, (std::vector<float>{60, 64, 64, 60, 67, 67, 64, 67}));
}

TEST(AM_VoiceCircuitArpeggiator, AsPlayedIgnoresASeventeenthKeyAndByNoteDropsTheHighest)
{
    for (int32_t order : {0, 1}) {
        SCOPED_TRACE(order);
        VoiceRig rig(RigOptions{.minimal = false});
        makeArp(rig);
        rig.set(P::k_pArpOrder, static_cast<float>(order));
        for (int32_t k = 0; k < 16; ++k)
            rig.note(90 - k);
        rig.note(40);
        rig.run();
        const AM_ArpState& arp = rig.vcc->getShared()->arp;
        ASSERT_EQ(arp.heldCount, 16);
        if (order == 1) {
            EXPECT_EQ(arp.held[0].key, 90);
            EXPECT_EQ(arp.held[15].key, 75);
        } else {
            EXPECT_EQ(arp.held[0].key, 40);
            EXPECT_EQ(arp.held[1].key, 75);
            EXPECT_EQ(arp.held[15].key, 89); // 90 dropped out
        }
    }
}

TEST(AM_VoiceCircuitArpeggiator, ReleasingAllKeysEndsTheNotesAtOnceAndTheNextKeyStartsStepOne)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    rig.set(stepParam(0, 0), 4); // gate 0.99: the note is still held
    rig.note(60);
    rig.run(200);
    EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 1);
    ASSERT_GE(rig.vcc->getShared()->arp.step, 1);
    rig.probe->clear();
    rig.off(60);
    rig.run();
    EXPECT_EQ(rig.probe->eventsOf(kOff).size(), 1u);
    rig.run(30);
    rig.probe->clear();
    rig.note(62);
    rig.run();
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].pitch, 62.0f);
    EXPECT_EQ(rig.vcc->getShared()->arp.step, 0);
    EXPECT_EQ(rig.vcc->getParams()->playingStep, 0.0f);
    EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 1);
    EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 0);
}

TEST(AM_VoiceCircuitArpeggiator, TheGateEndsEachNoteAtItsFractionOfTheStep)
{
    struct Case {
        int32_t gate;
        double fraction;
    };
    for (const Case c : {Case{0, 0.1}, Case{2, 0.5}, Case{3, 0.75}}) {
        SCOPED_TRACE(c.gate);
        VoiceRig rig(RigOptions{.minimal = false});
        makeArp(rig);
        for (int32_t s = 0; s < 16; ++s)
            rig.set(stepParam(s, 0), static_cast<float>(c.gate));
        rig.note(60);
        rig.run();
        rig.runHostBlocks(6000, 64);
        const auto ons = rig.probe->eventsOf(kOn);
        const auto offs = rig.probe->eventsOf(kOff);
        ASSERT_GE(ons.size(), 2u);
        ASSERT_GE(offs.size(), 1u);
        EXPECT_NEAR(static_cast<double>(offs[0].step - ons[0].step) * 4.0,
                    c.fraction * kStepSamples, 64.0);
        EXPECT_EQ(offs[0].voice, ons[0].voice);
    }
}

TEST(AM_VoiceCircuitArpeggiator, ATiedStepHandsItsVoiceToTheNextStepWithoutAnEvent)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    for (int32_t s = 0; s < 16; ++s)
        rig.set(stepParam(s, 0), 5); // gate 1.25
    rig.set(P::k_pArpGlide, 1);
    rig.set(P::k_pGlide, 30.0f);
    rig.note(60);
    rig.run();
    rig.note(64);
    rig.runHostBlocks(8000, 64); // two steps
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 1u);
    const int32_t v = ons[0].voice;
    EXPECT_EQ(rig.voice(v).targetPitch[0], 64.0f); // the second step, on the same voice
    EXPECT_EQ(rig.voice(v).glideStart[0], 60.0f);
    EXPECT_TRUE(rig.probe->eventsOf(kOff).empty());
}

TEST(AM_VoiceCircuitArpeggiator, EachStepSetsTheModulatorRowAndThePlayingStep)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    rig.set(stepParam(0, 5), 50.0f);
    rig.set(stepParam(1, 5), -100.0f);
    rig.note(60);
    rig.run();
    const uint32_t row = rig.vcc->getFirstControlRow() + k_voiceRowArpModulator;
    const float* values = rig.ctx()->controlRows + row * k_controlRowSteps;
    EXPECT_EQ(values[0], 0.5f);
    EXPECT_EQ(values[15], 0.5f);
    while (rig.vcc->getShared()->arp.step == 0)
        rig.run();
    EXPECT_EQ(values[15], -1.0f);
    EXPECT_EQ(rig.vcc->getParams()->playingStep, 1.0f);
    // Every voice sees the step's value.
    const auto samples = rig.probe->samplesOf(rig.ctx()->lastStartedVoice);
    EXPECT_EQ(samples.back().rows[k_voiceRowArpModulator], -1.0f);
}

TEST(AM_VoiceCircuitArpeggiator, AStepPlaysAsManyHeldNotesAsItsVoicesOnSuccessiveVoices)
{
    VoiceRig rig(RigOptions{.minimal = false});
    makeArp(rig);
    rig.set(P::k_pVoices, 2);    // a new voice setting starts the queue afresh
    rig.set(stepParam(1, 2), 3); // step 2: three notes
    rig.run();
    rig.note(60);
    rig.run();
    rig.note(64);
    rig.note(67);
    while (rig.probe->eventsOf(kOn).size() < 4)
        rig.run();
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 4u);
    EXPECT_EQ(pitchesOf(ons), (std::vector<float>{60, 64, 67, 60}));
    EXPECT_EQ(ons[2].voice, (ons[1].voice + 1) % 8);
    EXPECT_EQ(ons[3].voice, (ons[2].voice + 1) % 8);
}

TEST(AM_VoiceCircuitArpeggiator, ANoteThatNoModuleReceivesIsReportedAndStillStarts)
{
    for (const bool receivers : {true, false}) {
        SCOPED_TRACE(receivers);
        VoiceRig rig(RigOptions{.minimal = false, .probeReceivesVoiceEvents = receivers});
        makeArp(rig);
        testsupport::TraceCapture trace;
        rig.note(60);
        rig.run();
        const int32_t v = rig.ctx()->lastStartedVoice;
        EXPECT_EQ(rig.voice(v).state, k_voicePlaying);
        EXPECT_EQ(rig.voice(v).targetPitch[0], 60.0f);
        EXPECT_EQ(rig.probe->eventsOf(kOn).size(), receivers ? 1u : 0u);
        EXPECT_EQ(trace.text(), receivers ? "" : "WTF?\n\n");
    }
}

TEST(AM_VoiceCircuitArpeggiator, AfterATempoItCannotFollowTheStepClockKeepsNoBacklog)
{
    for (const double tempo : {1e12, 1e5, std::numeric_limits<double>::quiet_NaN(), -500.0}) {
        SCOPED_TRACE(tempo);
        VoiceRig rig(RigOptions{.minimal = false});
        makeArp(rig);
        rig.note(60);
        rig.ctx()->tempo = tempo;
        rig.run(20);
        rig.ctx()->tempo = 120.0;
        rig.run();
        rig.probe->clear();
        rig.runHostBlocks(44100, 64); // one second: 8 steps
        const size_t steps = rig.probe->eventsOf(kOn).size();
        EXPECT_GE(steps, 7u);
        EXPECT_LE(steps, 9u);
        EXPECT_LE(rig.vcc->getShared()->arp.phase, 1.0f);
    }
}

} // namespace
