// The built module KestanK4.so as a host loads it, through the test host's
// library: a copy of the module in a temporary folder with a data folder of
// its own beside it.

#include "TempDir.h"

#include "AudioBuffer.h"
#include "HostedPlugin.h"
#include "Renderer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using vsthost::AudioBuffer;
using vsthost::HostedPlugin;
using vsthost::HostSettings;
using vsthost::midiMessage;
using vsthost::Renderer;

constexpr const char* kModule = KK_PLUGIN_MODULE_PATH;
constexpr const char* kDataFolder = KK_DATA_FOLDER_PATH;
constexpr uint8_t kNoteOn = 0x90;

class PluginModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(kModule, dir.file("KestanK4.so"));
        dir.makeDir("KestanK4.data");
    }
    // Loads and starts the copy; false with the reason in the test's log.
    bool load(HostedPlugin& plugin, HostSettings settings = {})
    {
        std::string error;
        const bool loaded = plugin.load(dir.file("KestanK4.so"), settings, error);
        EXPECT_TRUE(loaded) << error;
        if (loaded)
            plugin.start();
        return loaded;
    }
    static AudioBuffer render(HostedPlugin& plugin, int64_t frames,
                              const vsthost::MidiSequence& events)
    {
        Renderer renderer(plugin);
        renderer.schedule(events);
        AudioBuffer audio;
        std::string error;
        EXPECT_TRUE(renderer.render(frames, &audio, error)) << error;
        return audio;
    }

    testsupport::TempDir dir;
};

TEST_F(PluginModuleTest, AnnouncesItselfToTheHost)
{
    HostedPlugin plugin;
    ASSERT_TRUE(load(plugin));
    EXPECT_EQ(plugin.uniqueId(), 0x57713378);
    EXPECT_EQ(plugin.numInputs(), 2);
    EXPECT_EQ(plugin.numOutputs(), 2);
    EXPECT_EQ(plugin.initialDelay(), 16);
    EXPECT_EQ(plugin.version(), 1);
    EXPECT_EQ(plugin.flags(),
              effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth);
    EXPECT_EQ(plugin.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin.dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(plugin.effectName(), "KestanK4");
    EXPECT_EQ(plugin.vendorString(), "Orlen");
    EXPECT_EQ(plugin.productString(), "KestanK4 V1.0.1");
    for (const char* yes : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
                            "2in2out", "plugAsChannelInsert", "plugAsSend"})
        EXPECT_EQ(plugin.canDo(yes), 1) << yes;
    for (const char* no : {"sendVstEvents", "offline", "bypass", "receiveVstEvents "})
        EXPECT_EQ(plugin.canDo(no), -1) << no;
    // The plug-in asked for MIDI when it was resumed.
    EXPECT_GE(plugin.log().count(audioMasterWantMidi), 1u);
}

TEST_F(PluginModuleTest, SilenceWithoutNotesAndSoundWithOne)
{
    HostedPlugin plugin;
    ASSERT_TRUE(load(plugin));
    const AudioBuffer quiet = render(plugin, 44100, {});
    EXPECT_EQ(vsthost::firstSoundingFrame(quiet), -1);
    const AudioBuffer note = render(plugin, 44100, {midiMessage(100, kNoteOn, 57, 100)});
    for (const vsthost::ChannelStats& stats : vsthost::measure(note)) {
        EXPECT_EQ(stats.nonFinite, 0);
        EXPECT_GT(stats.peak, 0.01f);
        EXPECT_GT(stats.rms, 0.001);
    }
    EXPECT_FALSE(plugin.controlRegisterChanged());
}

