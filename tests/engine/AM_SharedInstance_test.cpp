// The process-wide table of shared instances, as the audio managers of one
// or more plug-in IDs count themselves in and out.

#include "EngineHarness.h"

#include "engine/AM_SharedInstance.h"
#include "params/AM_PublishedNumbering.h"
#include "presets/folders/PresetFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace enginetest;

class CountedTable : public AM_PublishedNumbering {
public:
    explicit CountedTable(int* alive) : alive_(alive) { ++*alive_; }
    ~CountedTable() override { --*alive_; }
    int32_t getInternalIDFromPublished(int32_t p) const override { return p; }
    const char* getPublishedName(int32_t) const override { return nullptr; }

private:
    int* alive_;
};

class SharedInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { AM_SharedInstances::reset(); }
    void TearDown() override { AM_SharedInstances::reset(); }
};

constexpr uint32_t kId = 0x57713378;

TEST_F(SharedInstanceTest, InstancesOfOneIdShareAnEntryUntilTheLastOneGoes)
{
    int tables = 0;
    const int32_t foldersBefore = PresetFolder::liveFolders();
    auto first = std::make_unique<BareAudioMan>();
    EXPECT_EQ(first->setPluginId(kId), 0);
    EXPECT_EQ(first->getPluginId(), kId);
    AM_SharedInstance* entry = first->getSharedInstanceEntry();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->instanceCount, 1u);
    entry->publishedTable = new CountedTable(&tables);
    entry->bankList = new PresetFolder(nullptr, 0, "Bank0");
    entry->bankCount = 1;

    auto second = std::make_unique<BareAudioMan>();
    second->setPluginId(kId);
    EXPECT_EQ(second->getSharedInstanceEntry(), entry);
    EXPECT_EQ(second->getInstanceCount(), 2u);

    second.reset();
    EXPECT_EQ(first->getInstanceCount(), 1u);
    EXPECT_EQ(tables, 1);
    EXPECT_EQ(PresetFolder::liveFolders(), foldersBefore + 1);

    first.reset();
    EXPECT_EQ(tables, 0);
    EXPECT_EQ(PresetFolder::liveFolders(), foldersBefore);
    EXPECT_EQ(AM_SharedInstances::find(kId), nullptr);
    EXPECT_EQ(AM_SharedInstances::usedEntries(), 0);
}

TEST_F(SharedInstanceTest, AFullTableLeavesFurtherIdsUncounted)
{
    std::vector<std::unique_ptr<BareAudioMan>> engines;
    for (uint32_t id = 1; id <= AM_SharedInstances::kEntries; ++id) {
        engines.push_back(std::make_unique<BareAudioMan>());
        engines.back()->setPluginId(id);
        ASSERT_EQ(engines.back()->getInstanceCount(), 1u);
    }
    BareAudioMan extra;
    extra.setPluginId(1000);
    EXPECT_EQ(extra.getSharedInstanceEntry(), nullptr);
    EXPECT_EQ(extra.getInstanceCount(), 0u);
    EXPECT_EQ(extra.getPluginId(), 1000u);

    // A freed entry early in the table must not give a counted ID a second
    // entry.
    engines[0].reset();
    BareAudioMan again;
    again.setPluginId(7);
    EXPECT_EQ(again.getInstanceCount(), 2u);
    EXPECT_EQ(AM_SharedInstances::usedEntries(), AM_SharedInstances::kEntries - 1);
}

TEST_F(SharedInstanceTest, ChangingOrRepeatingTheIdKeepsOneCountPerInstance)
{
    BareAudioMan engine;
    engine.setPluginId(kId);
    engine.setPluginId(kId);
    EXPECT_EQ(engine.getInstanceCount(), 1u);
    engine.setPluginId(kId + 1);
    EXPECT_EQ(AM_SharedInstances::find(kId), nullptr);
    EXPECT_EQ(engine.getInstanceCount(), 1u);
    engine.setPluginId(0);
    EXPECT_EQ(engine.getSharedInstanceEntry(), nullptr);
    EXPECT_EQ(AM_SharedInstances::usedEntries(), 0);
}

} // namespace
