#include "FakeHost.h"
#include "ProbeEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

using vsttest::FakeHost;
using vsttest::ProbeEditor;
using vsttest::ProbeEffect;

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

class AudioEffectTest : public ::testing::Test {
protected:
    FakeHost host;
    ProbeEffect* effect = new ProbeEffect(FakeHost::callback);
    AEffect* record = effect->getAeffect();

    ~AudioEffectTest() override
    {
        if (effect != nullptr)
            delete effect;
    }
};

TEST_F(AudioEffectTest, FreshRecordCarriesTheDefaults)
{
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->object, effect);
    EXPECT_EQ(record->numPrograms, ProbeEffect::kPrograms);
    EXPECT_EQ(record->numParams, ProbeEffect::kParams);
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(record->uniqueID, vst::fourCharCode('N', 'o', 'E', 'f'));
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->user, nullptr);
    EXPECT_NE(record->dispatcher, nullptr);
    EXPECT_NE(record->process, nullptr);
    EXPECT_NE(record->processReplacing, nullptr);
    EXPECT_NE(record->processDoubleReplacing, nullptr);
    EXPECT_EQ(effect->getSampleRate(), 44100.0f);
    EXPECT_EQ(effect->getBlockSize(), 1024);
    EXPECT_TRUE(host.calls.empty()) << "construction must not call the host";
}

TEST_F(AudioEffectTest, RecordSettersAndFlags)
{
    effect->setUniqueID(vst::fourCharCode('W', 'q', '3', 'x'));
    effect->setNumInputs(2);
    effect->setNumOutputs(6);
    effect->setInitialDelay(16);
    effect->programsAreChunks(true);
    effect->isSynth(true);
    effect->canProcessReplacing(false);
    EXPECT_EQ(record->uniqueID, 0x57713378);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 6);
    EXPECT_EQ(record->initialDelay, 16);
    EXPECT_EQ(record->flags, effFlagsProgramChunks | effFlagsIsSynth);
}

TEST_F(AudioEffectTest, EntryPointsReachTheObject)
{
    record->setParameter(record, 2, 0.25f);
    EXPECT_EQ(effect->lastParamIndex, 2);
    EXPECT_EQ(effect->lastParamValue, 0.25f);
    EXPECT_EQ(record->getParameter(record, 2), 0.0f);

    float left[8] = {};
    float right[8] = {};
    float* outputs[] = {left, right};
    record->processReplacing(record, nullptr, outputs, 8);
    EXPECT_EQ(effect->processedFrames, 8);
    record->processReplacing(record, nullptr, outputs, 0);
    record->processReplacing(record, nullptr, outputs, -5);
    record->processReplacing(record, nullptr, nullptr, 8);
    EXPECT_EQ(effect->processedFrames, 8)
        << "empty blocks and missing outputs never reach the effect";
}

