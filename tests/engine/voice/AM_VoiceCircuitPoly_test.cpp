// The polyphonic mode through the circuit: voice choice, stealing, stacking,
// releases, messages 52 and 53, MIDI input checks and mode changes.

#include "VoiceRig.h"

#include "AllocationCounter.h"
#include "engine/module/AM_ModulationRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using voicetest::RigOptions;
using voicetest::VoiceProbe;
using voicetest::VoiceRig;
using P = AM_VoiceCircuitMin;

constexpr int32_t kOn = k_voiceEventNoteOn;
constexpr int32_t kOff = k_voiceEventNoteOff;
constexpr int32_t kFast = k_voiceEventFastRelease;
constexpr int32_t kRetrigger = k_voiceEventRetrigger;

// A rig in poly mode with all 8 voices ("Voices" many) and no drift.
void makePoly(VoiceRig& rig)
{
    rig.set(P::k_pVoices, 2);
    rig.set(P::k_pDrift, 0);
}

AM_ProcessRoutine routineOf(VoiceRig& rig)
{
    return rig.mainCircuit()->getChildRecord(1)->routine;
}

TEST(AM_VoiceCircuitPoly, AfterAResetTheFirstNoteLandsOnVoice7AndTheNextOn6)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60, 127);
    rig.note(64, 64, 16);
    rig.run();
    // The pass runs the voices in index order.
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 2u);
    EXPECT_EQ(ons[1].voice, 7);
    EXPECT_EQ(ons[1].velocity, 1.0f);
    EXPECT_EQ(ons[1].pitch, 60.0f);
    EXPECT_EQ(ons[0].voice, 6);
    EXPECT_FLOAT_EQ(ons[0].velocity, 64.0f / 127.0f);
    EXPECT_EQ(ons[0].pitch, 64.0f);
    EXPECT_EQ(rig.voice(7).state, k_voicePlaying);
    // The key after "Transpose" (-12 by default).
    EXPECT_EQ(rig.voice(7).key, 48);
    // Voice 6 starts one unit into the block.
    const auto& runs = rig.probe->runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].voice, 6);
    EXPECT_EQ(runs[0].start, 1);
    EXPECT_EQ(runs[0].length, 3);
    EXPECT_EQ(runs[0].presentKey, 52);
    EXPECT_EQ(runs[0].presentVelocity, 64);
    EXPECT_EQ(runs[1].voice, 7);
    EXPECT_EQ(runs[1].start, 0);
    EXPECT_EQ(runs[1].presentKey, 48);
    EXPECT_EQ(runs[1].presentVelocity, 127);
    EXPECT_EQ(rig.ctx()->lastStartedVoice, 7);
}

TEST(AM_VoiceCircuitPoly, VoicesAndStackSizeTheQueue)
{
    struct Case {
        int32_t voices, stack;
        int32_t queueVoices;
        bool mono;
    };
    const Case cases[] = {
        {0, 1, 2, false}, {1, 1, 4, false}, {2, 1, 8, false},
        {2, 3, 2, false}, {2, 5, 1, true},  {0, 2, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.voices << "/" << c.stack);
        VoiceRig rig;
        rig.set(P::k_pVoices, static_cast<float>(c.voices));
        rig.set(P::k_pVoiceStack, static_cast<float>(c.stack));
        rig.run();
        EXPECT_EQ(rig.vcc->getQueue()->getVoiceCount(), c.queueVoices);
        EXPECT_EQ(rig.vcc->getQueue()->isMono(), c.mono);
        EXPECT_EQ(routineOf(rig), c.mono ? &P::processMono : &P::processPoly);
    }
}

// Every mode value of both layouts, written straight into the parameter
// block (so also the minimal layout's mode 4, which its table does not
// offer): the queue it configures and the routine it hands out.
TEST(AM_VoiceCircuitPoly, EachModeConfiguresItsQueueAndRoutine)
{
    struct Case {
        bool minimal;
        int32_t mode;
        int32_t queueVoices;
        bool mono;
        AM_ProcessRoutine routine;
    };
    const Case cases[] = {
        {true, 0, 4, false, &P::processPoly},         {true, 1, 1, true, &P::processMono},
        {true, 2, 1, true, &P::processMono},          {true, 3, 12, true, &P::processDuo},
        {true, 4, 12, true, &P::processDuo},          {false, 0, 4, false, &P::processPoly},
        {false, 1, 1, true, &P::processMono},         {false, 2, 1, true, &P::processMono},
        {false, 3, 8, false, &P::processArpeggiator}, {false, 4, 12, true, &P::processDuo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.minimal ? "minimal " : "full ") << c.mode);
        VoiceRig rig(RigOptions{.minimal = c.minimal});
        rig.vcc->getParams()->mode = c.mode;
        uint32_t local = rig.vcc->getCircuitParameterCount() + P::k_pMode;
        float value = static_cast<float>(c.mode);
        rig.vcc->parameterChanged(&local, &value, nullptr);
        EXPECT_EQ(rig.vcc->getQueue()->getVoiceCount(), c.queueVoices);
        EXPECT_EQ(rig.vcc->getQueue()->isMono(), c.mono);
        EXPECT_EQ(rig.vcc->getProcessRoutine(rig.ctx()), c.routine);
    }
}

