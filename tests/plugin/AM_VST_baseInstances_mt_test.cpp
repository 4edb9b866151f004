// Two instances of the plug-in in one process, each played on an audio
// thread of its own (notes, bank selects and program changes), while a third
// thread saves and restores the state of both as a host does when it saves
// a project or recalls a snapshot. Runs for KK_THREAD_SECONDS (default 2 s)
// so a longer soak can be asked for without a rebuild.

#include "PluginFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using namespace plugintest;

// Blocks each audio thread renders, and save-and-restore rounds, at least.
constexpr int kMinimumBlocks = 4;
constexpr int kMinimumRounds = 4;

double soakSeconds()
{
    const char* text = std::getenv("KK_THREAD_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 2.0;
}

// Renders blocks with MIDI but without asking the shared test host for a
// transport per block (the host answers no time info), so the two audio
// threads share nothing but the plug-in's own process-wide state.
void playUntil(AEffect* e, const std::atomic<bool>& stop, std::atomic<int>& blocks)
{
    std::vector<float> left(kBlock), right(kBlock), silence(kBlock, 0.0f);
    float* inputs[2] = {silence.data(), silence.data()};
    float* outputs[2] = {left.data(), right.data()};
    int block = 0;
    while (!stop.load()) {
        const auto key = static_cast<uint8_t>(48 + block % 24);
        VstMidiEvent midi[4] = {};
        const uint8_t messages[4][3] = {{0x90, key, 100},
                                        {0x80, static_cast<uint8_t>(key - 5), 0},
                                        {0xB0, 0, static_cast<uint8_t>(block % 2)},
                                        {0xC0, static_cast<uint8_t>(block % 2), 0}};
        std::array<uint8_t, vstEventsBytes(4)> storage{};
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = 4;
        for (int i = 0; i < 4; ++i) {
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof(VstMidiEvent);
            midi[i].deltaFrames = (i * 97) % kBlock;
            std::memcpy(midi[i].midiData, messages[i], 3);
            vstEventList(list)[i] = reinterpret_cast<VstEvent*>(&midi[i]);
        }
        e->dispatcher(e, effProcessEvents, 0, 0, list, 0.0f);
        e->processReplacing(e, inputs, outputs, kBlock);
        ++block;
        blocks.fetch_add(1);
    }
}

// A program bank of two programs (the plug-in's own state with another
// cutoff each), so the program changes of the audio threads load states.
class PluginInstancesThreadsTest : public PluginTest {
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
             {std::pair{"A Dark.h2p", "40.00"}, std::pair{"B Bright.h2p", "120.00"}}) {
            std::string text = state;
            text.replace(text.find(line), line.size(), std::string("Cutoff=") + cutoff);
            dir.writeFile(bank + file, text.substr(0, text.find('\0')));
        }
    }
};

TEST_F(PluginInstancesThreadsTest, TwoInstancesPlayWhileAThirdThreadGetsAndSetsChunks)
{
    host.mode = TimeMode::none;
    AEffect* first = open();
    AEffect* second = open();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const std::string initial = chunk(first, false);
    ASSERT_FALSE(initial.empty());

    std::atomic<bool> stop{false};
    std::atomic<int> firstBlocks{0}, secondBlocks{0};
    std::thread audioFirst([&] { playUntil(first, stop, firstBlocks); });
    std::thread audioSecond([&] { playUntil(second, stop, secondBlocks); });

    int restored = 0;
    int saved = 0;
    // The soak lasts its time, and in any case until both audio threads have
    // rendered while chunks were taken: however the threads are scheduled,
    // what is checked below has happened.
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::duration<double>(soakSeconds());
    const auto overlapped = [&] {
        return firstBlocks.load() >= kMinimumBlocks && secondBlocks.load() >= kMinimumBlocks;
    };
    for (int round = 0;
         round < kMinimumRounds || !overlapped() || std::chrono::steady_clock::now() < until;
         ++round) {
        AEffect* e = round % 2 == 0 ? first : second;
        const std::string bank = chunk(e, false);
        const std::string program = chunk(e, true);
        saved += !bank.empty() && !program.empty();
        AEffect* other = e == first ? second : first;
        restored += setChunk(other, round % 3 == 0 ? initial : bank, round % 4 == 1) == 1;
    }
    stop = true;
    audioFirst.join();
    audioSecond.join();

    EXPECT_GT(saved, 0);
    EXPECT_GT(restored, 0);
    EXPECT_GT(firstBlocks.load(), 0);
    EXPECT_GT(secondBlocks.load(), 0);
    EXPECT_FALSE(chunk(first, false).empty());
}

} // namespace