TEST_F(AudioEffectTest, EntryPointsTolerateARecordWithoutObject)
{
    AEffect orphan = *record;
    orphan.object = nullptr;
    EXPECT_EQ(orphan.dispatcher(&orphan, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(orphan.getParameter(&orphan, 0), 0.0f);
    orphan.setParameter(&orphan, 0, 1.0f);
    EXPECT_EQ(effect->lastParamIndex, -1);
}

TEST_F(AudioEffectTest, CloseDeletesTheObjectAndAnswersOne)
{
    bool destroyed = false;
    auto* closing = new ProbeEffect(FakeHost::callback, &destroyed);
    AEffect* closingRecord = closing->getAeffect();
    EXPECT_EQ(dispatch(closingRecord, effClose), 1);
    EXPECT_TRUE(destroyed);
}

TEST_F(AudioEffectTest, SetProgramAcceptsOnlyExistingPrograms)
{
    struct Case {
        VstIntPtr value;
        VstInt32 expected;
    };
    const Case cases[] = {
        {1, 1}, {-1, 1}, {ProbeEffect::kPrograms, 1}, {2, 2}, {VstIntPtr{1} << 40, 2}, {0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(dispatch(record, effSetProgram, 0, c.value), 0);
        EXPECT_EQ(dispatch(record, effGetProgram), c.expected) << "value " << c.value;
    }
}

TEST_F(AudioEffectTest, LifecycleOpcodes)
{
    EXPECT_EQ(dispatch(record, effOpen), 0);
    EXPECT_EQ(dispatch(record, effMainsChanged, 0, 1), 0);
    EXPECT_EQ(dispatch(record, effMainsChanged, 0, 0), 0);
    EXPECT_EQ(dispatch(record, effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(dispatch(record, effSetBlockSize, 0, 256), 0);
    EXPECT_EQ(effect->opens, 1);
    EXPECT_EQ(effect->resumes, 1);
    EXPECT_EQ(effect->suspends, 1);
    EXPECT_EQ(effect->getSampleRate(), 48000.0f);
    EXPECT_EQ(effect->getBlockSize(), 256);
}

TEST_F(AudioEffectTest, IdentifyAndUnknownOpcodes)
{
    EXPECT_EQ(dispatch(record, effIdentify, 7, 9, &host, 1.0f),
              vst::fourCharCode('N', 'v', 'E', 'f'));
    for (VstInt32 opcode :
         std::initializer_list<VstInt32>{effGetVu, effEditDraw, effEditMouse, effEditKey,
                                         effEditTop, effEditSleep, 80, 1000, -1})
        EXPECT_EQ(dispatch(record, opcode, 1, 1, &host, 1.0f), 0) << "opcode " << opcode;
}

// Every text the host reads is cut to its published limit, terminator
// included, and nothing beyond the limit in the host's buffer is touched.
TEST_F(AudioEffectTest, TextsAreCutToTheirPublishedLimits)
{
    struct Case {
        VstInt32 opcode;
        size_t limit;
    };
    const Case cases[] = {
        {effGetProgramName, 24},  {effGetParamLabel, 8},          {effGetParamDisplay, 8},
        {effGetParamName, 8},     {effGetProgramNameIndexed, 24}, {effGetEffectName, 32},
        {effGetVendorString, 64}, {effGetProductString, 64},
    };
    for (const Case& c : cases) {
        char buffer[300];
        std::memset(buffer, '#', sizeof(buffer));
        dispatch(record, c.opcode, 0, 0, buffer);
        EXPECT_EQ(std::strlen(buffer), c.limit - 1) << "opcode " << c.opcode;
        EXPECT_EQ(buffer[c.limit], '#') << "opcode " << c.opcode << " wrote past its limit";
    }
}

TEST_F(AudioEffectTest, ShortTextsArriveWhole)
{
    effect->text = "Cutoff";
    char buffer[8];
    dispatch(record, effGetParamName, 3, 0, buffer);
    EXPECT_STREQ(buffer, "Cutoff");
    EXPECT_EQ(effect->lastTextIndex, 3);
}

TEST_F(AudioEffectTest, NullPointersReachNoOverride)
{
    for (VstInt32 opcode : std::initializer_list<VstInt32>{
             effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
             effSetProgramName, effGetChunk, effSetChunk, effEditGetRect})
        EXPECT_EQ(dispatch(record, opcode, 0, 10, nullptr), 0) << "opcode " << opcode;
    EXPECT_EQ(effect->lastTextIndex, -1);
    EXPECT_EQ(effect->setChunkCalls, 0);
    EXPECT_TRUE(effect->programName.empty());
}

TEST_F(AudioEffectTest, SetProgramNameHandsTheTextOver)
{
    char name[] = "Warm Pad";
    dispatch(record, effSetProgramName, 0, 0, name);
    EXPECT_EQ(effect->programName, "Warm Pad");
}

TEST_F(AudioEffectTest, GetChunkHandsOutTheEffectsData)
{
    char state[] = "state";
    effect->chunkData = state;
    effect->chunkSize = 5;
    void* data = nullptr;
    EXPECT_EQ(dispatch(record, effGetChunk, 1, 0, &data), 5);
    EXPECT_EQ(data, state);
    EXPECT_TRUE(effect->lastChunkWasPreset);
    EXPECT_EQ(dispatch(record, effGetChunk, 0, 0, &data), 5);
    EXPECT_FALSE(effect->lastChunkWasPreset);
}

TEST_F(AudioEffectTest, GetChunkAnswersZeroForNoData)
{
    struct Case {
        void* data;
        VstInt32 size;
    };
    char state[] = "state";
    const Case cases[] = {{nullptr, 5}, {state, 0}, {state, -3}};
    for (const Case& c : cases) {
        effect->chunkData = c.data;
        effect->chunkSize = c.size;
        void* data = &host;
        EXPECT_EQ(dispatch(record, effGetChunk, 0, 0, &data), 0);
        EXPECT_EQ(data, nullptr);
    }
}

TEST_F(AudioEffectTest, SetChunkRefusesSizesNoChunkCanHave)
{
    char state[] = "state";
    for (VstIntPtr size : {VstIntPtr{0}, VstIntPtr{-1}, VstIntPtr{1} << 32})
        EXPECT_EQ(dispatch(record, effSetChunk, 0, size, state), 0) << "size " << size;
    EXPECT_EQ(effect->setChunkCalls, 0);
    EXPECT_EQ(dispatch(record, effSetChunk, 1, 5, state), 1);
    EXPECT_EQ(effect->lastSetChunkData, state);
    EXPECT_EQ(effect->lastSetChunkSize, 5);
    EXPECT_TRUE(effect->lastChunkWasPreset);
}

TEST_F(AudioEffectTest, EditorOpcodesWithoutEditorAnswerZero)
{
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(record, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(record, effEditOpen, 0, 0, &host), 0);
    EXPECT_EQ(dispatch(record, effEditIdle), 0);
    EXPECT_EQ(dispatch(record, effEditClose), 0);
    EXPECT_EQ(dispatch(record, effEditKeyDown, 'a', VKEY_SPACE), 0);
    EXPECT_FALSE(effect->hasFlag(effFlagsHasEditor));
}

TEST_F(AudioEffectTest, EditorOpcodesReachTheEditor)
{
    auto* editor = new ProbeEditor(effect);
    effect->setEditor(editor);
    EXPECT_TRUE(effect->hasFlag(effFlagsHasEditor));
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(record, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 1000);
    EXPECT_EQ(dispatch(record, effEditOpen, 0, 0, &host), 1);
    EXPECT_TRUE(editor->isOpen());
    dispatch(record, effEditIdle);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(dispatch(record, effEditKeyDown, 'a', VKEY_RETURN, nullptr, 8.0f), 1);
    EXPECT_EQ(editor->lastKey.character, 'a');
    EXPECT_EQ(editor->lastKey.virt, VKEY_RETURN);
    EXPECT_EQ(editor->lastKey.modifier, MODIFIER_CONTROL);
    // A key release and the knob mode reach the editor and are answered
    // with 0 even when the editor says it used them.
    EXPECT_EQ(dispatch(record, effEditKeyUp, 'b', VKEY_ESCAPE, nullptr, 1.0f), 0);
    EXPECT_EQ(editor->lastKeyUp.character, 'b');
    EXPECT_EQ(editor->lastKeyUp.virt, VKEY_ESCAPE);
    EXPECT_EQ(editor->lastKeyUp.modifier, MODIFIER_SHIFT);
    EXPECT_EQ(dispatch(record, effSetEditKnobMode, 0, 2), 0);
    EXPECT_EQ(editor->knobMode, 2);
    dispatch(record, effEditClose);
    EXPECT_FALSE(editor->isOpen());
}

TEST_F(AudioEffectTest, KeyWithModifiersThatAreNoByteIsIgnored)
{
    auto* editor = new ProbeEditor(effect);
    effect->setEditor(editor);
    for (float opt : {-1.0f, 256.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()})
        EXPECT_EQ(dispatch(record, effEditKeyDown, 'a', VKEY_UP, nullptr, opt), 0);
    EXPECT_EQ(editor->lastKey.character, 0);
}

TEST_F(AudioEffectTest, EditorOwnership)
{
    bool firstGone = false;
    bool secondGone = false;
    auto* first = new ProbeEditor(effect, &firstGone);
    effect->setEditor(first);
    effect->setEditor(first);
    EXPECT_FALSE(firstGone) << "attaching the same editor again keeps it";
    effect->setEditor(new ProbeEditor(effect, &secondGone));
    EXPECT_TRUE(firstGone) << "a replaced editor is deleted";
    effect->deleteEditor();
    EXPECT_TRUE(secondGone);
    EXPECT_EQ(effect->getEditor(), nullptr);
    EXPECT_FALSE(effect->hasFlag(effFlagsHasEditor));
}

TEST_F(AudioEffectTest, DestructorDeletesTheEditor)
{
    bool editorGone = false;
    effect->setEditor(new ProbeEditor(effect, &editorGone));
    delete effect;
    effect = nullptr;
    EXPECT_TRUE(editorGone);
}

TEST_F(AudioEffectTest, SetParameterAutomatedTellsTheHost)
{
    effect->setParameterAutomated(3, 0.75f);
    EXPECT_EQ(effect->lastParamIndex, 3);
    const FakeHost::Call* call = host.last(audioMasterAutomate);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->effect, record);
    EXPECT_EQ(call->index, 3);
    EXPECT_EQ(call->opt, 0.75f);
}

TEST_F(AudioEffectTest, HostQueriesOfTheBase)
{
    EXPECT_EQ(effect->getMasterVersion(), 1) << "a host answering 0 counts as version 1";
    host.answers[audioMasterVersion] = 2400;
    EXPECT_EQ(effect->getMasterVersion(), 2400);
    host.answers[audioMasterCurrentId] = 77;
    EXPECT_EQ(effect->getCurrentUniqueId(), 77);
    effect->masterIdle();
    EXPECT_EQ(host.count(audioMasterIdle), 1);

    EXPECT_TRUE(effect->isInputConnected(1)) << "the host's 0 means connected";
    EXPECT_EQ(host.last(audioMasterPinConnected)->index, 1);
    EXPECT_EQ(host.last(audioMasterPinConnected)->value, 0);
    host.answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(effect->isOutputConnected(0));
    EXPECT_EQ(host.last(audioMasterPinConnected)->value, 1);
}

TEST(AudioEffectWithoutHost, QueriesAnswerTheirDefaults)
{
    ProbeEffect effect(nullptr);
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_EQ(effect.getCurrentUniqueId(), 0);
    EXPECT_FALSE(effect.isInputConnected(0));
    EXPECT_FALSE(effect.isOutputConnected(0));
    effect.masterIdle();
    effect.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(effect.lastParamIndex, 1);
}

TEST(AudioEffectDisplayHelpers, RenderAndCut)
{
    ProbeEffect effect(nullptr);
    char text[32];
    effect.dB2string(0.0f, text, sizeof(text));
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(-1.0f, text, sizeof(text));
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(1.0f, text, sizeof(text));
    EXPECT_STREQ(text, "0.000000");
    effect.dB2string(0.1f, text, sizeof(text));
    EXPECT_STREQ(text, "-20.0000");
    effect.dB2string(0.1f, text, kVstMaxParamStrLen);
    EXPECT_STREQ(text, "-20.000");

    effect.setSampleRate(48000.0f);
    effect.Hz2string(480.0f, text, sizeof(text));
    EXPECT_STREQ(text, "100.0000");
    effect.Hz2string(0.0f, text, sizeof(text));
    EXPECT_STREQ(text, "0.000000");
    effect.ms2string(4800.0f, text, sizeof(text));
    EXPECT_STREQ(text, "100.0000");

    effect.int2string(100000000, text, sizeof(text));
    EXPECT_STREQ(text, "Huge!");
    effect.int2string(-42, text, 3);
    EXPECT_STREQ(text, "-4");
}

} // namespace