TEST(AM_VoiceCircuitPoly, AStackOfThreePlaysThreeVoicesPerNoteWithTheirVoiceValues)
{
    VoiceRig rig;
    makePoly(rig);
    rig.set(P::k_pVoiceStack, 3);
    rig.set(P::k_pVoice1 + 1, 12.0f); // slot 1 an octave up
    rig.note(60);
    rig.run();
    // The queue's first voice is 1: circuit voices 3, 4 and 5.
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 3u);
    const float voiceValues[3] = {1.0f, 1.0f / 3.0f, -1.0f / 3.0f};
    for (int32_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const int32_t v = 3 + k;
        EXPECT_EQ(rig.voice(v).stackSlot, k);
        const auto samples = rig.probe->samplesOf(v);
        ASSERT_FALSE(samples.empty());
        EXPECT_FLOAT_EQ(samples.back().rows[k_voiceRowVoice], voiceValues[k]);
        const float offset = k == 1 ? 12.0f : 0.0f;
        EXPECT_FLOAT_EQ(samples.back().rows[k_voiceRowKeyFollow], (60.0f + offset - 64.0f) / 64.0f);
    }
    // Alternate flips once per note, not per stacked voice.
    EXPECT_EQ(rig.voice(3).alternate, rig.voice(5).alternate);
}

TEST(AM_VoiceCircuitPoly, ANoteOffLetsTheGateFallOver127UnitsAndThenTheVoiceEnds)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60);
    rig.run();
    rig.off(60);
    rig.run();
    ASSERT_EQ(rig.probe->eventsOf(kOff).size(), 1u);
    EXPECT_EQ(rig.probe->eventsOf(kOff)[0].voice, 7);
    const auto samples = rig.probe->samplesOf(7);
    const auto& lastStep = samples.back();
    EXPECT_NEAR(lastStep.rows[k_voiceRowGate], 1.0f - 15.0f / 512.0f, 1e-6);
    rig.run(30); // 124 units after the note-off
    EXPECT_EQ(rig.voice(7).state, k_voicePlaying);
    EXPECT_GT(rig.voice(7).gateLevel, 0.0f);
    rig.run();
    EXPECT_EQ(rig.voice(7).state, k_voiceIdle);
    EXPECT_EQ(rig.voice(7).gateLevel, 0.0f);
    const size_t runs = rig.probe->runs.size();
    rig.run(4);
    EXPECT_EQ(rig.probe->runs.size(), runs); // an idle voice is not run
}

TEST(AM_VoiceCircuitPoly, TheFirstVoiceAfterSilenceAndTheLastReleaseAreBroadcastOnce)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60);
    rig.note(62, 100, 32);
    rig.run();
    EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 1);
    rig.off(60);
    rig.run();
    EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 0);
    rig.off(62);
    rig.run(40);
    EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 1);
    rig.note(65);
    rig.run();
    EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 2);
    EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 1);
}

TEST(AM_VoiceCircuitPoly, ANinthKeyFadesTheOldestVoiceAndStartsOnIt31UnitsIntoTheNextBlock)
{
    VoiceRig rig; // retrigger word 0
    makePoly(rig);
    for (int32_t k = 0; k < 8; ++k) {
        rig.note(60 + k);
        rig.run();
    }
    rig.probe->clear();
    const int64_t block = rig.clock;
    rig.note(80, 100, 32); // unit 2
    rig.run();
    const auto fast = rig.probe->eventsOf(kFast);
    ASSERT_EQ(fast.size(), 1u);
    EXPECT_EQ(fast[0].voice, 7);
    EXPECT_EQ(rig.voice(7).state, k_voiceStolen);
    EXPECT_TRUE(rig.probe->eventsOf(kOn).empty());

    rig.run(12);
    // The stolen voice faded out within 32 units and ended.
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].voice, 7);
    EXPECT_EQ(ons[0].pitch, 80.0f);
    // The first run of the new note starts at unit 2 + 31 of the next block.
    const int64_t expectedStart = (block + 4 + 2 + 31) * k_stepsPerUnit;
    bool found = false;
    for (const auto& r : rig.probe->runs) {
        if (r.voice == 7 && r.step >= ons[0].step) {
            EXPECT_EQ(r.step, expectedStart);
            found = true;
            break;
        }
    }
    EXPECT_TRUE(found);
}

