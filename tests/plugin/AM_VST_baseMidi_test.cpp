// MIDI from the host: each message as the engine receives it, the event
// times on the engine's grid, the controller map with MIDI learn and
// relative encoders, and program changes from a bank of the data folder.

#include "PluginFixture.h"

#include "engine/AM_MidiEvent.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace plugintest;

// The instrument's audio manager, recording what the plug-in hands it.
class RecordingAudioMan : public Synth_AudioMan {
public:
    struct Event {
        int32_t kind;
        int32_t arg;
        float value;
        float value2;
        uint32_t frame;
    };

    RecordingAudioMan() : Synth_AudioMan(kPluginId) {}

    void midiEvent(int32_t kind, int32_t arg, float value, float value2, uint32_t frame) override
    {
        if (events.size() < events.capacity())
            events.push_back({kind, arg, value, value2, frame});
        Synth_AudioMan::midiEvent(kind, arg, value, value2, frame);
    }
    bool selectProgram(int32_t program, char* name, uint32_t capacity) override
    {
        programs.push_back(program);
        return Synth_AudioMan::selectProgram(program, name, capacity);
    }

    std::vector<Event> events;
    std::vector<int32_t> programs;
};

Synth_AudioMan* makeRecordingEngine()
{
    auto* engine = new RecordingAudioMan;
    engine->events.reserve(1024);
    return engine;
}

class PluginMidiTest : public PluginTest {
protected:
    // A plug-in whose engine records its MIDI.
    AEffect* openRecording()
    {
        recording = new AM_VST_Edit(TestHost::callback, makeRecordingEngine);
        AEffect* e = recording->getAeffect();
        dispatch(e, effOpen);
        dispatch(e, effSetSampleRate, 0, 0, nullptr, kRate);
        dispatch(e, effMainsChanged, 0, 1);
        return e;
    }
    void TearDown() override
    {
        if (recording != nullptr)
            dispatch(recording->getAeffect(), effClose);
        PluginTest::TearDown();
    }
    RecordingAudioMan& recorder()
    {
        return static_cast<RecordingAudioMan&>(*recording->getAudioMan());
    }

    AM_VST_Edit* recording = nullptr;
};

constexpr float kScale = 0.007874016f;

TEST_F(PluginMidiTest, EachMessageBecomesOneEngineEvent)
{
    AEffect* e = openRecording();
    struct Case {
        uint8_t status, d1, d2;
        int32_t kind, arg;
        float value, value2;
    };
    const Case cases[] = {
        {0x90, 60, 100, AM_MidiEvent::kNote, 0, 60.0f, 100.0f},
        {0x9F, 61, 1, AM_MidiEvent::kNote, 0, 61.0f, 1.0f}, // any channel
        {0x90, 62, 0, AM_MidiEvent::kNote, 0, 62.0f, 0.0f},
        {0x80, 63, 64, AM_MidiEvent::kNote, 0, 63.0f, 0.0f},
        {0xA0, 64, 127, AM_MidiEvent::kPressure, 64, 127 * kScale, 0.0f},
        {0xB0, 64, 100, AM_MidiEvent::kSustain, 0, 100.0f, 0.0f},
        {0xB0, 1, 127, AM_MidiEvent::kModulationWheel, 1, 127 * kScale, 0.0f},
        {0xB0, 7, 64, AM_MidiEvent::kController, 7, 64 * kScale, 0.0f},
        {0xB5, 0, 2, AM_MidiEvent::kController, 0, 2 * kScale, 0.0f},
        {0xD0, 80, 0, AM_MidiEvent::kPressure, -1, 80 * kScale, 0.0f},
        {0xE0, 0, 0, AM_MidiEvent::kPitchWheel, 0, -1.0f, 0.0f},
        {0xE0, 0, 64, AM_MidiEvent::kPitchWheel, 0, 0.0f, 0.0f},
        {0xE0, 127, 127, AM_MidiEvent::kPitchWheel, 0, 8191.0f / 8192.0f, 0.0f},
        {0x90, 0xBC, 0xE4, AM_MidiEvent::kNote, 0, 60.0f, 100.0f}, // data bytes are 7 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + " " + std::to_string(c.d1) + " " +
                     std::to_string(c.d2));
        recorder().events.clear();
        Player(e, host).send({{0, c.status, c.d1, c.d2}});
        ASSERT_EQ(recorder().events.size(), 1u);
        const RecordingAudioMan::Event& got = recorder().events[0];
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(got.arg, c.arg);
        EXPECT_FLOAT_EQ(got.value, c.value);
        EXPECT_EQ(got.value2, c.value2);
    }
}

