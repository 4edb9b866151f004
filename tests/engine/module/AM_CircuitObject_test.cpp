#include "engine/module/AM_CircuitObject.h"

#include "FixtureModule.h"
#include "TestEngine.h"
#include "TraceCapture.h"
#include "engine/module/AM_ModulationRecord.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ModSourceInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testfixture::EngineOptions;
using testfixture::FixtureModule;
using testfixture::ModulePlan;
using testfixture::TestEngine;

ModulePlan plan(const char* name, uint32_t flags = 0, uint32_t channels = 1)
{
    ModulePlan s;
    s.name = name;
    s.flags = flags;
    s.channels = channels;
    s.globalBytes = 16;
    s.voiceBytes = 16;
    return s;
}

void writeInt(void* address, int32_t value)
{
    std::memcpy(address, &value, sizeof(value));
}

float* controlRow(TestEngine& engine, uint32_t row)
{
    return engine.ctx()->controlRows + row * k_controlRowSteps;
}

TEST(AM_CircuitObject, ItsParameterRowsFollowBuiltInsRoutingSwitchesAndSync)
{
    static const char kRouting[3][k_valueNameBytes] = {"serial", "parallel", "split"};
    TestEngine engine;
    auto* kit = new AM_CircuitObject(&engine, "K: Kit", 4, 0);
    kit->enableCircuitRouting(3);
    kit->setRoutingNames(kRouting);
    kit->enableSyncTrigger();
    kit->addChild(new FixtureModule(&engine, plan("X: Plain")));
    kit->addChild(new FixtureModule(&engine, plan("VCA1: Amp", k_classSwitchable)));
    kit->addChild(new FixtureModule(&engine, plan("LONGNAME: Long", k_classSwitchable)));
    engine.addModule(kit);
    engine.init();

    struct Row {
        const char* shortName;
        const char* longName;
        uint32_t type;
        float min, max, def;
        uint32_t flags;
        uint32_t index;
    };
    const Row rows[] = {
        {"CcOp", "Output", k_kindFloat, 0, 200, 100, 0x7, 0},
        {"RnDm", "Random", k_kindFloat, 0, 100, 10, 0x403, 1},
        {"RnDmB", "Randomize", k_kindInteger, 0, 1, 0, 0x1480, 2},
        {"CrcR", "Circuit Routing", k_kindInteger, 0, 2, 0, 0x84, 3},
        {"#VCA1", "Active #VCA1", k_kindInteger, 0, 1, 1, 0x884, 1}, // record 1
        {"#LONGNA", "Active #LONGNA", k_kindInteger, 0, 1, 1, 0x884, 2},
        {"CiTr", "Sync Trigger", k_kindInteger, 0, 1, 1, 0x2104, 6},
    };
    ASSERT_EQ(kit->getParameterCount(false), 7);
    for (uint32_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        const AM_ParamInfo* info = kit->getParameterTemplate(i);
        ASSERT_NE(info, nullptr);
        EXPECT_STREQ(info->shortName, rows[i].shortName);
        EXPECT_STREQ(info->longName, rows[i].longName);
        EXPECT_EQ(info->type, rows[i].type);
        EXPECT_EQ(info->min, rows[i].min);
        EXPECT_EQ(info->max, rows[i].max);
        EXPECT_EQ(info->defaultValue, rows[i].def);
        EXPECT_EQ(info->flags, rows[i].flags);
        EXPECT_EQ(info->index, rows[i].index);
        EXPECT_NE(kit->getParameterAddress(i), nullptr);
    }
    EXPECT_EQ(kit->getParameterTemplate(7), nullptr);
    EXPECT_EQ(kit->getParameterAddress(7), nullptr);
    AM_ValueNames names = nullptr;
    EXPECT_EQ(kit->getValueStrings(3, &names), 3);
    EXPECT_STREQ(names[2], "split");
    EXPECT_EQ(kit->getValueStrings(0, &names), 0);

    AM_CircuitHeader* header = kit->getHeader();
    EXPECT_EQ(kit->getParameterAddress(0), &header->outputValue);
    EXPECT_EQ(kit->getParameterAddress(4), &header->switches[0].value);
    EXPECT_EQ(header->switches[1].recordNumber, 2u);

    EXPECT_EQ(kit->removeBuiltInParameters(), 3);
    EXPECT_STREQ(kit->getParameterTemplate(0)->shortName, "CrcR");
    EXPECT_EQ(kit->getParameterCount(false), 4);
}

