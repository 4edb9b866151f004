// The access layer: parameters by host index (published numbers and
// 10000 + global id), counts and numbering, value names, hiding, module
// names and the state chunk.

#include "StartupFixture.h"
#include "TraceCapture.h"

#include "engine/module/AM_ProcessContext.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using namespace enginetest;

class AccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataRoot::resetProcessState();
        engine = makeStartupEngine(0);
    }
    void TearDown() override { engine.reset(); }

    int32_t published(const char* module, const char* parameter)
    {
        return engine->getPublishedIndex(engine->id(module, parameter));
    }

    std::unique_ptr<StartupAudioMan> engine;
};

TEST_F(AccessTest, HostIndicesReachTheParameterTheyName)
{
    const int32_t gain = engine->id("AM1", "Gain");
    const int32_t cut = engine->id("AM2", "Cut");
    const int32_t level = engine->id("AM1", "Level");
    ASSERT_GE(gain, 0);
    ASSERT_GE(published("AM1", "Gain"), 0);

    struct Case {
        const char* what;
        int32_t index;
        bool published;
        int32_t id;
        float value;
    };
    const Case cases[] = {
        {"published number", published("AM1", "Gain"), true, gain, 2.5f},
        {"10000 + global id", AM_AudioMan::kHostInternalOffset + cut, true, cut, 12.0f},
        {"global id", level, false, level, 0.25f},
        {"10000 + unpublished id", AM_AudioMan::kHostInternalOffset + level, true, level, 0.75f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(engine->resolveParameterIndex(c.index, c.published), c.id);
        EXPECT_EQ(engine->getParameterDescriptor(c.index, c.published),
                  engine->getParaMan()->getParameterInfo(c.id));
        engine->setParameter(c.index, c.value, c.published);
        EXPECT_FLOAT_EQ(engine->getParameter(c.index, c.published), c.value);
        EXPECT_FLOAT_EQ(engine->getParameter(c.id, false), c.value);
    }
}

TEST_F(AccessTest, IndicesOutOfRangeChangeNothingAndAnswerZero)
{
    const int32_t joint = engine->getParameterCount(false);
    const int32_t numbers = engine->getParameterCount(true);
    const std::string before = engine->chunkText();
    struct Case {
        int32_t index;
        bool published;
    };
    const Case cases[] = {
        {-1, true},
        {numbers, true},
        {AM_AudioMan::kHostInternalOffset - 1, true},
        {AM_AudioMan::kHostInternalOffset + joint, true},
        {INT32_MAX, true},
        {INT32_MIN, true},
        {-1, false},
        {joint, false},
        {AM_AudioMan::kHostInternalOffset, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << (c.published ? " published" : " internal"));
        EXPECT_EQ(engine->resolveParameterIndex(c.index, c.published), -1);
        EXPECT_EQ(engine->getParameterDescriptor(c.index, c.published), nullptr);
        EXPECT_EQ(engine->getParameter(c.index, c.published), 0.0f);
        AM_ValueNames names = nullptr;
        EXPECT_EQ(engine->getParameterValueString(c.index, &names, c.published), 0);
        engine->setParameter(c.index, 1.0f, c.published);
    }
    EXPECT_EQ(engine->chunkText(), before);
}

TEST_F(AccessTest, PublishedNumbersAndGlobalIdsMapBothWays)
{
    const int32_t joint = engine->getParameterCount(false);
    const int32_t numbers = engine->getParameterCount(true);
    EXPECT_EQ(joint, engine->getParaMan()->getJointParameterCount());
    EXPECT_EQ(numbers, engine->getParaMan()->getPublishedCount());
    ASSERT_GE(numbers, 6); // three of each access module
    for (int32_t p = 0; p < numbers; ++p)
        EXPECT_EQ(engine->getPublishedIndex(engine->getInternalIndex(p)), p);
    EXPECT_EQ(published("AM1", "Level"), -1);
    EXPECT_EQ(published("AM1", "Data"), -1);
    for (int32_t bad : {-1, numbers})
        EXPECT_EQ(engine->getInternalIndex(bad), -1);
    for (int32_t bad : {-1, joint})
        EXPECT_EQ(engine->getPublishedIndex(bad), -1);
}

TEST(AccessBeforeInitTest, AnswersWithoutAParameterManager)
{
    StartupAudioMan engine;
    AM_ValueNames names = nullptr;
    EXPECT_EQ(engine.getParameterCount(true), 0);
    EXPECT_EQ(engine.getParameterCount(false), 0);
    EXPECT_EQ(engine.getPublishedIndex(0), -1);
    EXPECT_EQ(engine.getInternalIndex(0), -1);
    EXPECT_EQ(engine.getParameterValueString(0, &names, false), 0);
    EXPECT_EQ(engine.getParameterDescriptor(0, true), nullptr);
    EXPECT_EQ(engine.getParameter(AM_AudioMan::kHostInternalOffset, true), 0.0f);
    uint32_t size = 7;
    EXPECT_EQ(engine.getChunk(&size, nullptr), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(engine.setChunk("x=1\n", 4, 0));
}

TEST_F(AccessTest, ValueNamesComeByEitherNumbering)
{
    const int32_t mode = engine->id("AM2", "Mode");
    for (const auto& [index, isPublished] :
         {std::pair{mode, false}, std::pair{published("AM2", "Mode"), true},
          std::pair{AM_AudioMan::kHostInternalOffset + mode, true}}) {
        AM_ValueNames names = nullptr;
        ASSERT_EQ(engine->getParameterValueString(index, &names, isPublished), 4);
        EXPECT_STREQ(names[2], "three");
    }
    AM_ValueNames names = nullptr;
    EXPECT_EQ(engine->getParameterValueString(engine->id("AM2", "Gain"), &names, false), 0);
}

TEST_F(AccessTest, HidingSetsTheHiddenFlagOrTracesTheMisspeltPair)
{
    AM_ParaMan* manager = engine->getParaMan();
    const int32_t count = manager->getJointParameterCount();
    const std::vector<AM_ParamInfo> before(manager->getParameterTable(),
                                           manager->getParameterTable() + count);
    testsupport::TraceCapture trace;
    engine->hideParameter("AM1", "Gian");
    engine->hideParameter("AM9", "Gain");
    EXPECT_EQ(trace.count("couldn't hide AM1 Gian\n"), 1);
    EXPECT_EQ(trace.count("couldn't hide AM9 Gain\n"), 1);
    EXPECT_EQ(std::memcmp(before.data(), manager->getParameterTable(),
                          before.size() * sizeof(AM_ParamInfo)),
              0);

    engine->hideParameter("AM2", "Level");
    const AM_ParamInfo* level = engine->findParameter("AM2", "Level");
    EXPECT_NE(level->flags & k_paramHidden, 0u);
    EXPECT_EQ(engine->findParameter("AM1", "Level")->flags & k_paramHidden, 0u);
}

TEST_F(AccessTest, ModuleNamesByIndex)
{
    const int32_t index = static_cast<int32_t>(engine->getModuleByName("AM2")->getModuleIndex());
    EXPECT_STREQ(engine->getModuleName(index), "AM2: AccessTwo");
    EXPECT_EQ(engine->getModuleName(-1), nullptr);
    EXPECT_EQ(engine->getModuleName(engine->getModuleCount()), nullptr);
}

TEST_F(AccessTest, ImportStateInfoOnlyTraces)
{
    testsupport::TraceCapture trace;
    const std::string before = engine->chunkText();
    engine->importStateInfo();
    EXPECT_TRUE(trace.contains("Call to deprecated method AM_AudioMan::importStateInfo()"));
    EXPECT_EQ(engine->chunkText(), before);
}

TEST_F(AccessTest, ChunkSetAndGotBackIsByteIdentical)
{
    const uint8_t data[AccessModule::kDataBytes] = {1, 2, 3, 0, 255, 9, 8, 7};
    engine->setParameter(engine->id("AM1", "Gain"), 2.25f, false);
    engine->setParameter(engine->id("AM2", "Mode"), 3.0f, false);
    engine->setParameter(engine->id("AM2", "Level"), 0.125f, false);
    engine->setBinaryParameterData(engine->id("AM1", "Data"), data, sizeof data);
    const std::string first = engine->chunkText();
    ASSERT_FALSE(first.empty());

    auto other = makeStartupEngine(0);
    ASSERT_TRUE(other->setChunk(first.data(), static_cast<int32_t>(first.size()), 0));
    EXPECT_EQ(other->chunkText(), first);
    EXPECT_EQ(std::memcmp(other->first->data, data, sizeof data), 0);
    EXPECT_FLOAT_EQ(other->getParameter(other->id("AM1", "Gain"), false), 2.25f);

    ASSERT_TRUE(engine->setChunk(first.data(), static_cast<int32_t>(first.size()), 0));
    EXPECT_EQ(engine->chunkText(), first);

    uint32_t size = 0;
    const char* withLine = engine->getChunk(&size, "#pgm=Lead");
    ASSERT_NE(withLine, nullptr);
    EXPECT_EQ(std::string(withLine, size).rfind("#pgm=Lead\n", 0), 0u);
}

TEST_F(AccessTest, SetChunkAnswersFailureWhenTheReaderRefuses)
{
    const std::string before = engine->chunkText();
    EXPECT_FALSE(engine->setChunk(nullptr, 10, 0));
    EXPECT_FALSE(engine->setChunk("Gain=2\n", 0, 0));
    EXPECT_FALSE(engine->setChunk("Gain=2\n", -7, 0));
    EXPECT_EQ(engine->chunkText(), before);
}

TEST_F(AccessTest, SetChunkBeforeAudioRunsClearsTheBusChannels)
{
    AM_ProcessContext* ctx = engine->getProcessContext();
    const uint32_t rows = ctx->channelCapacity;
    std::fill(ctx->busBuffer, ctx->busBuffer + rows * k_rowSamples, 0.5f);
    const std::string chunk = engine->chunkText();
    ASSERT_TRUE(engine->setChunk(chunk.data(), static_cast<int32_t>(chunk.size()), 0));
    for (uint32_t i = 0; i < rows * k_rowSamples; ++i)
        ASSERT_EQ(ctx->busBuffer[i], 0.0f) << i;
}

TEST_F(AccessTest, ReloadStateKeepsTheState)
{
    engine->setParameter(engine->id("AM1", "Cut"), 75.0f, false);
    const std::string before = engine->chunkText();
    engine->reloadState();
    EXPECT_EQ(engine->chunkText(), before);
    EXPECT_FLOAT_EQ(engine->first->cut, 75.0f);
}

} // namespace
