// A user-interface thread rewrites a data block that the module reads while
// the audio thread renders block after block: the module never sees a torn
// table, hears of every change on the audio thread, and the writer always
// reads back what it wrote. Run under ThreadSanitizer in CI.

#include "DataBlockHarness.h"

#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace enginetest;

constexpr uint32_t kTableBytes = DataBlockModule::kTableBytes;
constexpr int kBlocks = 20000;
// Copies taken at least (every 64th also saves the state), however the
// threads are scheduled.
constexpr int kCopiesPerChunk = 64;
constexpr int kMinimumCopies = 2 * kCopiesPerChunk;

TEST(DataBlockThreads, AWriterRewritesATableWhileTheAudioThreadRenders)
{
    DataBlockEngine t(true);
    t.runBlock(256); // sizes the output buffers before the audio thread starts
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        while (!started.load(std::memory_order_acquire))
            std::this_thread::yield();
        for (int b = 0; b < kBlocks; ++b)
            t.runBlock(1 + static_cast<uint32_t>(b * 37 % 200));
        done.store(true, std::memory_order_release);
    });

    int writes = 0;
    int wrongReadBacks = 0;
    uint8_t last = 0;
    std::vector<uint8_t> bytes(kTableBytes);
    do {
        last = static_cast<uint8_t>(1 + writes % 250);
        bytes.assign(kTableBytes, last);
        t.engine->setBinaryParameterData(t.tableId, bytes.data(), kTableBytes);
        const char name[] = {'n', static_cast<char>('a' + writes % 26), '\0'};
        t.engine->setBinaryParameterData(t.nameId, name, sizeof name);
        const auto* back = static_cast<const uint8_t*>(t.engine->getBinaryParameterData(t.tableId));
        if (!back || back[0] != last || back[kTableBytes - 1] != last)
            ++wrongReadBacks;
        ++writes;
        // The audio thread starts after the second write, so there are
        // several whatever the scheduling.
        if (writes >= 2)
            started.store(true, std::memory_order_release);
    } while (!done.load(std::memory_order_acquire));
    audio.join();

    {
        platform::RealtimeScope realtime;
        t.runBlock();
    }
    EXPECT_GT(writes, 1);
    EXPECT_EQ(wrongReadBacks, 0);
    EXPECT_EQ(t.module->tornTables, 0);
    EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, last));
    EXPECT_GT(t.module->tableNotifications, 0);
    EXPECT_LE(t.module->tableNotifications, writes);
    EXPECT_EQ(t.module->notificationsOffAudioThread, 0);
}

// The audio thread writes the table itself (as a program change does) while
// a user-interface thread rewrites it and another thread copies it out and
// saves the state: every copy is one whole write, never two halves.
TEST(DataBlockThreads, ACopyIsAlwaysOneWholeWrite)
{
    DataBlockEngine t(true);
    t.runBlock(256);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        uint8_t table[kTableBytes];
        for (int b = 0; b < kBlocks; ++b) {
            std::fill(table, table + kTableBytes, static_cast<uint8_t>(1 + b % 120));
            t.engine->setBinaryParameterData(t.tableId, table, kTableBytes);
            t.runBlock(1 + static_cast<uint32_t>(b * 37 % 200));
        }
        done.store(true, std::memory_order_release);
    });
    std::thread writer([&] {
        std::vector<uint8_t> bytes(kTableBytes);
        for (int w = 0; !done.load(std::memory_order_acquire); ++w) {
            bytes.assign(kTableBytes, static_cast<uint8_t>(130 + w % 120));
            t.engine->setBinaryParameterData(t.tableId, bytes.data(), kTableBytes);
        }
    });

    int copies = 0;
    int tornCopies = 0;
    int chunks = 0;
    uint8_t copy[kTableBytes];
    while (!done.load(std::memory_order_acquire) || copies < kMinimumCopies) {
        if (!t.engine->copyBinaryParameterData(t.tableId, copy, kTableBytes))
            break;
        if (!std::all_of(copy, copy + kTableBytes, [&](uint8_t b) { return b == copy[0]; }))
            ++tornCopies;
        if (++copies % kCopiesPerChunk == 0 && !t.chunk().empty())
            ++chunks;
    }
    audio.join();
    writer.join();

    EXPECT_GT(copies, 1);
    EXPECT_GT(chunks, 0);
    EXPECT_EQ(tornCopies, 0);
    EXPECT_EQ(t.module->tornTables, 0);
}

} // namespace
