// setParam, the queued and ramped changes of the per-block routine, and
// reading values back.

#include "AllocationCounter.h"
#include "ParamTree.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace testfixture;

// The trace adds a line feed of its own to every message.
std::string line(const std::string& text)
{
    return text + "\n";
}

TEST(SetParam, BeforeTheFirstBlockEveryChangeAppliesAtOnce)
{
    StandardEngine t;
    EXPECT_FALSE(t.man().isProcessing());
    t.engine.set(t.id(kCutoff), 80.0f);
    EXPECT_EQ(t.man().getCurrentValue(t.id(kCutoff)), 80.0f);
    EXPECT_EQ(t.osc->storage[kCutoff], 80.0f);
    EXPECT_EQ(t.man().getValue(t.id(kCutoff), false), 80.0f);
}

TEST(SetParam, OnceProcessingIsAnnouncedChangesWaitForTheFirstBlock)
{
    StandardEngine t;
    t.man().beginProcessing();
    t.engine.set(t.id(kNotify), 6.0f);
    EXPECT_EQ(t.osc->storage[kNotify], 3.0f);
    EXPECT_EQ(t.man().getValue(t.id(kNotify), false), 6.0f);
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kNotify], 6.0f);
}

TEST(SetParam, ASmoothedChangeRampsOverFiftyBlocksAndEndsExactly)
{
    StandardEngine t;
    const int32_t id = t.id(kCutoff);
    t.engine.set(id, 0.0f);
    t.engine.runBlock();
    ASSERT_TRUE(t.man().isProcessing());

    t.engine.set(id, 100.0f);
    EXPECT_EQ(t.man().getValue(id, false), 100.0f); // the target at once
    EXPECT_EQ(t.osc->storage[kCutoff], 0.0f);
    float expected = 0.0f;
    for (int block = 1; block <= 50; ++block) {
        t.engine.runBlock();
        expected += 100.0f * 0.02f;
        const float wanted = block == 50 ? 100.0f : expected;
        ASSERT_EQ(t.osc->storage[kCutoff], wanted) << "block " << block;
        ASSERT_EQ(t.man().getCurrentValue(id), wanted) << "block " << block;
        EXPECT_EQ(t.man().getValue(id, false), 100.0f);
    }
    EXPECT_NEAR(t.osc->storage[kCutoff], 100.0f, 0.0f);
    t.osc->storage[kCutoff] = -1.0f;
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], -1.0f); // the finished ramp is left alone
}

TEST(SetParam, ARetargetContinuesFromWhereTheRampStands)
{
    StandardEngine t;
    const int32_t id = t.id(kCutoff);
    t.engine.set(id, 0.0f);
    t.engine.runBlock();
    t.engine.set(id, 100.0f);
    for (int i = 0; i < 10; ++i)
        t.engine.runBlock();
    const float standing = t.man().getCurrentValue(id);
    EXPECT_NEAR(standing, 20.0f, 1e-4f);

    t.engine.set(id, 0.0f);
    t.engine.runBlock();
    EXPECT_EQ(t.man().getCurrentValue(id), standing + (0.0f - standing) * 0.02f);
    for (int i = 1; i < 50; ++i)
        t.engine.runBlock();
    EXPECT_EQ(t.man().getCurrentValue(id), 0.0f);
    EXPECT_EQ(t.osc->storage[kCutoff], 0.0f);
}

TEST(SetParam, SettingASmoothedParameterToItsValueQueuesNothing)
{
    StandardEngine t;
    const int32_t id = t.id(kCutoff);
    t.engine.runBlock();
    t.engine.set(id, 50.0f);
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], 50.0f);
    // A later change still ramps from the start, so nothing was left queued.
    t.engine.set(id, 60.0f);
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], 50.2f);
}

TEST(SetParam, AnImmediateChangeDuringARampIsReportedAndTheRampEndsThere)
{
    testsupport::TraceCapture trace;
    StandardEngine t;
    const int32_t id = t.id(kCutoff);
    t.engine.runBlock();
    t.engine.set(id, 100.0f);
    t.engine.runBlock();
    t.engine.set(id, 30.0f, true);
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], 30.0f);
    EXPECT_TRUE(
        trace.contains("Param " + std::to_string(id) + " - Cutoff already queued in slot "));
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], 30.0f);
}

// A module with 40 smoothed float parameters.
struct ManyRamps {
    ManyRamps() : engine(0, 0, 1)
    {
        ModulePlan s;
        s.name = "MANY: Many";
        for (int i = 0; i < 40; ++i)
            s.params.push_back(makeParam("R", "Ramp", k_kindFloat, 0, 100, 0, 0x2));
        module = new FixtureModule(&engine, s);
        engine.addModule(module);
        engine.init();
        engine.runBlock();
    }
    ParamEngine engine;
    FixtureModule* module;
};

