#include "FakeHost.h"
#include "ProbeEffect.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using vsttest::FakeHost;
using vsttest::ProbeEffect;

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

class AudioEffectXTest : public ::testing::Test {
protected:
    FakeHost host;
    ProbeEffect effect{FakeHost::callback};
    AEffect* record = effect.getAeffect();
};

// What the base answers for the opcodes a plug-in does not override.
TEST_F(AudioEffectXTest, BaseAnswers)
{
    struct Case {
        VstInt32 opcode;
        VstIntPtr value;
        VstIntPtr expected;
    };
    const Case cases[] = {
        {effGetVstVersion, 0, 2400},
        {effGetCurrentMidiProgram, 0, -1},
        {effSetTotalSampleToProcess, 12345, 12345},
        {effGetPlugCategory, 0, kPlugCategUnknown},
        {effString2Parameter, 0, 0},
        {effSetBypass, 1, 0},
        {effGetVendorVersion, 0, 0},
        {effGetTailSize, 0, 0},
        {effStartProcess, 0, 0},
        {effStopProcess, 0, 0},
        {effSetProcessPrecision, kVstProcessPrecision64, 0},
        {effGetNumMidiInputChannels, 0, 0},
        {effGetNumMidiOutputChannels, 0, 0},
        {effBeginSetProgram, 0, 0},
        {effEndSetProgram, 0, 0},
        {effGetMidiKeyName, 0, 0},
        {effHasMidiProgramsChanged, 0, 0},
        {effOfflineNotify, 0, 0},
        {effVendorSpecific, 0, 0},
        {effGetOutputProperties, 0, 0},
        // deprecated opcodes are not dispatched
        {effGetNumProgramCategories, 0, 0},
        {effCopyProgram, 1, 0},
        {effConnectInput, 1, 0},
        {effGetCurrentPosition, 0, 0},
        {effSetBlockSizeAndSampleRate, 512, 0},
        {effGetErrorText, 0, 0},
        {effIdle, 0, 0},
        {effKeysRequired, 0, 0},
    };
    char scratch[256] = {};
    for (const Case& c : cases)
        EXPECT_EQ(dispatch(record, c.opcode, 0, c.value, scratch), c.expected)
            << "opcode " << c.opcode;
}

TEST_F(AudioEffectXTest, CategoryFollowsTheSynthFlag)
{
    effect.isSynth(true);
    EXPECT_EQ(dispatch(record, effGetPlugCategory), kPlugCategSynth);
    effect.isSynth(false);
    EXPECT_EQ(dispatch(record, effGetPlugCategory), kPlugCategUnknown);
}

TEST_F(AudioEffectXTest, CanBeAutomatedCoversExistingParameters)
{
    EXPECT_EQ(dispatch(record, effCanBeAutomated, 0), 1);
    EXPECT_EQ(dispatch(record, effCanBeAutomated, ProbeEffect::kParams - 1), 1);
    EXPECT_EQ(dispatch(record, effCanBeAutomated, ProbeEffect::kParams), 0);
    EXPECT_EQ(dispatch(record, effCanBeAutomated, -1), 0);
}

TEST_F(AudioEffectXTest, CanDoWithoutTextAnswersDontKnow)
{
    effect.canDoMidiAnswer = 1;
    EXPECT_EQ(dispatch(record, effCanDo, 0, 0, nullptr), 0);
    char text[] = "receiveVstMidiEvent";
    EXPECT_EQ(dispatch(record, effCanDo, 0, 0, text), 1);
}

TEST_F(AudioEffectXTest, ResumeAsksForMidiOnlyWhenTheEffectTakesIt)
{
    dispatch(record, effMainsChanged, 0, 1);
    EXPECT_EQ(host.count(audioMasterWantMidi), 0) << "neither a synth nor a MIDI receiver";

    effect.canDoMidiAnswer = 1;
    dispatch(record, effMainsChanged, 0, 1);
    ASSERT_EQ(host.count(audioMasterWantMidi), 1) << "an effect that receives MIDI asks for it";
    EXPECT_EQ(host.last(audioMasterWantMidi)->value, 1);

    effect.canDoMidiAnswer = -1;
    effect.isSynth(true);
    dispatch(record, effMainsChanged, 0, 1);
    EXPECT_EQ(host.count(audioMasterWantMidi), 2) << "a synth asks for MIDI";
}

TEST_F(AudioEffectXTest, ProcessEventsNeedsABlock)
{
    EXPECT_EQ(dispatch(record, effProcessEvents, 0, 0, nullptr), 0);
}