TEST(AM_CircuitObject, OffersItsFourControllersAsSources)
{
    TestEngine engine;
    engine.init();
    AM_CircuitObject* main = engine.mainCircuit();
    const struct {
        uint32_t i;
        const char* name;
        uint32_t kind;
    } sources[] = {{0, "ModWhl", 0x60000},
                   {1, "PitchW", 0x50001},
                   {2, "Breath", 0x70000},
                   {3, "Xpress", 0x70000},
                   {4, "Main Loop Circuit 4", 0xa0000}};
    for (const auto& s : sources) {
        AM_ModSourceInfo info{};
        main->getModSourceInfo(s.i, &info);
        EXPECT_STREQ(info.name, s.name);
        EXPECT_EQ(info.flags, s.kind);
        EXPECT_EQ(info.span, 1u);
    }
}

TEST(AM_CircuitObject, MidiControllersSetTheirTargets)
{
    struct Case {
        int32_t kind;
        int32_t number;
        int32_t controller; // -1: none
    };
    const Case cases[] = {{3, 0, k_controllerModWheel},
                          {2, 0, k_controllerPitchWheel},
                          {1, 2, k_controllerBreath},
                          {1, 11, k_controllerExpression},
                          {1, 7, -1},
                          {0, 60, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << "/" << c.number);
        TestEngine engine;
        engine.init();
        AM_CircuitVoice* voice = engine.mainCircuit()->getCircuitVoice(0, 0);
        voice->increment[0] = voice->increment[1] = voice->increment[2] = voice->increment[3] = 9;
        engine.mainCircuit()->midiEvent(c.kind, c.number, 0.75f, 0.0f, 0);
        for (int32_t k = 0; k < k_circuitControllers; ++k) {
            EXPECT_EQ(voice->target[k], k == c.controller ? 0.75f : 0.0f) << k;
            EXPECT_EQ(voice->increment[k], k == c.controller ? 0.0f : 9.0f) << k;
        }
    }
}

TEST(AM_CircuitObject, AControllerJumpToOneArrivesWithinOneBlockAndThenItsRowIsLeftAlone)
{
    TestEngine engine;
    engine.init();
    AM_CircuitObject* main = engine.mainCircuit();
    const uint32_t row = main->getFirstControlRow() + k_controllerModWheel;
    main->midiEvent(3, 0, 1.0f, 0.0f, 0);
    engine.runBlock(4);
    for (int32_t s = 0; s < k_controlRowSteps; ++s)
        EXPECT_EQ(controlRow(engine, row)[s], 1.0f) << s;
    EXPECT_EQ(main->getCircuitVoice(0, 0)->increment[0], 0.0f);

    for (int32_t s = 0; s < k_controlRowSteps; ++s)
        controlRow(engine, row)[s] = -7.0f;
    engine.runBlock(4);
    for (int32_t s = 0; s < k_controlRowSteps; ++s)
        EXPECT_EQ(controlRow(engine, row)[s], -7.0f) << s;
}

TEST(AM_CircuitObject, ASmallControllerStepRampsAtTheSmoothingRateUntilItArrives)
{
    TestEngine engine;
    engine.init();
    AM_CircuitObject* main = engine.mainCircuit();
    const uint32_t row = main->getFirstControlRow() + k_controllerPitchWheel;
    const float target = 0.05f;
    main->midiEvent(2, 0, target, 0.0f, 0);

    const float time = (1.05f - target) * 0.5f;
    const float increment = target / (time * time) * (12.0f * engine.ctx()->samplePeriod);
    float current = 0.0f;
    engine.runBlock(2); // 8 control steps from step 0
    for (int32_t s = 0; s < 8; ++s) {
        current += increment;
        EXPECT_EQ(controlRow(engine, row)[s], current) << s;
    }
    EXPECT_EQ(controlRow(engine, row)[8], 0.0f);

    int blocks = 0;
    while (main->getCircuitVoice(0, 0)->current[k_controllerPitchWheel] != target && blocks < 500) {
        engine.runBlock(4);
        ++blocks;
    }
    const int expectedBlocks = static_cast<int>(std::ceil((target / increment - 8.0f) / 16.0f));
    EXPECT_NEAR(blocks, expectedBlocks, 1);
    EXPECT_EQ(controlRow(engine, row)[15], target);
}