TEST(SetParam, BeyondThirtyThreeRunningRampsAFloatChangeAppliesAtOnce)
{
    ManyRamps m;
    for (uint32_t i = 0; i < 34; ++i)
        m.engine.set(m.engine.idOf(m.module, i), 100.0f);
    m.engine.runBlock();
    for (uint32_t i = 0; i < 33; ++i)
        EXPECT_EQ(m.module->storage[i], 2.0f) << i;
    EXPECT_EQ(m.module->storage[33], 100.0f); // 33 ramps were running already
}

TEST(SetParam, IntegersAreStoredAsTheNearestIntegerWithinTheirRange)
{
    ParamEngine engine(0, 0, 1);
    ModulePlan s;
    s.name = "INT: Integers";
    s.params = {makeParam("I", "Int", k_kindInteger, -5, 5, 0, 0)};
    auto* module = new FixtureModule(&engine, s);
    engine.addModule(module);
    engine.init();
    const int32_t id = engine.idOf(module, 0);
    const struct {
        float value;
        int32_t stored;
        float callerSees;
    } cases[] = {{2.5f, 3, 2.5f},    {-2.0f, -2, -2.0f}, {-0.3f, 0, -0.3f},
                 {-1.0f, -1, -1.0f}, {-2.5f, -2, -2.5f}, {2.4f, 2, 2.4f},
                 {7.0f, 5, 5.0f},    {-9.0f, -5, -5.0f}, {NAN, 5, 5.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        for (bool running : {false, true}) {
            if (running)
                engine.runBlock();
            EXPECT_EQ(engine.set(id, c.value), c.callerSees);
            engine.runBlock();
            EXPECT_EQ(storedInt(module->storage[0]), c.stored);
            EXPECT_EQ(engine.paraMan->getValue(id, false), static_cast<float>(c.stored));
        }
    }
}

TEST(SetParam, RefusesUnknownIdsMetersAndDataBlocks)
{
    testsupport::TraceCapture trace;
    StandardEngine t;
    AM_ParaMan& man = t.man();
    t.engine.set(-1, 1.0f);
    t.engine.set(man.getJointParameterCount(), 1.0f);
    EXPECT_EQ(trace.text(),
              line("Can't set Parmeter with ID -1\n") + line("Can't set Parmeter with ID 54\n"));
    trace.clear();

    const int32_t meter = man.ownId(man.getLayout().meterLocal(0));
    t.engine.set(meter, 1.5f);
    EXPECT_EQ(trace.text(), line("AM_ParaMan::setParam k_meter\n"));
    trace.clear();

    const float before = t.osc->storage[kData];
    t.engine.set(t.id(kData), 3.0f);
    t.engine.runBlock();
    EXPECT_EQ(trace.text(), "");
    EXPECT_EQ(t.osc->storage[kData], before);
}

TEST(SetParam, AfterTheFirstBlockPlainChangesReachStorageWithTheNextBlock)
{
    StandardEngine t;
    t.engine.runBlock();
    t.engine.set(t.id(kPitch), 7.0f); // smoothed, but this is about Notify below
    t.engine.set(t.id(kNotify), 4.0f);
    EXPECT_EQ(t.man().getValue(t.id(kNotify), false), 4.0f);
    EXPECT_EQ(t.osc->storage[kNotify], 3.0f);
    const size_t changes = t.osc->changes.size();
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kNotify], 4.0f);
    ASSERT_EQ(t.osc->changes.size(), changes + 1);
    EXPECT_EQ(t.osc->changes.back(), std::make_pair(static_cast<uint32_t>(kNotify), 4.0f));
}

// A parameter whose module gives no address writes into the block's scratch
// word; its module reads the value from the values array and is told of a
// change only when the parameter carries flag 0x80, as one with storage.
TEST(SetParam, TellsTheModuleOnlyWhenTheParameterAsksToBeTold)
{
    ParamEngine engine(0, 0, 0);
    ModulePlan plan;
    plan.name = "TELL: Tell";
    plan.params = {
        makeParam("Free", "Free", k_kindFloat, 0, 1, 0.5f, 0),
        makeParam("Ask", "Ask", k_kindFloat, 0, 1, 0.5f, 0x80),
        makeParam("Kept", "Kept", k_kindFloat, 0, 1, 0.5f, 0),
        makeParam("KAsk", "KeptAsk", k_kindFloat, 0, 1, 0.5f, 0x80),
        makeParam("None", "None", k_kindFloat, 0, 1, 0.5f, 0),
    };
    plan.storageless = {0, 1};
    auto* module = new FixtureModule(&engine, plan);
    engine.addModule(module);
    engine.init();
    // Without any storage pointer the module is told of every change.
    engine.paraMan->setValuePointer(engine.idOf(module, 4), nullptr);
    EXPECT_EQ(engine.paraMan->getValuePointer(engine.idOf(module, 4)), nullptr);
    module->storage[4] = -1.0f;

    const struct {
        const char* name;
        uint32_t local;
        bool told;
    } cases[] = {
        {"no storage, no flag", 0, false},
        {"no storage, flag 0x80", 1, true},
        {"storage, no flag", 2, false},
        {"storage, flag 0x80", 3, true},
        {"storage pointer taken away", 4, true},
    };
    for (bool running : {false, true}) {
        if (running)
            engine.runBlock();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (running ? ", running" : ", before the first block"));
            module->changes.clear();
            const int32_t id = engine.idOf(module, c.local);
            const float value = running ? 0.75f : 0.25f;
            engine.set(id, value);
            engine.runBlock();
            std::vector<std::pair<uint32_t, float>> told;
            if (c.told)
                told.emplace_back(c.local, value);
            EXPECT_EQ(module->changes, told);
            EXPECT_EQ(engine.paraMan->getValue(id, false), value);
            EXPECT_EQ(engine.paraMan->getCurrentValue(id), value);
            EXPECT_EQ(engine.ctx()->parameterValues[id], value);
        }
    }
    EXPECT_EQ(module->storage[4], -1.0f);
}