// The first sound of a note, for every block length and place in a block:
// 16 samples of latency plus at most 15 to the engine's next step (the
// first sample of a voice is 0, so the first sounding frame is one later).
TEST_F(PluginModuleTest, NoteDelayDoesNotDependOnTheBlockLength)
{
    for (const int64_t frame : {0, 7, 100, 1000}) {
        int64_t reference = -1;
        for (const int block : {1, 17, 100, 512, 4096}) {
            SCOPED_TRACE("note at " + std::to_string(frame) + ", block " + std::to_string(block));
            HostSettings settings;
            settings.blockSize = block;
            HostedPlugin plugin;
            ASSERT_TRUE(load(plugin, settings));
            const AudioBuffer audio =
                render(plugin, frame + 4096, {midiMessage(frame, kNoteOn, 60, 127)});
            const int64_t delay = vsthost::firstSoundingFrame(audio) - 1 - frame;
            EXPECT_GE(delay, 16);
            EXPECT_LE(delay, 31);
            if (reference < 0)
                reference = delay;
            EXPECT_EQ(delay, reference);
            EXPECT_FALSE(plugin.controlRegisterChanged());
        }
    }
}

TEST_F(PluginModuleTest, EveryTransportAnswerRendersFiniteSound)
{
    using vsthost::TimeInfoMode;
    for (const TimeInfoMode mode :
         {TimeInfoMode::full, TimeInfoMode::none, TimeInfoMode::noFlags, TimeInfoMode::hostile}) {
        SCOPED_TRACE(static_cast<int>(mode));
        HostSettings settings;
        settings.timeInfo = mode;
        HostedPlugin plugin;
        ASSERT_TRUE(load(plugin, settings));
        const AudioBuffer audio = render(plugin, 44100, {midiMessage(0, kNoteOn, 64, 100)});
        for (const vsthost::ChannelStats& stats : vsthost::measure(audio)) {
            EXPECT_EQ(stats.nonFinite, 0);
            EXPECT_GT(stats.peak, 0.01f);
        }
    }
}

TEST_F(PluginModuleTest, ChunksThroughTheHost)
{
    HostedPlugin plugin;
    ASSERT_TRUE(load(plugin));
    std::vector<uint8_t> bank;
    std::vector<uint8_t> program;
    std::string error;
    ASSERT_TRUE(plugin.getChunk(false, bank, error)) << error;
    ASSERT_TRUE(plugin.getChunk(true, program, error)) << error;
    const std::string bankText(bank.begin(), bank.end());
    EXPECT_EQ(bankText.rfind("#pgm=initialize\n", 0), 0u);
    EXPECT_EQ(std::string(program.begin(), program.end()).find("#pgm="), std::string::npos);

    HostedPlugin other;
    ASSERT_TRUE(load(other));
    EXPECT_EQ(other.setChunk(false, bank), 1);
    std::vector<uint8_t> again;
    ASSERT_TRUE(other.getChunk(false, again, error));
    EXPECT_EQ(again, bank);
    std::vector<uint8_t> cut(program.begin(),
                             program.begin() + static_cast<long>(program.size() / 2));
    EXPECT_EQ(other.setChunk(true, cut), 0);
    std::vector<uint8_t> unchanged;
    ASSERT_TRUE(other.getChunk(false, unchanged, error));
    EXPECT_EQ(unchanged, bank);
}

