// States written and read on one thread while another runs the blocks, as
// hosts do when they save or load a project during playback: every write
// and read stays whole, and a state read back writes the same chunk.

#include "StateFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace testfixture;

TEST(StateThreads, StatesAreWrittenAndReadWhileBlocksRun)
{
    StateTree t;
    t.set(t.osc, kOscCutoff, 20);
    t.set(t.osc, kOscPitch, 5);
    t.set(t.env1, kEnvAttack, 3);
    std::strcpy(t.man().getMetaText(1), "played live");
    t.man().beginProcessing();
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        while (!stop.load(std::memory_order_acquire)) {
            t.engine.runBlock();
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });
    const std::string first = t.write("#pgm=Live");
    // A description longer than its buffer makes the manager move it.
    const std::string longer =
        "/*@meta\nDescription:\n'" + std::string(2000, 'd') + "'\n*/\n#defaults=no\n";
    for (int round = 0; round < 100; ++round) {
        if (round == 50) {
            ASSERT_TRUE(t.read(longer));
        }
        ASSERT_TRUE(t.read(first));
        ASSERT_EQ(t.write("#pgm=Live"), first) << "round " << round;
        uint32_t size = 0;
        const uint8_t* snapshot = t.man().writeSnapshot(&size);
        ASSERT_NE(snapshot, nullptr);
        const std::vector<uint8_t> copy(snapshot, snapshot + size);
        t.man().readSnapshot(copy.data(), static_cast<uint32_t>(copy.size()));
    }
    // Let the blocks catch up with the last changes.
    const int seen = blocks.load();
    while (blocks.load() < seen + 3)
        std::this_thread::yield();
    stop.store(true, std::memory_order_release);
    audio.join();
    EXPECT_EQ(t.osc->storage[kOscCutoff], 20.0f);
    EXPECT_EQ(t.env1->storage[kEnvAttack], 3.0f);
    EXPECT_EQ(t.write("#pgm=Live"), first);
}

} // namespace
