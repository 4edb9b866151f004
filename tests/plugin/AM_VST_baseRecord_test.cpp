// What the plug-in announces: its record, the dispatcher's fixed answers,
// capabilities, names, pins, the host name it keeps and its module folder.

#include "PluginFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace plugintest;

class PluginRecordTest : public PluginTest {};

TEST_F(PluginRecordTest, HostAnsweringVersionZeroGetsNoPlugin)
{
    host.version = 0;
    EXPECT_EQ(vst::createPluginEffect(TestHost::callback, createEffectInstance), nullptr);
    EXPECT_EQ(Synth_AudioMan::instanceCount(), 0u);
}

TEST_F(PluginRecordTest, RecordFields)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, vst::fourCharCode('V', 's', 't', 'P'));
    EXPECT_EQ(e->uniqueID, vst::fourCharCode('W', 'q', '3', 'x'));
    EXPECT_EQ(e->uniqueID, 0x57713378);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_GT(e->numParams, 1);
    EXPECT_EQ(e->numParams, engine(e).getParameterCount(true));
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->initialDelay, 16);
    EXPECT_EQ(e->version, 1);
    // No editor yet: replacing, chunks and synth, and nothing else.
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth);
    EXPECT_EQ(e->flags & effFlagsHasEditor, 0);
}

TEST_F(PluginRecordTest, FixedAnswersOfTheDispatcher)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    struct Case {
        VstInt32 opcode;
        VstIntPtr expected;
    };
    const Case cases[] = {
        {effGetVstVersion, 2400}, {effGetPlugCategory, kPlugCategSynth},
        {effStartProcess, 1},     {effStopProcess, 1},
        {effEditOpen, 0},         {effEditGetRect, 0},
        {effGetProgram, 0},       {effGetCurrentMidiProgram, -1},
        {effGetTailSize, 0},      {effIdentify, vst::fourCharCode('N', 'v', 'E', 'f')},
        {effVendorSpecific, 0},
    };
    char scratch[256] = {};
    for (const Case& c : cases)
        EXPECT_EQ(dispatch(e, c.opcode, 0, 0, scratch), c.expected) << "opcode " << c.opcode;
}

TEST_F(PluginRecordTest, CanDoAnswersYesForExactlySixCapabilities)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    struct Case {
        const char* text;
        VstIntPtr expected;
    };
    const Case cases[] = {
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstTimeInfo", 1},
        {"2in2out", 1},
        {"plugAsChannelInsert", 1},
        {"plugAsSend", 1},
        {"receiveVstEvents ", -1},
        {"receiveVstEvent", -1},
        {"ReceiveVstEvents", -1},
        {"2in2out\n", -1},
        {"", -1},
        {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1},
        {"offline", -1},
        {"bypass", -1},
        {"midiProgramNames", -1},
    };
    for (const Case& c : cases) {
        std::vector<char> textCopy(c.text, c.text + std::strlen(c.text) + 1);
        EXPECT_EQ(dispatch(e, effCanDo, 0, 0, textCopy.data()), c.expected) << '"' << c.text << '"';
    }
}

TEST_F(PluginRecordTest, NamesOfEffectVendorAndProduct)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(text(e, effGetEffectName), "KestanK4");
    EXPECT_EQ(text(e, effGetVendorString), "Orlen");
    EXPECT_EQ(text(e, effGetProductString), "KestanK4 V1.0.1");
    EXPECT_EQ(text(e, effGetProgramName), "initialize");
}

TEST_F(PluginRecordTest, PinsOfTheStereoBuses)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr answer;
        const char* label;
        const char* shortLabel;
    };
    const Case cases[] = {
        {effGetInputProperties, 0, 1, "In0", "Kestan0"},
        {effGetInputProperties, 1, 1, "In1", "Kestan1"},
        {effGetInputProperties, 2, 0, "", ""},
        {effGetInputProperties, -1, 0, "", ""},
        {effGetOutputProperties, 0, 1, "OutKestanK41", "Kestan1"},
        {effGetOutputProperties, 1, 1, "OutKestanK42", "Kestan2"},
        {effGetOutputProperties, 2, 0, "", ""},
    };
    for (const Case& c : cases) {
        VstPinProperties pin{};
        EXPECT_EQ(dispatch(e, c.opcode, c.index, 0, &pin), c.answer)
            << c.opcode << " pin " << c.index;
        EXPECT_STREQ(pin.label, c.label);
        EXPECT_STREQ(pin.shortLabel, c.shortLabel);
        EXPECT_EQ(pin.flags, c.answer != 0 ? kVstPinIsActive | kVstPinIsStereo : 0);
    }
}

TEST_F(PluginRecordTest, HostNameFromTheHostOrElseFromTheProgramFile)
{
    AEffect* named = open();
    ASSERT_NE(named, nullptr);
    EXPECT_STREQ(engine(named).getHostName(), "plug-in tests");

    host.product.clear();
    AEffect* unnamed = open();
    ASSERT_NE(unnamed, nullptr);
    EXPECT_STREQ(engine(unnamed).getHostName(), "test_kk_plugin");
}

TEST_F(PluginRecordTest, PluginFolderAndFileName)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    char folder[AM_VST_base::kPluginFolderBytes];
    std::memset(folder, '#', sizeof folder);
    plugin(e).getPluginFolder(folder);
    EXPECT_EQ(std::string(folder), dir.path() + "/");

    char found[AM_VST_base::kPluginFolderBytes] = {};
    plugin(e).findPluginFolder(found);
    EXPECT_STREQ(found, folder);
    EXPECT_STREQ(found + std::strlen(found) + 1, "KestanK4.so");
    EXPECT_FALSE(plugin(e).isForcedStereo());
    EXPECT_FALSE(trace.contains("Force Stereo"));
}

// "_2io" in the module's file name forces stereo buses; in its folder it
// does not.
class ForcedStereoTest : public PluginTest {
protected:
    std::string moduleFileName() const override { return "KestanK4_2io.so"; }
};

TEST_F(ForcedStereoTest, FileNameWithTheMarkForcesStereo)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(plugin(e).isForcedStereo());
    EXPECT_TRUE(trace.contains("Force Stereo"));
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
}

class MarkedFolderTest : public PluginTest {
protected:
    std::string moduleFileName() const override { return "x_2io/KestanK4.so"; }
    void SetUp() override
    {
        dir.makeDir("x_2io/KestanK4.data");
        PluginTest::SetUp();
    }
};

TEST_F(MarkedFolderTest, FolderWithTheMarkDoesNotForceStereo)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(plugin(e).isForcedStereo());
    EXPECT_FALSE(trace.contains("Force Stereo"));
}

TEST_F(PluginRecordTest, TheLastInstanceToCloseSavesTheLearnedControllerMap)
{
    AEffect* first = open();
    AEffect* second = open();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const int32_t cutoff = id(first, "Kestan", "Cutoff");
    ASSERT_GE(cutoff, 0);
    plugin(first).setMidiLearnParameter(cutoff);
    Player(first, host).send({{0, 0xB0, 20, 64}});
    const std::string mapFile = "KestanK4.data/Support/com.Orlen.KestanK4.midimap.txt";

    close(first);
    EXPECT_FALSE(dir.exists(mapFile));
    close(second);
    ASSERT_TRUE(dir.exists(mapFile));
    EXPECT_NE(dir.readFile(mapFile).find("20=Kestan:Cutoff"), std::string::npos);
    EXPECT_EQ(Synth_AudioMan::instanceCount(), 0u);
}

} // namespace
