// Data-block parameter writes: the caller's size bounds what is read, the
// rest of the block is zeroed; once the engine processes, a write waits for
// the audio thread's next block but is read back (and saved) at once.

#include "DataBlockHarness.h"

#include "AllocationCounter.h"
#include "TraceCapture.h"
#include "params/AM_ParaMan.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace enginetest;

constexpr uint32_t kTableBytes = DataBlockModule::kTableBytes;

// `size` bytes counting up from `first`, in a buffer of exactly that size,
// so that reading past it is caught by the address sanitizer.
std::vector<uint8_t> counting(uint32_t size, uint8_t first)
{
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

TEST(AudioManDataBlocks, AWriteTakesAtMostTheCallersBytesAndZeroesTheRest)
{
    struct Case {
        const char* name;
        uint32_t size;
        bool processing;
    };
    const Case cases[] = {
        {"short buffer, before processing", 3, false},
        {"short buffer, processing", 3, true},
        {"whole block, before processing", kTableBytes, false},
        {"whole block, processing", kTableBytes, true},
        {"longer buffer is cut, before processing", kTableBytes + 40, false},
        {"longer buffer is cut, processing", kTableBytes + 40, true},
        {"no bytes clear the block", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataBlockEngine t(c.processing);
        t.writeTable(0xff);
        if (c.processing)
            t.runBlock();
        const std::vector<uint8_t> data = counting(c.size, 1);
        // A buffer of one byte stands in for "no bytes", so the pointer is
        // not null.
        const std::vector<uint8_t> one(1, 0xee);
        t.engine->setBinaryParameterData(t.tableId, c.size > 0 ? data.data() : one.data(), c.size);
        std::vector<uint8_t> expected(kTableBytes, 0);
        std::copy_n(data.begin(), std::min(c.size, kTableBytes), expected.begin());
        EXPECT_EQ(t.readTable(), expected);
        if (c.processing)
            t.runBlock();
        EXPECT_EQ(t.moduleTable(), expected);
        EXPECT_EQ(t.module->tableNotifications, 2);
    }
}

TEST(AudioManDataBlocks, APendingWriteIsReadBackAtOnceAndReachesTheModuleWithTheNextBlock)
{
    DataBlockEngine t(true);
    t.runBlock();
    const std::vector<uint8_t> before = t.moduleTable();

    t.writeTable(7);
    t.writeTable(9); // replaces the write still waiting
    EXPECT_EQ(t.moduleTable(), before) << "the module's table is the audio thread's until it runs";
    EXPECT_EQ(t.module->tableNotifications, 0);
    EXPECT_EQ(t.readTable(), std::vector<uint8_t>(kTableBytes, 9));

    t.runBlock();
    EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, 9));
    EXPECT_EQ(t.module->seen, 9) << "applied before the modules render";
    EXPECT_EQ(t.module->tableNotifications, 1);
    EXPECT_EQ(t.engine->getBinaryParameterData(t.tableId), t.module->table);

    // Nothing more waits: later blocks leave the table and notify no more.
    t.runBlock();
    EXPECT_EQ(t.module->tableNotifications, 1);
    EXPECT_EQ(t.module->tornTables, 0);
}

TEST(AudioManDataBlocks, EachBlockIsHandedOverOnItsOwn)
{
    DataBlockEngine t(true);
    t.runBlock();
    const char name[] = "Just";
    t.engine->setBinaryParameterData(t.nameId, name, sizeof name);
    EXPECT_STREQ(static_cast<const char*>(t.engine->getBinaryParameterData(t.nameId)), "Just");
    EXPECT_EQ(t.readTable(), t.moduleTable());
    t.runBlock();
    EXPECT_STREQ(t.module->name, "Just");
    EXPECT_EQ(t.module->nameNotifications, 1);
    EXPECT_EQ(t.module->tableNotifications, 0);
}

TEST(AudioManDataBlocks, BeforeProcessingAWriteLandsAtOnce)
{
    DataBlockEngine t(false);
    t.writeTable(5);
    EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, 5));
    EXPECT_EQ(t.module->tableNotifications, 1);
    EXPECT_EQ(t.engine->getBinaryParameterData(t.tableId), t.module->table);
}

