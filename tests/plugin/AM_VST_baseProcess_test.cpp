// One host block after another: silence, notes, their timing over every
// block length, the floating-point control register, the host's transport
// in all its forms, and no allocation on the audio thread.

#include "AllocationCounter.h"
#include "PluginFixture.h"

#include "engine/module/AM_ProcessContext.h"

#include <gtest/gtest.h>

#include <thread>

#include <limits>
#include <xmmintrin.h>

namespace {

using namespace plugintest;

constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr int kKey = 60;
constexpr int kVelocity = 100;

class PluginProcessTest : public PluginTest {};

TEST_F(PluginProcessTest, SilenceWithoutNotes)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    Player player(e, host);
    const Stereo out = player.render(static_cast<int64_t>(kRate), kBlock);
    EXPECT_EQ(out.firstSound(), -1);
}

TEST_F(PluginProcessTest, NoteRendersFiniteSound)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    Player player(e, host);
    const Stereo out =
        player.render(static_cast<int64_t>(kRate), kBlock,
                      {{1000, kNoteOn, kKey, kVelocity}, {30000, kNoteOff, kKey, 0}});
    EXPECT_TRUE(out.allFinite());
    EXPECT_GT(out.peak(), 0.01f);
    EXPECT_LE(out.peak(), 4.0f);
    EXPECT_GE(out.firstSound(), 1000);
}

// The note's onset: the last silent frame before its first sound (every
// voice starts from a zero sample).
int64_t onsetOf(const Stereo& out)
{
    const int64_t first = out.firstSound();
    return first > 0 ? first - 1 : first;
}

// From a note's event to its first output sample: the latency of 16
// samples plus the wait for the engine's next 16-sample step, whatever the
// host's block length and wherever in a block the event falls.
TEST_F(PluginProcessTest, NoteDelayIsTheLatencyPlusAtMostFifteenForEveryBlockLength)
{
    const int blocks[] = {1, 17, 64, 100, 512, 4096};
    const int64_t noteFrames[] = {0, 1, 5, 15, 16, 17, 100, 511, 4095, 4113, 5000};
    for (const int64_t frame : noteFrames) {
        const int64_t expectedOnset = (frame + 15) / 16 * 16 + 16;
        for (const int block : blocks) {
            SCOPED_TRACE("note at " + std::to_string(frame) + ", block " + std::to_string(block));
            AEffect* e = open(kRate, block);
            ASSERT_NE(e, nullptr);
            Player player(e, host);
            const Stereo out = player.render(frame + 2048, block, {{frame, kNoteOn, kKey, 127}});
            const int64_t delay = onsetOf(out) - frame;
            EXPECT_EQ(onsetOf(out), expectedOnset);
            EXPECT_GE(delay, 16);
            EXPECT_LE(delay, 31);
            close(e);
        }
    }
}

TEST_F(PluginProcessTest, EveryBlockLengthRenders)
{
    for (const int block : {1, 17, 100, 4096}) {
        SCOPED_TRACE("block " + std::to_string(block));
        AEffect* e = open(kRate, block);
        ASSERT_NE(e, nullptr);
        Player player(e, host);
        const Stereo out = player.render(3 * 4096, block,
                                         {{50, kNoteOn, kKey, kVelocity}, {300, kNoteOn, 67, 90}});
        EXPECT_EQ(out.left.size(), 3u * 4096u);
        EXPECT_TRUE(out.allFinite());
        EXPECT_GT(out.peak(), 0.01f);
        close(e);
    }
}

TEST_F(PluginProcessTest, ControlRegisterIsTheHostsAfterEveryBlock)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    Player player(e, host);
    const unsigned saved = _mm_getcsr();
    const unsigned flushBits = 0x8040;
    for (const unsigned hostRegister : {saved & ~flushBits, saved | flushBits}) {
        _mm_setcsr(hostRegister);
        player.render(kBlock, kBlock, {{player.position(), kNoteOn, kKey, kVelocity}});
        EXPECT_EQ(_mm_getcsr(), hostRegister);
        player.render(kBlock * 3, 100);
        EXPECT_EQ(_mm_getcsr(), hostRegister);
    }
    _mm_setcsr(saved);
}