TEST_F(AudioEffectXTest, PinPropertiesReachTheHostTerminated)
{
    VstPinProperties pin;
    std::memset(&pin, '#', sizeof(pin));
    EXPECT_EQ(dispatch(record, effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(std::strlen(pin.label), sizeof(pin.label) - 1);
    EXPECT_EQ(std::strlen(pin.shortLabel), sizeof(pin.shortLabel) - 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_EQ(pin.future[0], 0) << "the host receives the zeroed record, not its own bytes";

    VstPinProperties untouched;
    std::memset(&untouched, '#', sizeof(untouched));
    EXPECT_EQ(dispatch(record, effGetOutputProperties, 0, 0, &untouched), 0);
    EXPECT_EQ(untouched.flags, 0x23232323) << "a refused pin leaves the host's record alone";
    EXPECT_EQ(dispatch(record, effGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(AudioEffectXTest, SpeakerArrangementOpcodesCheckTheirPointers)
{
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(dispatch(record, effGetSpeakerArrangement, 0, 0, &out), 0);
    EXPECT_EQ(
        dispatch(record, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), nullptr),
        0);
    EXPECT_EQ(dispatch(record, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out),
              0);
    EXPECT_EQ(in, nullptr) << "the base has no arrangements to hand out";
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(dispatch(record, effSetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST_F(AudioEffectXTest, HostQueriesPassTheirArguments)
{
    host.answers[audioMasterSizeWindow] = 1;
    EXPECT_TRUE(effect.sizeWindow(1000, 400));
    EXPECT_EQ(host.last(audioMasterSizeWindow)->index, 1000);
    EXPECT_EQ(host.last(audioMasterSizeWindow)->value, 400);

    host.answers[audioMasterBeginEdit] = 1;
    EXPECT_TRUE(effect.beginEdit(5));
    EXPECT_EQ(host.last(audioMasterBeginEdit)->index, 5);
    EXPECT_FALSE(effect.endEdit(5)) << "the host answered 0";

    host.answers[audioMasterCanDo] = -1;
    char sizeWindow[] = "sizeWindow";
    EXPECT_EQ(effect.canHostDo(sizeWindow), 1) << "any non-zero answer counts as yes";
    EXPECT_EQ(host.last(audioMasterCanDo)->ptr, sizeWindow);
    EXPECT_EQ(effect.canHostDo(nullptr), 0);

    VstTimeInfo info{};
    host.answers[audioMasterGetTime] = reinterpret_cast<VstIntPtr>(&info);
    EXPECT_EQ(effect.getTimeInfo(kVstTempoValid), &info);
    EXPECT_EQ(host.last(audioMasterGetTime)->value, kVstTempoValid);

    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_EQ(host.count(audioMasterOpenFileSelector), 0);

    host.answers[audioMasterIOChanged] = 1;
    EXPECT_TRUE(effect.ioChanged());
    host.answers[audioMasterUpdateDisplay] = 1;
    EXPECT_TRUE(effect.updateDisplay());
}

TEST_F(AudioEffectXTest, HostStringsStayInsideTheirLimit)
{
    struct Writer {
        static VstIntPtr callback(AEffect*, VstInt32, VstInt32, VstIntPtr, void* ptr, float)
        {
            std::memset(ptr, 'v', kVstMaxVendorStrLen); // a host that forgets the terminator
            return 1;
        }
    };
    ProbeEffect writer(Writer::callback);
    char text[kVstMaxVendorStrLen + 1];
    text[kVstMaxVendorStrLen] = '#';
    EXPECT_TRUE(writer.getHostVendorString(text));
    EXPECT_EQ(std::strlen(text), static_cast<size_t>(kVstMaxVendorStrLen - 1));
    EXPECT_TRUE(writer.getHostProductString(text));
    EXPECT_EQ(std::strlen(text), static_cast<size_t>(kVstMaxProductStrLen - 1));
}

TEST_F(AudioEffectXTest, UpdateSampleRateAndBlockSizeKeepValuesOnNoAnswer)
{
    effect.setBlockSizeAndSampleRate(512, 48000.0f);
    EXPECT_EQ(effect.updateSampleRate(), 48000.0);
    EXPECT_EQ(effect.updateBlockSize(), 512);
    host.answers[audioMasterGetSampleRate] = -5;
    host.answers[audioMasterGetBlockSize] = -5;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0);
    EXPECT_EQ(effect.updateBlockSize(), 512);
    host.answers[audioMasterGetSampleRate] = 96000;
    host.answers[audioMasterGetBlockSize] = 64;
    EXPECT_EQ(effect.updateSampleRate(), 96000.0);
    EXPECT_EQ(effect.updateBlockSize(), 64);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
}

TEST(AudioEffectXWithoutHost, QueriesAnswerTheirDefaults)
{
    ProbeEffect effect(nullptr);
    char text[kVstMaxVendorStrLen] = "old";
    EXPECT_EQ(effect.getTimeInfo(0), nullptr);
    EXPECT_FALSE(effect.getHostProductString(text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(effect.getHostVendorString(text));
    EXPECT_EQ(effect.getHostVendorVersion(), 0);
    EXPECT_EQ(effect.getHostLanguage(), 0);
    EXPECT_EQ(effect.getDirectory(), nullptr);
    EXPECT_FALSE(effect.sizeWindow(10, 10));
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_FALSE(effect.endEdit(0));
    EXPECT_FALSE(effect.ioChanged());
    EXPECT_FALSE(effect.updateDisplay());
    EXPECT_EQ(effect.getCurrentProcessLevel(), 0);
    EXPECT_EQ(effect.getAutomationState(), 0);
    EXPECT_EQ(effect.updateSampleRate(), 44100.0);
    EXPECT_EQ(effect.updateBlockSize(), 1024);
    effect.isSynth(true);
    effect.resume(); // asks nobody
}

} // namespace
