#include "HostedPlugin.h"
#include "Renderer.h"
#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <xmmintrin.h>

namespace {

using vsthost::AudioBuffer;
using vsthost::HostedPlugin;
using vsthost::HostSettings;
using vsthost::MidiSequence;
using vsthost::Renderer;
using vsthost::TimeInfoMode;

constexpr const char* kTestSynth = KK_TEST_SYNTH_PATH;
constexpr const char* kMisbehaving = KK_MISBEHAVING_PLUGIN_PATH;

// Sets the misbehaving plug-in's mode for the lifetime of the object.
class MisbehaviourMode {
public:
    explicit MisbehaviourMode(const char* mode) { setenv("KK_MISBEHAVE", mode, 1); }
    ~MisbehaviourMode() { unsetenv("KK_MISBEHAVE"); }
};

class HostedTestSynth : public ::testing::Test {
protected:
    void load(const HostSettings& settings = HostSettings{})
    {
        std::string error;
        ASSERT_TRUE(plugin.load(kTestSynth, settings, error)) << error;
        plugin.start();
    }

    VstIntPtr ask(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr)
    {
        return HostedPlugin::callback(plugin.effect(), opcode, index, value, ptr, 0.0f);
    }

    HostedPlugin plugin;
};

TEST_F(HostedTestSynth, LoadsAndDescribesThePlugin)
{
    load();
    EXPECT_EQ(plugin.effect()->user, &plugin);
    EXPECT_EQ(plugin.effectName(), "KK Test Synth");
    EXPECT_EQ(plugin.vendorString(), "KestanK4 tests");
    EXPECT_EQ(plugin.productString(), "KK Test Synth 1.0");
    EXPECT_EQ(plugin.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin.dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(plugin.canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(plugin.canDo("receiveVstMidiEvent "), -1);
    EXPECT_EQ(plugin.numOutputs(), 2);
    EXPECT_EQ(plugin.numParams(), 2);
    EXPECT_EQ(plugin.parameterName(0), "Gain");
    EXPECT_EQ(plugin.log().count(audioMasterWantMidi), 1u) << "resume asked for MIDI";
}

TEST_F(HostedTestSynth, CallbackAnswersWhatRealHostsAnswer)
{
    HostSettings settings;
    settings.sampleRate = 48000.0;
    settings.blockSize = 256;
    load(settings);
    char text[kVstMaxVendorStrLen] = {};
    EXPECT_EQ(ask(audioMasterVersion), 2400);
    EXPECT_EQ(ask(audioMasterGetSampleRate), 48000);
    EXPECT_EQ(ask(audioMasterGetBlockSize), 256);
    EXPECT_EQ(ask(audioMasterGetCurrentProcessLevel), kVstProcessLevelUser);
    EXPECT_EQ(ask(audioMasterGetLanguage), kVstLangEnglish);
    EXPECT_EQ(ask(audioMasterGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "kk-vsthost");
    EXPECT_EQ(ask(audioMasterGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, HostedPlugin::kHostVendor);
    EXPECT_EQ(ask(audioMasterGetVendorString, 0, 0, nullptr), 0);
    char sendEvents[] = "sendVstMidiEvent";
    char sizeWindow[] = "sizeWindow";
    EXPECT_EQ(ask(audioMasterCanDo, 0, 0, sendEvents), 1);
    EXPECT_EQ(ask(audioMasterCanDo, 0, 0, sizeWindow), 0);
    EXPECT_EQ(ask(audioMasterCanDo, 0, 0, nullptr), 0);
    EXPECT_EQ(ask(audioMasterIOChanged), 1);
    EXPECT_EQ(plugin.ioChanges(), 1u);
    EXPECT_EQ(ask(12345), 0);
    EXPECT_EQ(plugin.log().unknownCalls.load(), 1u);
    EXPECT_EQ(HostedPlugin::callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400)
        << "a plug-in asking before it has a record still learns the version";
}

TEST_F(HostedTestSynth, RecordsAutomationAndEdits)
{
    load();
    ask(audioMasterBeginEdit, 1);
    HostedPlugin::callback(plugin.effect(), audioMasterAutomate, 1, 0, nullptr, 0.25f);
    ask(audioMasterEndEdit, 1);
    EXPECT_EQ(plugin.log().count(audioMasterBeginEdit), 1u);
    EXPECT_EQ(plugin.log().count(audioMasterEndEdit), 1u);
    ASSERT_EQ(plugin.log().automation.size(), 1u);
    EXPECT_EQ(plugin.log().automation[0].index, 1);
    EXPECT_EQ(plugin.log().automation[0].value, 0.25f);
}

TEST_F(HostedTestSynth, TimeInfoFollowsTheTransportAndTheMode)
{
    HostSettings settings;
    settings.sampleRate = 48000.0;
    settings.tempo = 90.0;
    settings.timeSigNumerator = 3;
    load(settings);
    plugin.setTransport(96000, true); // 2 s = 3 quarter notes = bar 2 of 3/4
    const auto* info = reinterpret_cast<const VstTimeInfo*>(ask(audioMasterGetTime));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->samplePos, 96000.0);
    EXPECT_EQ(info->sampleRate, 48000.0);
    EXPECT_DOUBLE_EQ(info->ppqPos, 3.0);
    EXPECT_DOUBLE_EQ(info->barStartPos, 3.0);
    EXPECT_EQ(info->tempo, 90.0);
    EXPECT_EQ(info->timeSigNumerator, 3);
    EXPECT_EQ(info->timeSigDenominator, 4);
    const int32_t expected = kVstTransportPlaying | kVstTransportChanged | kVstNanosValid |
                             kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    EXPECT_EQ(info->flags, expected);
    plugin.setTransport(96512, true);
    info = reinterpret_cast<const VstTimeInfo*>(ask(audioMasterGetTime));
    EXPECT_EQ(info->flags & kVstTransportChanged, 0) << "changed only when the transport changes";
}

TEST(HostedPluginTimeInfo, ModesForPluginTests)
{
    struct Case {
        TimeInfoMode mode;
        bool answered;
        int32_t flags;
    };
    const int32_t valid =
        kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    const Case cases[] = {
        {TimeInfoMode::none, false, 0},
        {TimeInfoMode::noFlags, true, 0},
        {TimeInfoMode::hostile, true, valid | kVstTransportPlaying | kVstTransportChanged}};
    for (const Case& c : cases) {
        HostedPlugin plugin;
        HostSettings settings;
        settings.timeInfo = c.mode;
        std::string error;
        ASSERT_TRUE(plugin.load(kTestSynth, settings, error)) << error;
        plugin.setTransport(0, true);
        const auto* info = reinterpret_cast<const VstTimeInfo*>(
            HostedPlugin::callback(plugin.effect(), audioMasterGetTime, 0, 0, nullptr, 0.0f));
        ASSERT_EQ(info != nullptr, c.answered);
        if (info == nullptr)
            continue;
        EXPECT_EQ(info->flags, c.flags);
        if (c.mode == TimeInfoMode::hostile) {
            EXPECT_EQ(info->tempo, 0.0);
            EXPECT_EQ(info->timeSigDenominator, 0);
            EXPECT_TRUE(std::isnan(info->ppqPos));
        }
    }
}

// A note's first sample must not depend on the block length or on where in
// a block the note falls: the host's sample offsets are exact.
TEST(HostedPluginRendering, NoteStartsAtTheSameFrameForEveryBlockLength)
{
    constexpr int64_t kNoteFrame = 1000;
    for (int block : {1, 17, 100, 512, 4096}) {
        HostedPlugin plugin;
        HostSettings settings;
        settings.blockSize = block;
        std::string error;
        ASSERT_TRUE(plugin.load(kTestSynth, settings, error)) << error;
        plugin.start();
        Renderer renderer(plugin);
        renderer.schedule({vsthost::midiMessage(kNoteFrame, 0x90, 69, 100)});
        AudioBuffer audio;
        ASSERT_TRUE(renderer.render(3000, &audio, error)) << error;
        EXPECT_EQ(audio.frames(), 3000);
        EXPECT_EQ(audio.channelCount(), 2);
        // The test instrument's sine starts at phase 0: silent at the note's frame itself.
        EXPECT_EQ(vsthost::firstSoundingFrame(audio), kNoteFrame + 1) << "block " << block;
        EXPECT_FALSE(plugin.controlRegisterChanged());
    }
}

TEST_F(HostedTestSynth, ChunksRoundTripBetweenInstances)
{
    load();
    ASSERT_TRUE(plugin.setParameter(0, 0.125f));
    std::vector<uint8_t> bank;
    std::string error;
    ASSERT_TRUE(plugin.getChunk(false, bank, error)) << error;
    HostedPlugin other;
    ASSERT_TRUE(other.load(kTestSynth, HostSettings{}, error)) << error;
    EXPECT_EQ(other.setChunk(false, bank), 1);
    std::vector<uint8_t> copy;
    ASSERT_TRUE(other.getChunk(false, copy, error)) << error;
    EXPECT_EQ(copy, bank);
    EXPECT_EQ(other.getParameter(0), 0.125f);
}

TEST_F(HostedTestSynth, ParameterIndicesAreCheckedByTheHost)
{
    load();
    EXPECT_FALSE(plugin.setParameter(2, 0.5f));
    EXPECT_FALSE(plugin.setParameter(-1, 0.5f));
    EXPECT_EQ(plugin.getParameter(7), 0.0f);
}

TEST(HostedPluginFailures, MissingOrForeignFilesAreRefused)
{
    HostedPlugin plugin;
    std::string error;
    EXPECT_FALSE(plugin.load("/nonexistent/plugin.so", HostSettings{}, error));
    EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
    EXPECT_FALSE(plugin.load("/dev/null", HostSettings{}, error));
    EXPECT_FALSE(plugin.isLoaded());
}

TEST(HostedPluginFailures, SettingsOutOfRangeAreRefused)
{
    HostedPlugin plugin;
    std::string error;
    HostSettings settings;
    settings.blockSize = 0;
    EXPECT_FALSE(plugin.load(kTestSynth, settings, error));
    settings = HostSettings{};
    settings.sampleRate = 0.0;
    EXPECT_FALSE(plugin.load(kTestSynth, settings, error));
}

TEST(HostedPluginFailures, BrokenRecordsAreRefusedWithAReason)
{
    struct Case {
        const char* mode;
        const char* reason;
    };
    const Case cases[] = {
        {"null", "answered null"},
        {"bad-magic", "not a VST 2.4 effect"},
        {"huge", "implausible"},
    };
    for (const Case& c : cases) {
        MisbehaviourMode mode(c.mode);
        HostedPlugin plugin;
        std::string error;
        EXPECT_FALSE(plugin.load(kMisbehaving, HostSettings{}, error)) << c.mode;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.mode << ": " << error;
        EXPECT_FALSE(plugin.isLoaded());
    }
}

// A plug-in that answers zero to everything and has no entry points but the
// dispatcher (found under the name "main" only): every host call survives.
TEST(HostedPluginFailures, PluginAnsweringNothingIsSurvived)
{
    MisbehaviourMode mode("zero");
    HostedPlugin plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(kMisbehaving, HostSettings{}, error)) << error;
    plugin.start();
    EXPECT_EQ(plugin.effectName(), "");
    EXPECT_EQ(plugin.parameterName(0), "");
    EXPECT_EQ(plugin.getParameter(0), 0.0f);
    EXPECT_FALSE(plugin.setParameter(0, 0.5f)) << "no setParameter entry";
    std::vector<uint8_t> chunk;
    EXPECT_FALSE(plugin.getChunk(false, chunk, error));
    EXPECT_EQ(plugin.setChunk(false, {1, 2, 3}), 0);
    EXPECT_FALSE(plugin.canProcess());
    Renderer renderer(plugin);
    AudioBuffer audio;
    EXPECT_FALSE(renderer.render(512, &audio, error));
    EXPECT_NE(error.find("no process entry"), std::string::npos);
}

TEST(HostedPluginFailures, ChunkSizeWithoutDataIsRefused)
{
    MisbehaviourMode mode("chunkless");
    HostedPlugin plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(kMisbehaving, HostSettings{}, error)) << error;
    std::vector<uint8_t> chunk;
    EXPECT_FALSE(plugin.getChunk(true, chunk, error));
    EXPECT_NE(error.find("no chunk"), std::string::npos) << error;
}

TEST(HostedPluginFailures, ControlRegisterLeftChangedIsReportedAndRestored)
{
    MisbehaviourMode mode("ftz");
    HostedPlugin plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(kMisbehaving, HostSettings{}, error)) << error;
    plugin.start();
    const unsigned before = _mm_getcsr();
    Renderer renderer(plugin);
    ASSERT_TRUE(renderer.render(64, nullptr, error)) << error;
    EXPECT_TRUE(plugin.controlRegisterChanged());
    EXPECT_EQ(_mm_getcsr(), before);
}

} // namespace