// A (rows 5 and 6, storage[0] the modulation target) and D, which runs
// after A and can change the target during the block.
struct ModulationEngine {
    ModulationEngine()
    {
        ModulePlan sa = plan("A: Alpha");
        sa.rows = 2;
        a = new FixtureModule(&engine, sa);
        d = new FixtureModule(&engine, plan("D: Delta"));
        engine.addModule(a);
        engine.addModule(d);
        engine.init();
        AM_ProcessContext* ctx = engine.ctx();
        AM_ModulationRecord* m = ctx->modulationRecords;
        m[0] = AM_ModulationRecord{};
        m[0].source = 5;
        m[0].depth = 50.0f;
        m[0].scale = 0.02f;
        m[0].targetValue = &a->storage[0];
        m[0].minimum = -1.0f;
        m[0].maximum = 1.0f;
        m[1] = m[0];
        m[1].source = 6;
        m[1].depth = -25.0f;
        m[1].viaSource = 5;
        m[1].viaDepth = 40.0f;
        ctx->applyCounts[0] = 2;
        ctx->applyLists[0] = 0;
        ctx->applyLists[1] = 1;
        ctx->restoreCounts[0] = 2;
        ctx->restoreLists[0] = 0;
        ctx->restoreLists[1] = 1;
        for (int32_t s = 0; s < k_controlRowSteps; ++s) {
            controlRow(engine, 5)[s] = 9.0f;
            controlRow(engine, 6)[s] = 9.0f;
        }
        a->readTarget = &a->storage[0];
    }
    TestEngine engine{EngineOptions{10, 2, 2, 44100.0f}};
    FixtureModule* a;
    FixtureModule* d;
};