TEST(AM_VoiceCircuitPoly, WithTheRetriggerWordANinthKeyRetriggersTheOldestVoiceAtOnce)
{
    VoiceRig rig(RigOptions{.resetFlag = true});
    makePoly(rig);
    for (int32_t k = 0; k < 8; ++k) {
        rig.note(60 + k);
        rig.run();
    }
    rig.probe->clear();
    rig.note(80, 100, 32);
    rig.run();
    const auto events = rig.probe->events;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, kRetrigger);
    EXPECT_EQ(events[0].voice, 7);
    EXPECT_EQ(events[0].pitch, 80.0f);
    EXPECT_EQ(rig.voice(7).key, 80 - 12);
}

TEST(AM_VoiceCircuitPoly, ChildrenRunWithTheirMemoryMovedToEachVoicesCopy)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60);
    rig.note(62);
    rig.run(3);
    const uint32_t stride = rig.vcc->getParams()->childStride;
    const auto* base = static_cast<const uint8_t*>(rig.probe->getVoiceMemory(0));
    for (const auto& r : rig.probe->runs)
        EXPECT_EQ(r.voiceMemory, base + r.voice * stride) << r.voice;
    // Each voice's copy counted its own runs.
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(base + 7 * stride), 3u);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(base + 6 * stride), 3u);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(base + 5 * stride), 0u);
    // The record's own pointer is back at copy 0 between runs.
    EXPECT_EQ(rig.vcc->getChildRecord(0)->voiceMemory, base);
}

TEST(AM_VoiceCircuitPoly, TheVoiceEndedBitPassesAlongTheRunListAndTheLastRecordDecides)
{
    struct Case {
        bool firstEnds, lastClears, voiceEnds;
    };
    for (const Case c :
         {Case{true, false, true}, Case{true, true, false}, Case{false, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.firstEnds << c.lastClears);
        VoiceRig rig(RigOptions{.secondProbe = true});
        makePoly(rig);
        rig.probe->endWhenGateClosed = false;
        rig.probe->endAlways = c.firstEnds;
        rig.last->endWhenGateClosed = false;
        rig.last->clearEnded = c.lastClears;
        rig.note(60);
        rig.run();
        ASSERT_FALSE(rig.last->runs.empty());
        EXPECT_EQ(rig.last->runs[0].endedBitIn, c.firstEnds ? k_childVoiceEnded : 0u);
        EXPECT_EQ(rig.voice(7).state, c.voiceEnds ? k_voiceIdle : k_voicePlaying);
        EXPECT_EQ(rig.vcc->getChildRecord(1)->flags & k_childVoiceEnded, 0u);
    }
}

TEST(AM_VoiceCircuitPoly, RowsFromAlternateOnAreKeptPerVoice)
{
    VoiceRig rig(RigOptions{.probeRow = true});
    makePoly(rig);
    rig.note(60);
    rig.note(62);
    rig.run(2);
    // In the second block each voice finds, on entry, the value it left in
    // the probe's row (the voice number + 0.5), not the other voice's.
    int checked = 0;
    for (const auto& r : rig.probe->runs) {
        if (r.step < 4 * k_stepsPerUnit)
            continue;
        EXPECT_EQ(r.ownAtEntry, static_cast<float>(r.voice) + 0.5f);
        ++checked;
    }
    EXPECT_EQ(checked, 2);
    // Alternate and Random differ per voice and are kept with each.
    EXPECT_EQ(rig.voice(7).rowMemory[0], rig.voice(7).alternate);
    EXPECT_EQ(rig.voice(6).rowMemory[0], rig.voice(6).alternate);
    EXPECT_NE(rig.voice(7).alternate, rig.voice(6).alternate);
    EXPECT_EQ(rig.voice(6).rowMemory[1], rig.voice(6).random);
}

TEST(AM_VoiceCircuitPoly, TheMatrixIsAppliedPerVoiceFromThatVoicesSourcesAndUndoneAfter)
{
    VoiceRig rig;
    makePoly(rig);
    // One matrix row of the voice circuit: KeyFollow onto the probe's value.
    AM_ProcessContext& ctx = *rig.ctx();
    const uint32_t slots = ctx.modulationSlotCount;
    const uint32_t circuit = static_cast<uint32_t>(rig.vcc->getCircuitIndex());
    ASSERT_GT(slots, 0u);
    ASSERT_LT(circuit, ctx.indexedObjectCount);
    AM_ModulationRecord& m = ctx.modulationRecords[0];
    m.source = static_cast<int32_t>(rig.vcc->getFirstControlRow() + k_voiceRowKeyFollow);
    m.depth = 1.0f;
    m.scale = 1.0f;
    m.minimum = -10.0f;
    m.maximum = 10.0f;
    m.targetValue = &rig.probe->modTarget;
    ctx.applyLists[circuit * slots] = 0;
    ctx.applyCounts[circuit] = 1;
    ctx.restoreLists[circuit * slots] = 0;
    ctx.restoreCounts[circuit] = 1;
    rig.probe->modTarget = 2.0f;

    rig.note(64);
    rig.note(96);
    rig.run();
    ASSERT_EQ(rig.probe->runs.size(), 2u);
    for (const auto& r : rig.probe->runs) {
        const float keyFollow = r.voice == 7 ? 0.0f : 0.5f;
        EXPECT_FLOAT_EQ(r.modTarget, 2.0f + keyFollow) << r.voice;
    }
    EXPECT_EQ(rig.probe->modTarget, 2.0f);
}

TEST(AM_VoiceCircuitPoly, PressureSlewsTowardTheKeysPressureAtMost0_0003PerStep)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60);
    rig.run();
    rig.midi(4, 60, 1.0f, 0.0f, 0); // transposed as the note: key 48
    int32_t steps = 0;
    while (rig.voice(7).pressure < 1.0f && steps < 20000) {
        rig.run(1, 1);
        steps += k_stepsPerUnit;
    }
    EXPECT_NEAR(steps, 3334, 4);
    // A small change is followed within one stretch.
    rig.midi(4, 60, 0.9999f, 0.0f, 0);
    rig.run();
    EXPECT_FLOAT_EQ(rig.voice(7).pressure, 0.9999f);
}