namespace {

VstIntPtr versionZeroHost(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 0 : 1;
}

VstIntPtr plainHost(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

using Entry = AEffect* (*)(audioMasterCallback);

// The module's two entry names are one function; a host answering version 0
// gets no effect; the module knows its own file.
TEST(PluginModule, EntryNamesVersionCheckAndModulePath)
{
    platform::DynamicLibrary module;
    std::string error;
    ASSERT_TRUE(module.open(kTestSynth, error)) << error;
    void* entry = module.symbol("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(module.symbol("main"), entry);
    EXPECT_EQ(module.symbol("createEffectInstance"), nullptr) << "only the entry is exported";

    EXPECT_EQ(reinterpret_cast<Entry>(entry)(versionZeroHost), nullptr);
    EXPECT_EQ(reinterpret_cast<Entry>(entry)(nullptr), nullptr);

    AEffect* effect = reinterpret_cast<Entry>(entry)(plainHost);
    ASSERT_NE(effect, nullptr);
    char path[512] = {};
    EXPECT_EQ(effect->dispatcher(effect, effVendorSpecific, vst::fourCharCode('k', 'k', 'M', 'p'),
                                 sizeof(path), path, 0.0f),
              1);
    const std::string modulePath = path;
    const std::string fileName = "/kk_test_synth.so";
    ASSERT_GE(modulePath.size(), fileName.size());
    EXPECT_EQ(modulePath.substr(modulePath.size() - fileName.size()), fileName) << modulePath;
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

} // namespace