TEST(AM_CircuitObject, TwoModulationsOfOneTargetAreAppliedInOrderAndRestoredExactly)
{
    const struct {
        const char* name;
        float plain;
        float first; // the value after the first record, before clamping
    } cases[] = {{"inside the range", 0.1f, 0.1f + 0.5f * 50.0f * 0.02f},
                 {"clamped at the maximum", 0.25f, 0.25f + 0.5f * 50.0f * 0.02f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModulationEngine t;
        // The last control step of a 4-unit block is step 15.
        controlRow(t.engine, 5)[15] = 0.5f;
        controlRow(t.engine, 6)[15] = -0.8f;
        t.a->storage[0] = c.plain;
        const float a = 40.0f * 0.01f;
        float second = c.first + (-0.8f) * (-25.0f) * 0.02f * (a * 0.5f + 1.0f - a);
        second = std::fmin(std::fmax(second, -1.0f), 1.0f);
        t.engine.runBlock(4);
        EXPECT_EQ(t.a->readValue, second);
        EXPECT_EQ(t.a->storage[0], c.plain);
        EXPECT_EQ(t.engine.ctx()->modulationRecords[0].applied, 0u);
        EXPECT_EQ(t.engine.ctx()->modulationRecords[1].applied, 0u);
    }
}

TEST(AM_CircuitObject, ModulationReadsTheLastControlStepOfTheStretch)
{
    ModulationEngine t;
    t.engine.ctx()->applyCounts[0] = 1;
    t.engine.ctx()->restoreCounts[0] = 1;
    controlRow(t.engine, 5)[7] = 0.25f; // last step of a 2-unit block
    t.a->storage[0] = 0.0f;
    t.engine.runBlock(2);
    EXPECT_EQ(t.a->readValue, 0.25f * 50.0f * 0.02f);
}

TEST(AM_CircuitObject, AChangeMadeDuringTheBlockSurvivesTheRestore)
{
    ModulationEngine t;
    controlRow(t.engine, 5)[15] = 0.5f;
    controlRow(t.engine, 6)[15] = 0.1f;
    t.a->storage[0] = 0.2f;
    t.d->writeTarget = &t.a->storage[0];
    t.d->writeValue = 0.6f;
    t.engine.runBlock(4);
    EXPECT_EQ(t.a->storage[0], 0.6f);
    EXPECT_EQ(t.engine.ctx()->modulationRecords[0].applied, 0u);
}

// Main with a plain child X (record 0), a switchable child S that writes
// 1.0 to its two output rows (record 1) and T that S names as dependent
// (record 2).
struct SwitchEngine {
    SwitchEngine()
    {
        x = new FixtureModule(&engine, plan("X: Plain"));
        s = new FixtureModule(&engine, plan("S: Switched", k_classSwitchable, 2));
        t = new FixtureModule(&engine, plan("T: Follower"));
        s->writeOutput = true;
        s->dependents.push_back(t);
        engine.addModule(x);
        engine.addModule(s);
        engine.addModule(t);
        engine.init();
    }
    void setSwitch(int32_t on)
    {
        AM_CircuitObject* main = engine.mainCircuit();
        uint32_t local = 3; // the first row after the built-ins
        writeInt(main->getParameterAddress(local), on);
        float value = static_cast<float>(on);
        main->parameterChanged(&local, &value, nullptr);
    }
    // One block with the bus rows of S zeroed first; returns the 64 samples
    // of output row 0.
    std::vector<float> block()
    {
        std::memset(engine.ctx()->busBuffer, 0, 2 * k_rowSamples * sizeof(float));
        engine.runBlock(4);
        return std::vector<float>(engine.ctx()->busBuffer, engine.ctx()->busBuffer + k_rowSamples);
    }
    AM_ChildRecord* record() { return engine.mainCircuit()->getChildRecord(1); }
    TestEngine engine;
    FixtureModule* x;
    FixtureModule* s;
    FixtureModule* t;
};

std::vector<float> expectedGains(uint32_t from, uint32_t to, bool on)
{
    float g = static_cast<float>(from) / 511.0f;
    float end = static_cast<float>(to) / 511.0f;
    if (on) {
        g = 1.0f - g;
        end = 1.0f - end;
    }
    const float step = (end - g) * (1.0f / 64.0f);
    std::vector<float> gains;
    for (int n = 0; n < 64; ++n) {
        gains.push_back(g);
        g += step;
    }
    return gains;
}

TEST(AM_CircuitObject, ASwitchedOffChildFadesOutOver511UnitsAndThenStops)
{
    SwitchEngine e;
    e.setSwitch(0);
    EXPECT_EQ(e.record()->flags & k_childRun, 0u);
    EXPECT_EQ(e.record()->fadeCountdown(), 511u);

    EXPECT_EQ(e.block(), expectedGains(511, 507, false));
    EXPECT_EQ(e.record()->fadeCountdown(), 507u);
    int blocks = 1;
    while (e.record()->fadeCountdown() != 0 && blocks < 1000) {
        e.block();
        ++blocks;
    }
    EXPECT_EQ(blocks, 128); // 511 units of 16 samples, 4 units a block
    EXPECT_EQ(e.s->callCount, 128);
    EXPECT_EQ(e.block(), std::vector<float>(64, 0.0f));
    EXPECT_EQ(e.s->callCount, 128);
    EXPECT_EQ(e.x->callCount, 129);
}

TEST(AM_CircuitObject, ASwitchedOnChildIsResetAndFadesIn)
{
    SwitchEngine e;
    e.setSwitch(0);
    for (int i = 0; i < 128; ++i)
        e.block();
    const int resets = e.s->resetCount;
    e.setSwitch(1);
    EXPECT_EQ(e.s->resetCount, resets + 1);
    EXPECT_EQ(e.s->lastResetRecord, e.record());
    EXPECT_EQ(e.record()->fadeCountdown(), 511u);
    EXPECT_EQ(e.block(), expectedGains(511, 507, true));
}

TEST(AM_CircuitObject, AFadeThatTurnsAroundStartsFromWhereItStood)
{
    SwitchEngine e;
    e.setSwitch(0);
    for (int i = 0; i < 25; ++i)
        e.block();
    EXPECT_EQ(e.record()->fadeCountdown(), 411u);
    e.setSwitch(1);
    EXPECT_EQ(e.record()->fadeCountdown(), 100u);
    EXPECT_EQ(e.block(), expectedGains(100, 96, true));
    e.setSwitch(1); // no change: nothing happens
    EXPECT_EQ(e.record()->fadeCountdown(), 96u);
}

TEST(AM_CircuitObject, DependentModulesFollowTheSwitchWithoutReset)
{
    SwitchEngine e;
    AM_ChildRecord* follower = e.engine.mainCircuit()->getChildRecord(2);
    const int resets = e.t->resetCount;
    e.setSwitch(0);
    EXPECT_EQ(follower->flags & k_childRun, 0u);
    EXPECT_EQ(follower->fadeCountdown(), 511u);
    e.setSwitch(1);
    EXPECT_EQ(follower->flags & k_childRun, static_cast<uint32_t>(k_childRun));
    EXPECT_EQ(e.t->resetCount, resets);
    EXPECT_EQ(e.engine.mainCircuit()->getChildRecord(0)->flags & k_childRun,
              static_cast<uint32_t>(k_childRun));
}

TEST(AM_CircuitObject, AnswersForItselfAndForTheRunBitsOfItsChildren)
{
    TestEngine engine;
    auto* kit = new AM_CircuitObject(&engine, "K: Kit", 4, 0);
    auto* inner = new FixtureModule(&engine, plan("I: Inner"));
    kit->addChild(inner);
    engine.addModule(kit);
    engine.init();
    const auto index = [](AM_AudioObject* m) { return static_cast<int32_t>(m->getModuleIndex()); };
    EXPECT_TRUE(kit->isActive(index(kit)));
    EXPECT_TRUE(kit->isActive(0));
    EXPECT_TRUE(inner->isActive(index(inner)));
    EXPECT_FALSE(kit->isActive(999));

    kit->getChildRecord(0)->flags &= ~static_cast<uint32_t>(k_childRun);
    EXPECT_FALSE(inner->isActive(index(inner)));
    engine.mainCircuit()->getChildRecord(0)->flags &= ~static_cast<uint32_t>(k_childRun);
    EXPECT_FALSE(kit->isActive(index(kit)));
}

class ProbedCircuit : public AM_CircuitObject {
public:
    using AM_CircuitObject::AM_CircuitObject;
    void probe(const char* tag) override { tags.emplace_back(tag); }
    std::vector<std::string> tags;
};

TEST(AM_CircuitObject, AProbedCircuitCallsItsProbeAroundEveryBlock)
{
    TestEngine engine;
    auto* kit = new ProbedCircuit(&engine, "K: Kit", 4, 0);
    kit->setProcessMode(0);
    auto* inner = new FixtureModule(&engine, plan("I: Inner"));
    kit->addChild(inner);
    engine.addModule(kit);
    engine.init();
    engine.runBlock(4);
    engine.runBlock(4);
    EXPECT_EQ(kit->tags, (std::vector<std::string>{"in", "out", "in", "out"}));
    EXPECT_EQ(inner->callCount, 2);
}

TEST(AM_CircuitObject, AParameterChangeMessageFetchesTheModulesRoutineAgain)
{
    TestEngine engine;
    auto* x = new FixtureModule(&engine, plan("X: Plain"));
    auto* y = new FixtureModule(&engine, plan("Y: Other"));
    engine.addModule(x);
    engine.addModule(y);
    engine.init();
    x->alternateRoutine = true;
    y->alternateRoutine = true;
    engine.sendMessage(0, k_msgParameterChanged, x->getModuleIndex(), x->getGlobalMemory());
    engine.runBlock(4);
    EXPECT_EQ(x->alternateCalls, 1);
    EXPECT_EQ(x->callCount, 0);
    EXPECT_EQ(y->callCount, 1);
}

class Listener : public AM_Object {
public:
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == k_msgCircuitSignal)
            args.push_back(arg);
        AM_Object::receiveMessage(sender, message, arg, ptr);
    }
    std::vector<uint32_t> args;
};