TEST(AudioManDataBlocks, PendingBlocksRoundTripThroughTheStateAndTheSnapshot)
{
    DataBlockEngine t(true);
    t.runBlock();
    t.writeTable(0x5a);
    const char name[] = "Pending";
    t.engine->setBinaryParameterData(t.nameId, name, sizeof name);

    const std::string first = t.chunk();
    ASSERT_FALSE(first.empty());
    ASSERT_TRUE(t.engine->setChunk(first.data(), static_cast<int32_t>(first.size()), 0));
    EXPECT_EQ(t.chunk(), first) << "write, read, write again without a block";

    AM_ParaMan* manager = t.engine->getParaMan();
    uint32_t size = 0;
    const uint8_t* snapshot = manager->writeSnapshot(&size);
    ASSERT_NE(snapshot, nullptr);
    const std::vector<uint8_t> copy(snapshot, snapshot + size);
    manager->readSnapshot(copy.data(), size);
    snapshot = manager->writeSnapshot(&size);
    EXPECT_EQ(std::vector<uint8_t>(snapshot, snapshot + size), copy);

    // An engine that has not run takes the saved blocks into its module.
    DataBlockEngine other(false);
    ASSERT_TRUE(other.engine->setChunk(first.data(), static_cast<int32_t>(first.size()), 0));
    EXPECT_EQ(other.moduleTable(), std::vector<uint8_t>(kTableBytes, 0x5a));
    EXPECT_STREQ(other.module->name, "Pending");
    EXPECT_EQ(other.chunk(), first);

    t.runBlock();
    EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, 0x5a));
    EXPECT_STREQ(t.module->name, "Pending");
}

TEST(AudioManDataBlocks, AWriteOnTheAudioThreadLandsAtOnceAndDropsAnOlderPendingOne)
{
    DataBlockEngine t(true);
    t.runBlock();
    t.writeTable(3); // from the user interface: waits for the next block
    {
        platform::RealtimeScope audioThread;
        t.writeTable(4); // a program change between blocks
        EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, 4));
        EXPECT_EQ(t.module->tableNotifications, 1);
        t.runBlock();
    }
    EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, 4));
    EXPECT_EQ(t.readTable(), std::vector<uint8_t>(kTableBytes, 4));
    EXPECT_EQ(t.module->tableNotifications, 1);
    EXPECT_EQ(t.module->notificationsOffAudioThread, 0);
}

TEST(AudioManDataBlocks, ABlockWithPendingDataAllocatesNothing)
{
    DataBlockEngine t(true);
    t.runBlock();
    t.writeTable(0x11);
    const char name[] = "NoAlloc";
    t.engine->setBinaryParameterData(t.nameId, name, sizeof name);
    uint64_t allocations = 0;
    {
        platform::RealtimeScope audioThread;
        testsupport::AllocationCounter counter;
        t.runBlock();
        allocations = counter.count();
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, 0x11));
    EXPECT_STREQ(t.module->name, "NoAlloc");
}

TEST(AudioManDataBlocks, WritesThatNameNoDataBlockChangeNothing)
{
    DataBlockEngine t(true);
    t.runBlock();
    const std::vector<uint8_t> bytes(kTableBytes, 0x77);
    const float gainBefore = t.module->gain;
    const int32_t count = t.engine->getParaMan()->getJointParameterCount();
    struct Case {
        const char* name;
        int32_t id;
        const void* data;
    };
    const Case cases[] = {
        {"a float parameter", t.gainId, bytes.data()},
        {"an id below the table", -1, bytes.data()},
        {"an id past the table", count, bytes.data()},
        {"no data", t.tableId, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.engine->setBinaryParameterData(c.id, c.data, kTableBytes);
        t.runBlock();
        EXPECT_EQ(t.moduleTable(), std::vector<uint8_t>(kTableBytes, 0));
        EXPECT_EQ(t.module->gain, gainBefore);
        EXPECT_EQ(t.module->tableNotifications, 0);
        EXPECT_EQ(t.engine->getBinaryParameterData(c.id),
                  c.id == t.tableId ? static_cast<void*>(t.module->table) : nullptr);
    }
}

} // namespace