TEST(SetParam, ABroadcastingParameterRefreshesItsModulesRoutine)
{
    StandardEngine t;
    t.engine.runBlock();
    t.osc->alternateRoutine = true;
    t.engine.set(t.id(kBroadcast), 1.0f);
    t.engine.runBlock(); // applied before OSC runs; OSC's record takes the new routine
    EXPECT_EQ(t.osc->alternateCalls, 1);
}

TEST(SetParam, AWrapAroundRampTakesTheShortWay)
{
    StandardEngine t;
    const int32_t id = t.id(kTurn);
    t.engine.set(id, 170.0f);
    t.engine.runBlock();
    t.engine.set(id, -170.0f);
    std::vector<float> path;
    for (int i = 0; i < 50; ++i) {
        t.engine.runBlock();
        path.push_back(t.osc->storage[kTurn]);
    }
    EXPECT_NEAR(path[0], 170.4f, 1e-3f);
    EXPECT_NEAR(std::fabs(path[24]), 180.0f, 1e-2f); // the seam of the range
    EXPECT_NEAR(path[26], -179.2f, 1e-2f);
    for (float v : path)
        EXPECT_TRUE(v >= 170.0f - 1e-3f || v <= -170.0f + 1e-3f) << v;
    EXPECT_EQ(path.back(), -170.0f);
}

TEST(SetParam, LoadingAndAQueueSwitchedOffMakeChangesWholeUntilTheNextBlock)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const int32_t id = t.id(kCutoff);
    t.engine.runBlock();

    man.setLoading(true);
    t.engine.set(id, 90.0f);
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], 90.0f);
    man.setLoading(false);

    man.switchQueueOff();
    t.engine.set(id, 10.0f);
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], 10.0f);

    t.engine.set(id, 20.0f); // the queue is on again
    t.engine.runBlock();
    EXPECT_EQ(t.osc->storage[kCutoff], 10.2f);
}

TEST(SetParam, EmptyingTheQueueEndsEveryRampAtItsTarget)
{
    testsupport::TraceCapture trace;
    ManyRamps m;
    m.engine.set(m.engine.idOf(m.module, 0), 100.0f);
    m.engine.set(m.engine.idOf(m.module, 1), 50.0f);
    m.engine.runBlock();
    m.engine.paraMan->emptyChangeQueue();
    m.engine.set(m.engine.idOf(m.module, 1), 40.0f, true);
    m.engine.runBlock();
    EXPECT_EQ(m.module->storage[0], 100.0f);
    EXPECT_EQ(m.module->storage[1], 40.0f);
    EXPECT_FALSE(trace.contains("already queued")); // nothing was left running
    m.engine.runBlock();
    EXPECT_EQ(m.module->storage[0], 100.0f);
}

TEST(GetValue, ChecksItsIndexAndMapsPublishedNumbers)
{
    testsupport::TraceCapture trace;
    StandardEngine t;
    AM_ParaMan& man = t.man();
    EXPECT_EQ(man.getValue(-1, false), 0.0f);
    EXPECT_EQ(man.getValue(man.getJointParameterCount(), false), 0.0f);
    EXPECT_EQ(man.getValue(man.getPublishedCount(), true), 0.0f);
    EXPECT_EQ(trace.count("AM_ParaMan::getValue"), 3);
    const int32_t published = man.getParameterInfo(t.id(kWave))->publishedIndex;
    ASSERT_GE(published, 0);
    EXPECT_EQ(man.getValue(published, true), 1.0f);
    EXPECT_EQ(man.getValuePointer(-1), nullptr);
}

TEST(ParaManProcess, AllocatesNothing)
{
    StandardEngine t;
    t.engine.runBlock();
    for (int i = 0; i < 3; ++i) {
        t.engine.set(t.id(kCutoff), 10.0f * static_cast<float>(i));
        t.engine.set(t.id(kNotify), static_cast<float>(i));
        t.engine.set(t.id(kSource), static_cast<float>(i));
        t.engine.set(t.id(kBroadcast), static_cast<float>(i % 2));
        testsupport::AllocationCounter counter;
        for (int block = 0; block < 5; ++block)
            t.engine.runBlock();
        EXPECT_EQ(counter.count(), 0u);
    }
}

} // namespace