// Whatever the host answers for its transport, the engine gets a tempo, a
// bar and a position it can use: never NaN, never a division by zero.
TEST_F(PluginProcessTest, UnusableTransportFallsBackFieldByField)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        TimeMode mode;
        double tempo;
        double ppq;
        double barStart;
        VstInt32 numerator;
        VstInt32 denominator;
        double expectedTempo;
        float expectedBeatsPerBar;
    };
    const Case cases[] = {
        {"null answer", TimeMode::none, 90.0, 3.0, 0.0, 3, 4, 120.0, 4.0f},
        {"no valid flags", TimeMode::noFlags, 90.0, 3.0, 0.0, 3, 4, 120.0, 4.0f},
        {"usable", TimeMode::custom, 90.0, 3.0, 0.0, 3, 4, 90.0, 3.0f},
        {"seven eighths", TimeMode::custom, 100.0, 0.0, 0.0, 7, 8, 100.0, 3.5f},
        {"tempo zero", TimeMode::custom, 0.0, 2.0, 0.0, 4, 4, 120.0, 4.0f},
        {"negative tempo", TimeMode::custom, -60.0, 2.0, 0.0, 4, 4, 120.0, 4.0f},
        {"infinite tempo", TimeMode::custom, inf, 2.0, 0.0, 4, 4, 120.0, 4.0f},
        {"signature 0/0", TimeMode::custom, 120.0, 2.0, 0.0, 0, 0, 120.0, 4.0f},
        {"signature -3/4", TimeMode::custom, 120.0, 2.0, 0.0, -3, 4, 120.0, 4.0f},
        {"NaN position and bar", TimeMode::custom, 120.0, nan, nan, 4, 4, 120.0, 4.0f},
        {"infinite position", TimeMode::custom, 120.0, inf, inf, 4, 4, 120.0, 4.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AEffect* e = open();
        ASSERT_NE(e, nullptr);
        host.mode = c.mode;
        Player player(e, host);
        Stereo out;
        for (int block = 0; block < 8; ++block) {
            host.advanceTo(player.position());
            host.info.tempo = c.tempo;
            host.info.ppqPos = c.ppq + block;
            host.info.barStartPos = c.barStart;
            host.info.timeSigNumerator = c.numerator;
            host.info.timeSigDenominator = c.denominator;
            const std::vector<Midi> note = {{0, kNoteOn, kKey, kVelocity}};
            if (block == 0)
                player.send(note);
            float left[kBlock] = {}, right[kBlock] = {};
            float* outputs[2] = {left, right};
            e->processReplacing(e, nullptr, outputs, kBlock);
            out.left.insert(out.left.end(), left, left + kBlock);
            out.right.insert(out.right.end(), right, right + kBlock);
        }
        const AM_ProcessContext* context = engine(e).getProcessContext();
        EXPECT_EQ(context->tempo, c.expectedTempo);
        EXPECT_EQ(context->beatsPerBar, c.expectedBeatsPerBar);
        EXPECT_TRUE(std::isfinite(context->songPosition));
        EXPECT_TRUE(std::isfinite(context->barStart));
        EXPECT_TRUE(std::isfinite(context->clockTempo));
        EXPECT_TRUE(out.allFinite());
        EXPECT_GT(out.peak(), 0.0f);
        close(e);
        host.mode = TimeMode::full;
    }
}