TEST(AM_VoiceCircuitPoly, PressureForAllKeysAndKeysOutsideTheTableAreClamped)
{
    VoiceRig rig;
    AM_VoiceCircuitShared& shared = *rig.vcc->getShared();
    rig.midi(4, -1, 0.25f, 0.0f, 0);
    EXPECT_EQ(shared.keyPressure[0], 0.25f);
    EXPECT_EQ(shared.keyPressure[127], 0.25f);
    EXPECT_EQ(shared.channelPressure, 0.25f);
    rig.midi(4, 1000, 0.5f, 0.0f, 0);
    EXPECT_EQ(shared.keyPressure[127], 0.5f);
    rig.midi(4, 3, 0.75f, 0.0f, 0); // 3 - 12 < 0
    EXPECT_EQ(shared.keyPressure[0], 0.75f);
    rig.midi(4, 5, std::numeric_limits<float>::quiet_NaN(), 0.0f, 0);
    EXPECT_EQ(shared.keyPressure[0], 0.75f);
}

TEST(AM_VoiceCircuitPoly, NotesOutsideTheKeyboardAreIgnoredAndVelocitiesClamped)
{
    VoiceRig rig;
    makePoly(rig);
    for (float key : {-1.0f, 128.0f, 1000.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()})
        rig.midi(0, 0, key, 100.0f, 0);
    rig.run();
    EXPECT_TRUE(rig.probe->events.empty());
    rig.note(60, 300.0f);
    rig.note(61, 0.25f);                        // a positive fraction is the softest note-on
    rig.midi(0, 0, 62.0f, 100.0f, 0xffffffffu); // far in the future, no overflow
    rig.run();
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 2u);
    EXPECT_EQ(ons[1].voice, 7);
    EXPECT_EQ(ons[1].velocity, 1.0f);
    EXPECT_FLOAT_EQ(ons[0].velocity, 1.0f / 127.0f);
}

TEST(AM_VoiceCircuitPoly, ThePedalDefersNoteOffsUntilItIsLifted)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60);
    rig.run();
    rig.pedal(true);
    rig.off(60);
    rig.run(3);
    EXPECT_TRUE(rig.probe->eventsOf(kOff).empty());
    rig.pedal(false);
    rig.run();
    ASSERT_EQ(rig.probe->eventsOf(kOff).size(), 1u);
    EXPECT_EQ(rig.probe->eventsOf(kOff)[0].voice, 7);
}

