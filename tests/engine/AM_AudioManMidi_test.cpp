// MIDI input: events to the modules that take MIDI, bank select, parameter
// events, and the kinds that are ignored.

#include "StartupFixture.h"
#include "TraceCapture.h"

#include "engine/AM_MidiEvent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace enginetest;

class MidiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataRoot::resetProcessState();
        engine = makeStartupEngine(0);
        engine->reset();
        activity() = 0.0f;
    }

    float& activity() { return *engine->getMidiActivityAddress(); }

    std::unique_ptr<StartupAudioMan> engine;
};

TEST_F(MidiTest, ForwardedKindsReachEveryModuleThatTakesMidi)
{
    const int32_t kinds[] = {
        AM_MidiEvent::kNote,      AM_MidiEvent::kPitchWheel,  AM_MidiEvent::kModulationWheel,
        AM_MidiEvent::kPressure,  AM_MidiEvent::kAllNotesOff, AM_MidiEvent::kSustain,
        AM_MidiEvent::kController};
    uint32_t frame = 3;
    for (int32_t kind : kinds)
        engine->midiEvent(kind, 5, 0.25f, 96.0f, frame++);
    EXPECT_EQ(activity(), 1.0f);
    for (const AccessModule* module : {engine->first, engine->second}) {
        ASSERT_EQ(module->eventCount, std::size(kinds));
        for (size_t i = 0; i < std::size(kinds); ++i) {
            const AccessModule::MidiRecord& e = module->events[i];
            EXPECT_EQ(e.kind, kinds[i]);
            EXPECT_EQ(e.number, 5);
            EXPECT_EQ(e.value, 0.25f);
            EXPECT_EQ(e.extra, 96.0f);
            EXPECT_EQ(e.frame, 3 + i);
        }
    }
}

TEST_F(MidiTest, IgnoredKindsChangeNothingNotEvenTheActivity)
{
    const std::string before = engine->chunkText();
    for (int32_t kind : {5, 8, 10, -1, 1000})
        engine->midiEvent(kind, 0, 1.0f, 1.0f, 0);
    EXPECT_EQ(engine->first->eventCount, 0u);
    EXPECT_EQ(activity(), 0.0f);
    EXPECT_EQ(engine->getCurrentMidiBank(), 0);
    EXPECT_EQ(engine->chunkText(), before);
}

TEST_F(MidiTest, BankSelectRoundsTheControllerValue)
{
    testsupport::TraceCapture trace;
    for (int32_t d = 0; d <= AM_MidiEvent::kControllerMax; ++d) {
        engine->midiEvent(AM_MidiEvent::kController, AM_MidiEvent::kBankSelectController,
                          static_cast<float>(d) * 0.007874016f, 0.0f, 0);
        ASSERT_EQ(engine->getCurrentMidiBank(), d) << "controller value " << d;
    }
    struct Case {
        float value;
        int32_t bank;
    };
    const Case edges[] = {{1.0f, 127},    {0.5f, 64},
                          {0.0f, 0},      {-0.1f, 0},
                          {2.0f, 127},    {std::numeric_limits<float>::quiet_NaN(), 0},
                          {-INFINITY, 0}, {INFINITY, 127}};
    for (const Case& c : edges) {
        engine->midiEvent(AM_MidiEvent::kController, 0, c.value, 0.0f, 0);
        EXPECT_EQ(engine->getCurrentMidiBank(), c.bank) << c.value;
    }
}

TEST_F(MidiTest, BankSelectIsTracedAndForwardedOtherControllersKeepTheBank)
{
    testsupport::TraceCapture trace;
    engine->midiEvent(AM_MidiEvent::kController, 0, 3.0f / 127.0f, 0.0f, 0);
    engine->midiEvent(AM_MidiEvent::kController, 32, 1.0f, 0.0f, 0);
    EXPECT_EQ(engine->getCurrentMidiBank(), 3);
    EXPECT_EQ(trace.count("MidiBankSelect 3\n"), 1);
    EXPECT_EQ(trace.count("MidiBankSelect"), 1);
    EXPECT_EQ(engine->first->eventCount, 2u);
}

TEST_F(MidiTest, ParameterEventsAreClampedAndQueuedNotForwarded)
{
    const int32_t gain = engine->id("AM1", "Gain");
    engine->first->gain = -0.5f;
    engine->midiEvent(AM_MidiEvent::kParameter, gain, 99.0f, 0.0f, 0);
    EXPECT_EQ(engine->getParameter(gain, false), 3.0f);
    EXPECT_EQ(engine->first->gain, -0.5f) << "written by the next block, not at once";
    EXPECT_EQ(engine->first->eventCount, 0u);
    EXPECT_EQ(activity(), 0.0f);

    float out[2][64] = {};
    runHostBlock(*engine, 64, nullptr, nullptr, out[0], out[1]);
    EXPECT_EQ(engine->first->gain, 3.0f);
}

TEST_F(MidiTest, ProgramChangeWithoutBanksFailsSilently)
{
    testsupport::TraceCapture trace;
    char name[AM_AudioMan::kProgramNameBytes] = "unchanged";
    EXPECT_FALSE(engine->selectProgram(0, name));
    EXPECT_STREQ(name, "unchanged");
    EXPECT_EQ(trace.text(), "");
}

} // namespace