TEST_F(PluginProcessTest, HostPositionJumpsAndStandsStill)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    host.mode = TimeMode::custom;
    float left[kBlock] = {}, right[kBlock] = {};
    float* outputs[2] = {left, right};
    const AM_ProcessContext* context = engine(e).getProcessContext();

    // A new host position: taken as the song position, with the host's bar.
    host.advanceTo(0);
    host.info.ppqPos = 9.5;
    host.info.barStartPos = 8.0;
    e->processReplacing(e, nullptr, outputs, kBlock);
    EXPECT_EQ(context->positionJumpFlag, 1u);
    EXPECT_EQ(context->lastHostPosition, 9.5);
    EXPECT_EQ(context->barStart, 8.0);
    EXPECT_GT(context->songPosition, 9.5); // advanced by the rendered block

    // The same position again (a stopped transport): the engine's own song
    // position decides the bar.
    for (int i = 0; i < 200; ++i)
        e->processReplacing(e, nullptr, outputs, kBlock);
    const double before = context->songPosition;
    e->processReplacing(e, nullptr, outputs, kBlock);
    EXPECT_EQ(context->positionJumpFlag, 0u);
    EXPECT_EQ(context->lastHostPosition, 9.5);
    EXPECT_GT(before, 12.0);
    EXPECT_EQ(context->barStart, std::floor(before / 4.0) * 4.0);
    EXPECT_GT(context->songPosition, before);
}

TEST_F(PluginProcessTest, AudioThreadCallsAllocateNothing)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const int32_t cutoff = id(e, "Kestan", "Cutoff");
    plugin(e).setMidiLearnParameter(cutoff);
    Player player(e, host);
    player.render(kBlock * 4, kBlock);

    // Every message kind, prepared before counting.
    std::vector<VstMidiEvent> midi;
    const uint8_t messages[][3] = {
        {0x90, 60, 100}, {0x91, 64, 90},  {0x80, 60, 0}, {0xA0, 64, 50}, {0xB0, 7, 100},
        {0xB0, 1, 64},   {0xB0, 64, 127}, {0xB0, 0, 1},  {0xC0, 3, 0},   {0xD0, 80, 0},
        {0xE0, 0, 64},   {0xB0, 123, 0},  {0xF8, 0, 0},
    };
    for (const auto& m : messages) {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = static_cast<VstInt32>(midi.size() * 7);
        std::memcpy(event.midiData, m, 3);
        midi.push_back(event);
    }
    std::vector<uint8_t> block(vstEventsBytes(midi.size()), 0);
    auto* events = reinterpret_cast<VstEvents*>(block.data());
    events->numEvents = static_cast<VstInt32>(midi.size());
    for (size_t i = 0; i < midi.size(); ++i)
        events->events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    host.advanceTo(0);

    const auto play = [&] {
        testsupport::AllocationCounter counter;
        for (int i = 0; i < 16; ++i) {
            dispatch(e, effProcessEvents, 0, 0, events);
            e->processReplacing(e, nullptr, outputs, i % 2 == 0 ? kBlock : 4096);
            e->setParameter(e, 3, 0.25f * static_cast<float>(i % 4));
        }
        return counter.count();
    };
    EXPECT_EQ(play(), 0u);
    // A host that restarts its audio thread: the first calls of each new
    // thread allocate nothing either.
    for (int restart = 0; restart < 3; ++restart) {
        uint64_t allocations = 1;
        std::thread audio([&] { allocations = play(); });
        audio.join();
        EXPECT_EQ(allocations, 0u) << "audio thread " << restart;
    }
}

} // namespace

// A default preset that switches the block latency off: the plug-in
// announces no delay, and a note sounds at its own frame's next step.
class PluginWithoutLatencyTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        AEffect* maker = open();
        ASSERT_NE(maker, nullptr);
        std::string state = chunk(maker, true);
        close(maker);
        resetProcessState();
        state.resize(state.find('\0'));
        dir.writeFile("KestanK4.data/Presets/KestanK4/default.h2p",
                      "!BLOCK_LATENCY_OFF=YES\n" + state);
    }
};

TEST_F(PluginWithoutLatencyTest, NoLatencyAnnouncedAndNotesOnTheirOwnStep)
{
    for (const int64_t frame : {0, 1, 15, 16, 100}) {
        SCOPED_TRACE(frame);
        AEffect* e = open();
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->initialDelay, 0);
        Player player(e, host);
        const Stereo out = player.render(2048, kBlock, {{frame, kNoteOn, kKey, 127}});
        EXPECT_EQ(onsetOf(out), (frame + 15) / 16 * 16);
        close(e);
    }
}