// The module with the data folder it ships with: the factory presets are
// the first program bank, and each of them plays.
TEST_F(PluginModuleTest, FactoryPresetsAreTheFirstBankAndEachPlays)
{
    std::filesystem::remove_all(dir.file("KestanK4.data"));
    std::filesystem::copy(kDataFolder, dir.file("KestanK4.data"),
                          std::filesystem::copy_options::recursive);
    const std::vector<std::string> names = {"0:0 Fat Bass", "0:1 Noise Sweep", "0:2 Pluck",
                                            "0:3 Soft Pad", "0:4 Square Keys", "0:5 Sync Lead"};
    HostedPlugin plugin;
    ASSERT_TRUE(load(plugin));
    for (size_t program = 0; program < names.size(); ++program) {
        SCOPED_TRACE(names[program]);
        const auto p = static_cast<uint8_t>(program);
        const AudioBuffer audio =
            render(plugin, 44100,
                   {midiMessage(0, 0xC0, p), midiMessage(512, kNoteOn, 60, 100),
                    midiMessage(30000, 0x80, 60, 0)});
        EXPECT_EQ(plugin.programName(), names[program]);
        for (const vsthost::ChannelStats& stats : vsthost::measure(audio)) {
            EXPECT_EQ(stats.nonFinite, 0);
            EXPECT_GT(stats.peak, 0.01f);
            EXPECT_LT(stats.peak, 4.0f);
        }
    }

    // Each preset file is also a program chunk the plug-in takes.
    for (const auto& entry : std::filesystem::directory_iterator(
             dir.file("KestanK4.data/Presets/KestanK4/MIDI Programs"))) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        EXPECT_EQ(plugin.setChunk(true, bytes), 1) << entry.path();
    }
}

} // namespace

// The module's diagnostics as a user sees them: nothing on the terminal
// unless KESTANK4_TRACE names a sink; with a file named, the audio thread's
// lines are in it at the latest when the plug-in is closed.
class PluginModuleTraceTest : public PluginModuleTest {
protected:
    void SetUp() override
    {
        PluginModuleTest::SetUp();
        savedErr_ = ::dup(2);
        savedOut_ = ::dup(1);
        for (const auto& [fd, name] : {std::pair{2, "stderr.txt"}, std::pair{1, "stdout.txt"}}) {
            const int file = ::open(dir.file(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ASSERT_GE(file, 0);
            ::dup2(file, fd);
            ::close(file);
        }
    }
    void TearDown() override
    {
        ::fflush(stdout);
        ::dup2(savedErr_, 2);
        ::dup2(savedOut_, 1);
        ::close(savedErr_);
        ::close(savedOut_);
        ::unsetenv("KESTANK4_TRACE");
    }
    static constexpr uint8_t kController = 0xB0;
    static constexpr uint8_t kBankSelect = 0;

    int savedErr_ = -1;
    int savedOut_ = -1;
};

TEST_F(PluginModuleTraceTest, QuietWithoutTheVariable)
{
    ::unsetenv("KESTANK4_TRACE");
    {
        HostedPlugin plugin;
        ASSERT_TRUE(load(plugin));
        render(plugin, 4096, {midiMessage(0, kController, kBankSelect, 3)});
        plugin.unload();
    }
    EXPECT_EQ(dir.readFile("stderr.txt"), "");
    EXPECT_EQ(dir.readFile("stdout.txt"), "");
}

TEST_F(PluginModuleTraceTest, AudioThreadLinesReachANamedFileByTheClose)
{
    const std::string path = dir.file("trace.txt");
    ::setenv("KESTANK4_TRACE", path.c_str(), 1);
    HostedPlugin plugin;
    ASSERT_TRUE(load(plugin));
    EXPECT_NE(dir.readFile("trace.txt").find("No midimap file"), std::string::npos);
    render(plugin, 4096, {midiMessage(0, kController, kBankSelect, 3)});
    plugin.unload();
    EXPECT_NE(dir.readFile("trace.txt").find("MidiBankSelect 3"), std::string::npos);
    EXPECT_EQ(dir.readFile("stderr.txt"), "");
}

// The module's thread-local storage (the real-time marker of the trace) uses
// the initial-exec model: a loaded module that used the dynamic model would
// import the C library's lookup routine, which allocates the module's block
// on the first access from every new thread, here a host's audio thread.
TEST(PluginModuleStorage, ThreadLocalStorageNeverAllocatesOnANewThread)
{
    std::ifstream module(kModule, std::ios::binary);
    ASSERT_TRUE(module.good());
    const std::string bytes(std::istreambuf_iterator<char>(module), {});
    EXPECT_EQ(bytes.find("__tls_get_addr"), std::string::npos);
}