TEST(AM_VoiceCircuitPoly, AllNotesOffReleasesEveryHeldVoice)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60);
    rig.note(64);
    rig.run();
    rig.midi(6, 0, 0.0f, 0.0f, 0);
    const auto offs = rig.probe->eventsOf(kOff);
    ASSERT_EQ(offs.size(), 2u);
    EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 1);
    // The keys are forgotten: their releases change nothing.
    rig.off(60);
    rig.off(64);
    rig.run();
    EXPECT_EQ(rig.probe->eventsOf(kOff).size(), 2u);
    EXPECT_EQ(rig.vcc->getQueue()->getSoundingCount(), 0);
}

TEST(AM_VoiceCircuitPoly, AModeChangeFadesThePlayingVoicesAndExchangesTheRoutine)
{
    VoiceRig rig;
    makePoly(rig);
    rig.note(60);
    rig.note(64);
    rig.run();
    ASSERT_EQ(routineOf(rig), &P::processPoly);
    rig.set(P::k_pMode, P::k_modeMono);
    rig.run();
    EXPECT_EQ(routineOf(rig), &P::processMono);
    const auto fast = rig.probe->eventsOf(kFast);
    ASSERT_EQ(fast.size(), 2u);
    EXPECT_EQ(rig.voice(7).state, k_voiceStolen);
    EXPECT_EQ(rig.vcc->getQueue()->getVoiceCount(), 1);
    EXPECT_TRUE(rig.vcc->getQueue()->isMono());
    // No key counts as held any more: silence is announced.
    EXPECT_EQ(rig.probe->messageCount(k_msgAllVoicesEnded), 1);
    rig.run(9);
    EXPECT_EQ(rig.voice(7).state, k_voiceIdle);
    EXPECT_EQ(rig.voice(6).state, k_voiceIdle);
}

TEST(AM_VoiceCircuitPoly, ANotePlayedWithAModeChangeSoundsInTheNewMode)
{
    VoiceRig rig;
    makePoly(rig);
    rig.run();
    rig.set(P::k_pMode, P::k_modeMono); // applied at the start of the next block
    rig.note(60, 100, 16);
    rig.run();
    EXPECT_EQ(routineOf(rig), &P::processMono);
    const auto ons = rig.probe->eventsOf(kOn);
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].pitch, 60.0f);
}

TEST(AM_VoiceCircuitPoly, ResetSilencesEveryVoiceAndSetsTheRetriggerWordWhenAsked)
{
    for (bool flag : {false, true}) {
        VoiceRig rig(RigOptions{.resetFlag = flag});
        makePoly(rig);
        rig.note(60);
        rig.run();
        rig.mainCircuit()->resetTree();
        EXPECT_EQ(rig.voice(7).state, k_voiceIdle);
        EXPECT_EQ(rig.voice(7).pendingTime, k_noPendingEvent);
        EXPECT_EQ(rig.vcc->getParams()->retrigger, flag ? 1u : 0u);
        EXPECT_EQ(rig.vcc->getShared()->alternateSign, 1.0f);
        rig.probe->clear();
        rig.note(62);
        rig.run();
        EXPECT_EQ(rig.probe->messageCount(k_msgFirstVoiceStarted), 1);
        ASSERT_EQ(rig.probe->eventsOf(kOn).size(), 1u);
        EXPECT_EQ(rig.probe->eventsOf(kOn)[0].voice, 7);
    }
}

TEST(AM_VoiceCircuitPoly, BlocksAllocateNothingInAnyMode)
{
    VoiceRig rig(RigOptions{.minimal = false});
    rig.probe->recording = false;
    makePoly(rig);
    rig.run();
    for (int32_t mode : {0, 1, 2, 3, 4}) {
        rig.set(P::k_pMode, static_cast<float>(mode));
        rig.run();
        testsupport::AllocationCounter counter;
        for (int32_t i = 0; i < 40; ++i) {
            rig.note(48 + i % 24, 100.0f, static_cast<uint32_t>(i % 4) * 16);
            if (i > 3)
                rig.off(48 + (i - 3) % 24, 8);
            rig.pedal(i % 7 == 0);
            rig.run(1, 1 + i % 4);
        }
        rig.midi(6, 0, 0.0f, 0.0f, 0);
        rig.run(10);
        EXPECT_EQ(counter.count(), 0u) << mode;
    }
}

} // namespace