TEST(AM_CircuitObject, EchoesSignal34WithArgument69)
{
    TestEngine engine;
    engine.init();
    Listener listener;
    listener.setHost(engine.host());
    listener.sendMessage(0, k_msgCircuitSignal, 1, nullptr);
    EXPECT_EQ(listener.args, (std::vector<uint32_t>{69}));
    listener.setHost(nullptr);
}

TEST(AM_CircuitObject, ABuilderSetsItsOwnRunOrderAndRows)
{
    testsupport::TraceCapture trace;
    TestEngine engine;
    auto* kit = new AM_CircuitObject(&engine, "K: Kit", 8, 0);
    auto* p = new FixtureModule(&engine, plan("P: First"));
    auto* q = new FixtureModule(&engine, plan("Q: Second"));
    auto* r = new FixtureModule(&engine, plan("R: Third"));
    kit->addChild(p);
    kit->addChild(q);
    kit->addChild(r);
    engine.addModule(kit);
    engine.init();

    EXPECT_EQ(kit->setRunCount(0)->runCount, 0);
    kit->setModule("R: Third", 5, 6);
    kit->setModule("P: First", 1, 1);
    kit->setModule("Nope", 0, 0);
    EXPECT_TRUE(trace.contains("AM_CircuitObject::setModule( 'Nope' ) failed\n"));
    engine.runBlock(4);
    EXPECT_EQ(q->callCount, 0);
    ASSERT_EQ(p->callCount, 1);
    ASSERT_EQ(r->callCount, 1);
    EXPECT_LT(r->calls[0].sequence, p->calls[0].sequence);
    EXPECT_EQ(r->calls[0].record->inputRow, 5u);
    EXPECT_EQ(r->calls[0].record->outputRow, 6u);

    kit->setModule("Q: Second", 0, 0);
    kit->setModule("Q: Second", 0, 0); // the run list holds three entries
    EXPECT_EQ(trace.count("AM_CircuitObject::setModule( 'Q: Second' ) failed\n"), 1);
    EXPECT_EQ(kit->setRunCount(99)->runCount, 3);
}