TEST_F(PluginMidiTest, MessagesWithoutAnEngineEvent)
{
    AEffect* e = openRecording();
    Player(e, host).send({{0, 0xF0, 1, 2}, {0, 0xF8, 0, 0}, {0, 0xFF, 0, 0}, {0, 0xC0, 4, 0}});
    EXPECT_TRUE(recorder().events.empty());
    EXPECT_EQ(recorder().programs, std::vector<int32_t>{4});

    // Events of other types and missing pointers are skipped.
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    std::vector<uint8_t> block(vstEventsBytes(2), 0);
    auto* events = reinterpret_cast<VstEvents*>(block.data());
    events->numEvents = 2;
    events->events[0] = &sysex;
    events->events[1] = nullptr;
    EXPECT_EQ(dispatch(e, effProcessEvents, 0, 0, events), 1);
    EXPECT_TRUE(recorder().events.empty());
}

TEST_F(PluginMidiTest, AllNotesOffReleasesEveryKey)
{
    AEffect* e = openRecording();
    Player(e, host).send({{0, 0xB0, 123, 0}});
    ASSERT_EQ(recorder().events.size(), 129u);
    for (int32_t key = 0; key < 128; ++key) {
        EXPECT_EQ(recorder().events[key].kind, AM_MidiEvent::kNote);
        EXPECT_EQ(recorder().events[key].value, static_cast<float>(key));
        EXPECT_EQ(recorder().events[key].value2, 0.0f);
    }
    EXPECT_EQ(recorder().events[128].kind, AM_MidiEvent::kAllNotesOff);
}

// A key struck twice counts two notes; one note-off per key leaves one of
// them sounding. All notes off ends both, in every voice mode.
TEST_F(PluginMidiTest, AllNotesOffEndsAKeyStruckTwiceInEveryMode)
{
    constexpr float kModes = 3.0f;
    for (const float mode : {0.0f, 1.0f, 2.0f, 3.0f}) {
        SCOPED_TRACE(mode);
        AEffect* e = open();
        ASSERT_NE(e, nullptr);
        e->setParameter(e, AM_VST_base::kInternalIndexOffset + id(e, "VCC", "Mode"), mode / kModes);
        Player player(e, host);
        player.render(kBlock, kBlock);
        player.render(
            kBlock * 4, kBlock,
            {{player.position() + 10, 0x90, 60, 100}, {player.position() + 200, 0x90, 60, 90}});
        player.render(kBlock, kBlock, {{player.position(), 0xB0, 123, 0}});
        const Stereo tail = player.render(static_cast<int64_t>(kRate) * 2, kBlock);
        Stereo last;
        last.left.assign(tail.left.end() - kBlock, tail.left.end());
        last.right.assign(tail.right.end() - kBlock, tail.right.end());
        EXPECT_EQ(last.peak(), 0.0f);
        close(e);
    }
}

// The engine renders 16 samples ahead of the host: an event goes to the
// engine's grid step at or after its host frame + the samples not yet
// rendered; without block latency, to the step at or after its frame.
TEST_F(PluginMidiTest, EventFramesOnTheEngineGrid)
{
    AEffect* e = openRecording();
    Player player(e, host);
    struct Case {
        int32_t delta;
        uint32_t frame;
    };
    const Case afterReset[] = {{0, 16},  {1, 32},  {15, 32},  {16, 32},
                               {17, 48}, {-5, 16}, {200, 224}};
    for (const Case& c : afterReset) {
        recorder().events.clear();
        player.send({{c.delta, 0x90, 60, 100}});
        ASSERT_EQ(recorder().events.size(), 1u);
        EXPECT_EQ(recorder().events[0].frame, c.frame) << "delta " << c.delta;
    }

    // After a block of 100 frames the engine has 12 frames rendered ahead.
    player.render(100, 100);
    ASSERT_EQ(engine(e).getAheadCount(), 12u);
    recorder().events.clear();
    player.send({{0, 0x90, 60, 100}, {12, 0x90, 61, 100}, {13, 0x90, 62, 100}});
    ASSERT_EQ(recorder().events.size(), 3u);
    EXPECT_EQ(recorder().events[0].frame, 16u);
    EXPECT_EQ(recorder().events[1].frame, 16u);
    EXPECT_EQ(recorder().events[2].frame, 32u);

    engine(e).setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 1);
    recorder().events.clear();
    player.send({{0, 0x90, 60, 100}, {1, 0x90, 61, 100}, {16, 0x90, 62, 100}});
    ASSERT_EQ(recorder().events.size(), 3u);
    EXPECT_EQ(recorder().events[0].frame, 0u);
    EXPECT_EQ(recorder().events[1].frame, 16u);
    EXPECT_EQ(recorder().events[2].frame, 16u);
}

class PluginControllerTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        e = open();
        ASSERT_NE(e, nullptr);
        cutoff = id(e, "Kestan", "Cutoff");
        ASSERT_GE(cutoff, 0);
        info = engine(e).getParameterDescriptor(cutoff, false);
    }
    // Sends a controller and renders until the queued change has arrived.
    float sendController(int controller, int value)
    {
        Player player(e, host);
        player.send({{0, 0xB0, static_cast<uint8_t>(controller), static_cast<uint8_t>(value)}});
        player.render(kBlock * 64, kBlock);
        return engine(e).getParameter(cutoff, false);
    }
    int32_t mapEntry(int controller) { return engine(e).getMidiCCMap()[controller]; }

    AEffect* e = nullptr;
    int32_t cutoff = -1;
    const AM_ParamInfo* info = nullptr;
};

TEST_F(PluginControllerTest, LearnedControllerStepsRelativelyUntilItSendsFarValues)
{
    const float start = engine(e).getParameter(cutoff, false);
    ASSERT_GT(start - 4.0f, info->min);
    plugin(e).setMidiLearnParameter(cutoff);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), cutoff);

    // The first message completes the learn and is already a relative step.
    EXPECT_FLOAT_EQ(sendController(20, 60), start - 4.0f);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), -1);
    EXPECT_EQ(plugin(e).getLastLearnedController(), 20);
    EXPECT_EQ(mapEntry(20), cutoff | 0x10000);
    EXPECT_FLOAT_EQ(sendController(20, 66), start - 2.0f);
    EXPECT_FLOAT_EQ(sendController(20, 73), std::min(start + 7.0f, info->max));

    // A value outside 55..73 makes the assignment absolute for good.
    struct Case {
        int value;
        float expected;
    };
    const Case absolute[] = {
        {0, info->min},
        {126, info->max},
        {127, info->max},
        {63, (info->max - info->min) * 63.0f / 126.0f + info->min},
        {64, (info->max - info->min) * 64.0f / 126.0f + info->min},
    };
    for (const Case& c : absolute)
        EXPECT_FLOAT_EQ(sendController(20, c.value), c.expected) << "value " << c.value;
    EXPECT_EQ(mapEntry(20), cutoff);
}

TEST_F(PluginControllerTest, SustainNeverLearnsAndLearningAgainDisarms)
{
    plugin(e).setMidiLearnParameter(cutoff);
    sendController(64, 127);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), cutoff);
    EXPECT_EQ(mapEntry(64), -1);

    plugin(e).setMidiLearnParameter(cutoff);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), -1);
    EXPECT_EQ(plugin(e).getLastLearnedController(), -1);
    sendController(21, 100);
    EXPECT_EQ(mapEntry(21), -1);

    // Learning a parameter again drops its old controllers.
    plugin(e).setMidiLearnParameter(cutoff);
    sendController(22, 64);
    EXPECT_EQ(mapEntry(22), cutoff | 0x10000);
    plugin(e).setMidiLearnParameter(cutoff);
    EXPECT_EQ(mapEntry(22), -1);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), cutoff);
}

// A bank of two programs made from the plug-in's own state with another
// cutoff each.
class PluginProgramChangeTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        AEffect* maker = open();
        ASSERT_NE(maker, nullptr);
        const std::string state = chunk(maker, true);
        close(maker);
        resetProcessState();
        const std::string line = "Cutoff=150.00";
        ASSERT_NE(state.find(line), std::string::npos);
        const std::string bank = "KestanK4.data/Presets/KestanK4/MIDI Programs/";
        for (const auto& [file, cutoff] :
             {std::pair{"A Dark and Very Long Program Name.h2p", "40.00"},
              std::pair{"B Bright.h2p", "120.00"}}) {
            std::string text = state;
            text.replace(text.find(line), line.size(), std::string("Cutoff=") + cutoff);
            dir.writeFile(bank + file, text.substr(0, text.find('\0')));
        }
    }
};

TEST_F(PluginProgramChangeTest, ProgramChangeSelectsAProgramAndItsName)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const int32_t cutoff = id(e, "Kestan", "Cutoff");
    Player player(e, host);
    const int updatesBefore = host.count(audioMasterUpdateDisplay);

    player.send({{0, 0xC0, 1, 0}});
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), updatesBefore + 1);
    player.render(kBlock * 4, kBlock);
    EXPECT_EQ(engine(e).getParameter(cutoff, false), 120.0f);
    EXPECT_EQ(text(e, effGetProgramName), "0:1 B Bright");

    player.send({{0, 0xC0, 0, 0}});
    player.render(kBlock * 4, kBlock);
    EXPECT_EQ(engine(e).getParameter(cutoff, false), 40.0f);
    // The name is cut to 23 characters when it arrives.
    EXPECT_EQ(text(e, effGetProgramName), "0:0 A Dark and Very Lon");
    EXPECT_EQ(chunk(e, false).rfind("#pgm=0:0 A Dark and Very Lon\n", 0), 0u);

    // A program the bank does not have changes nothing.
    const int updates = host.count(audioMasterUpdateDisplay);
    player.send({{0, 0xC0, 2, 0}});
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), updates);
    EXPECT_EQ(text(e, effGetProgramName), "0:0 A Dark and Very Lon");
}

} // namespace