TEST(AM_CircuitObject, ChannelSharingGivesAPolyphonicChildOneRecordPerCopy)
{
    TestEngine engine;
    auto* kit = new AM_CircuitObject(&engine, "K: Kit", 6, 0);
    kit->setChannelSharing(true);
    auto* poly = new FixtureModule(&engine, plan("P: Poly", k_classPolyByCopies, 2));
    auto* mono = new FixtureModule(&engine, plan("M: Mono", 0, 1));
    EXPECT_EQ(kit->addChild(poly), 3);
    EXPECT_EQ(kit->addChild(mono), 1);
    engine.addModule(kit);
    engine.init();

    ASSERT_EQ(kit->getChildRecordCount(), 4);
    EXPECT_EQ(poly->getVoiceCount(), 3u);
    for (int32_t i = 0; i < 3; ++i) {
        const AM_ChildRecord* r = kit->getChildRecord(i);
        EXPECT_EQ(r->object, poly);
        EXPECT_EQ(r->inputRow, 2 * i);
        EXPECT_EQ(r->outputRow, 2 * i);
        EXPECT_EQ(r->voiceMemory, poly->getVoiceMemory(static_cast<uint32_t>(i)));
    }
    EXPECT_EQ(kit->getChildRecord(3)->object, mono);
    EXPECT_EQ(kit->getChildRecord(3)->inputRow, 0u);
    engine.runBlock(4);
    EXPECT_EQ(poly->callCount, 3);
}

TEST(AM_CircuitObject, ItsOwnParameterChangesRandomizeRouteOrComplain)
{
    testsupport::TraceCapture trace;
    TestEngine engine;
    auto* kit = new AM_CircuitObject(&engine, "K: Kit", 4, 0);
    kit->enableCircuitRouting(2);
    auto* child = new FixtureModule(&engine, plan("C: Child"));
    kit->addChild(child);
    engine.addModule(kit);
    engine.init();
    AM_CircuitHeader* header = kit->getHeader();

    uint32_t local = 2;
    header->randomValue = 30.0f;
    header->randomizeValue = 0;
    kit->parameterChanged(&local, nullptr, nullptr);
    EXPECT_EQ(child->randomizeCount, 0);
    header->randomizeValue = 1;
    kit->parameterChanged(&local, nullptr, nullptr);
    EXPECT_TRUE(trace.contains("randomizing...\n"));
    EXPECT_EQ(child->randomizeCount, 1);
    EXPECT_EQ(child->lastRandomizeAmount, 30.0f);

    local = 3;
    header->routingValue = 1;
    kit->parameterChanged(&local, nullptr, nullptr);
    ASSERT_EQ(engine.routingCalls.size(), 1u);
    EXPECT_EQ(engine.routingCalls[0].first, kit);
    EXPECT_EQ(engine.routingCalls[0].second, 1.0f);

    local = 4;
    kit->parameterChanged(&local, nullptr, nullptr);
    EXPECT_TRUE(
        trace.contains("FATAL ERROR: AM_CircuitObject got bypass info for non-existing Module\n"));
}

} // namespace
