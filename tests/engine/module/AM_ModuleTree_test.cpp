// A module tree initialised the way the audio manager does it: numbering,
// memory of the tree inside the engine block, copies, receiver chains.

#include "FixtureModule.h"
#include "TestEngine.h"
#include "TraceCapture.h"
#include "engine/module/AM_CircuitObject.h"
#include "params/object/AM_Messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using testfixture::EngineOptions;
using testfixture::FixtureModule;
using testfixture::ModulePlan;
using testfixture::TestEngine;

ModulePlan plan(const char* name, uint32_t voiceBytes, uint32_t globalBytes, uint32_t flags,
                uint32_t sources, uint32_t rows)
{
    ModulePlan s;
    s.name = name;
    s.voiceBytes = voiceBytes;
    s.globalBytes = globalBytes;
    s.flags = flags;
    s.sources = sources;
    s.rows = rows;
    return s;
}

// main > [A, V (4 copies of its children) > [B, C (2 voices)], D]
struct TreeEngine {
    TreeEngine()
    {
        a = new FixtureModule(&engine, plan("A: Alpha", 20, 8, k_classMidiReceiver, 2, 2));
        v = new AM_CircuitObject(&engine, "V: Voices", 2, 2);
        v->setChildCopies(4);
        v->setGroup(1);
        b = new FixtureModule(&engine, plan("B: Beta", 40, 12, k_classVoiceEventReceiver, 1, 1));
        c = new FixtureModule(&engine, plan("C: Gamma", 24, 0,
                                            k_classMidiReceiver | k_classVoiceEventReceiver, 0, 0));
        c->setVoiceCount(2);
        d = new FixtureModule(&engine, plan("D: Delta", 0, 100, 0, 0, 0));
        v->addChild(b);
        v->addChild(c);
        engine.addModule(a);
        engine.addModule(v);
        engine.addModule(d);
        engine.init();
    }
    TestEngine engine;
    FixtureModule* a;
    AM_CircuitObject* v;
    FixtureModule* b;
    FixtureModule* c;
    FixtureModule* d;
};

TEST(ModuleTree, NumbersRowsSourcesCircuitsAndModulesInHostOrder)
{
    TreeEngine t;
    AM_AudioObject* main = t.engine.mainCircuit();
    struct Case {
        AM_AudioObject* module;
        uint32_t moduleIndex;
        uint32_t firstRow;
        uint32_t firstSource;
        int32_t circuitIndex;
    };
    const Case cases[] = {
        {main, 0, 1, 1, 0},   {t.a, 1, 5, 5, -1}, {t.v, 2, 7, 7, 1},
        {t.b, 3, 11, 11, -1}, {t.c, 4, 0, 0, -1}, {t.d, 5, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module->getName());
        EXPECT_EQ(c.module->getModuleIndex(), c.moduleIndex);
        EXPECT_EQ(c.module->getFirstControlRow(), c.firstRow);
        EXPECT_EQ(c.module->getFirstModSourceIndex(), c.firstSource);
        EXPECT_EQ(c.module->getCircuitIndex(), c.circuitIndex);
        EXPECT_EQ(t.engine.ctx()->moduleTable[c.moduleIndex], c.module);
    }
    EXPECT_EQ(t.engine.ctx()->controlRowCount, 12u);
    EXPECT_EQ(t.engine.getModulationSourceCount(), 12u);
    EXPECT_EQ(t.engine.ctx()->moduleCount, 6u);
    EXPECT_EQ(t.engine.repliedModules(), 6);
    EXPECT_EQ(t.engine.ctx()->indexedModuleIndices[0], 0u);
    EXPECT_EQ(t.engine.ctx()->indexedModuleIndices[1], 2u);

    const auto& records = t.engine.records();
    EXPECT_STREQ(records[3].shortName, "B");
    EXPECT_STREQ(records[3].longName, "Beta");
    EXPECT_EQ(records[3].moduleIndex, 3u);
    EXPECT_EQ(records[3].group, 1); // handed down by V
    EXPECT_EQ(records[1].group, -1);
}

TEST(ModuleTree, ReceiverChainsFollowThePreOrderOfTheTree)
{
    TreeEngine t;
    std::vector<AM_AudioObject*> midi;
    for (AM_AudioObject* m = t.engine.midiChain(); m; m = m->getNextMidiReceiver())
        midi.push_back(m);
    EXPECT_EQ(midi, (std::vector<AM_AudioObject*>{t.engine.mainCircuit(), t.a, t.v, t.c}));
    std::vector<AM_AudioObject*> voices;
    for (AM_AudioObject* m = t.engine.voiceEventChain(); m; m = m->getNextVoiceEventReceiver())
        voices.push_back(m);
    EXPECT_EQ(voices, (std::vector<AM_AudioObject*>{t.b, t.c}));

    t.engine.midiChain()->dispatchMidiEvent(0, 60, 1.0f, 0.0f, 0);
    EXPECT_EQ(t.a->midiCount, 1);
    EXPECT_EQ(t.c->midiCount, 1);
    EXPECT_EQ(t.b->midiCount, 0);
}

TEST(ModuleTree, MemoryTotalsFollowTheSizeRule)
{
    TreeEngine t;
    // Voice: main 56 -> 64; A 20 -> 32; V 56 -> 64 plus 4 copies of the
    // chain B (40 -> 48) and C (24 -> 32, two voices); D none.
    EXPECT_EQ(t.engine.voiceBytes(), 64u + 32u + 64u + 4u * (48u + 2u * 32u));
    // Global: main 96 + 3 records x 52 = 252 -> 256; A 8 -> 16; V 96 + 2 x
    // 52 = 200 -> 208; B 12 -> 16; C 0; D 100 -> 112.
    EXPECT_EQ(t.engine.globalBytes(), 256u + 16u + 208u + 16u + 0u + 112u);
    EXPECT_EQ(t.b->getCopyCount(), 4u);
    EXPECT_EQ(t.c->getCopyStride(), 48u + 2u * 32u);
}

TEST(ModuleTree, EveryPieceOfMemoryIsAlignedInsideTheBlockAndOwnedByOneModule)
{
    TreeEngine t;
    struct Piece {
        const uint8_t* start;
        size_t bytes;
        const char* owner;
    };
    std::vector<Piece> pieces;
    const uint8_t* voiceEnd = t.engine.moduleVoiceStart() + t.engine.voiceBytes();
    const uint8_t* globalEnd = t.engine.moduleGlobalStart() + t.engine.globalBytes();
    AM_AudioObject* const modules[] = {t.engine.mainCircuit(), t.a, t.v, t.b, t.c, t.d};
    for (AM_AudioObject* m : modules) {
        const size_t voice = m->getVoiceMemoryUnits() * 4u;
        for (uint32_t copy = 0; copy < m->getCopyCount() && voice > 0; ++copy) {
            const uint8_t* start =
                static_cast<const uint8_t*>(m->getVoiceMemory(0)) + copy * m->getCopyStride();
            pieces.push_back({start, voice, m->getName()});
            EXPECT_GE(start, t.engine.moduleVoiceStart()) << m->getName();
            EXPECT_LE(start + voice, voiceEnd) << m->getName();
        }
        const size_t global = m->getGlobalMemoryUnits() * 4u;
        if (global > 0) {
            const uint8_t* start = static_cast<const uint8_t*>(m->getGlobalMemory());
            pieces.push_back({start, global, m->getName()});
            EXPECT_GE(start, t.engine.moduleGlobalStart()) << m->getName();
            EXPECT_LE(start + global, globalEnd) << m->getName();
        }
    }
    EXPECT_LE(voiceEnd, t.engine.moduleGlobalStart());
    EXPECT_LE(globalEnd, t.engine.blockStart() + t.engine.blockBytes());
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& x, const Piece& y) { return x.start < y.start; });
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(pieces[i].start) % 16, 0u) << pieces[i].owner;
        EXPECT_EQ(pieces[i].bytes % 16, 0u) << pieces[i].owner;
        if (i > 0) {
            EXPECT_LE(pieces[i - 1].start + pieces[i - 1].bytes, pieces[i].start)
                << pieces[i - 1].owner << " overlaps " << pieces[i].owner;
        }
    }
}

TEST(ModuleTree, CopiesStartAsCopyZeroWasPrepared)
{
    TreeEngine t;
    for (FixtureModule* m : {t.b, t.c}) {
        SCOPED_TRACE(m->getName());
        EXPECT_EQ(m->prepareCount, 1);
        const size_t bytes = m->getVoiceMemoryUnits() * 4u;
        const auto* first = static_cast<const uint8_t*>(m->getVoiceMemory(0));
        uint32_t word = 0;
        std::memcpy(&word, first + bytes - 4, 4);
        EXPECT_EQ(word, m->signature());
        for (uint32_t copy = 1; copy < 4; ++copy)
            EXPECT_EQ(std::memcmp(first, first + copy * m->getCopyStride(), bytes), 0) << copy;
    }
    // C serves two voices of its own inside each copy.
    EXPECT_EQ(static_cast<uint8_t*>(t.c->getVoiceMemory(1)) -
                  static_cast<uint8_t*>(t.c->getVoiceMemory(0)),
              32);
}

TEST(ModuleTree, ChildRecordsPointAtEachChildsMemoryAndRoutine)
{
    TreeEngine t;
    AM_CircuitObject* main = t.engine.mainCircuit();
    ASSERT_EQ(main->getChildRecordCount(), 3);
    AM_AudioObject* const children[] = {t.a, t.v, t.d};
    for (int32_t i = 0; i < 3; ++i) {
        const AM_ChildRecord* r = main->getChildRecord(i);
        AM_AudioObject* expected = children[i];
        EXPECT_EQ(r->object, expected);
        EXPECT_EQ(r->globalMemory, expected->getGlobalMemory());
        EXPECT_EQ(r->flags, static_cast<uint32_t>(k_childRun | k_childCreated));
        EXPECT_EQ(r->inputRow, 0u);
    }
    const AM_ChildRecord* inner = t.v->getChildRecord(0);
    EXPECT_EQ(inner->object, t.b);
    EXPECT_EQ(inner->voiceMemory, t.b->getVoiceMemory(0));
    EXPECT_EQ(inner->inputRow, 2u); // V's bus row

    t.engine.runBlock();
    EXPECT_EQ(t.a->callCount, 1);
    EXPECT_EQ(t.b->callCount, 1);
    EXPECT_EQ(t.b->calls[0].voice, 2); // the voice byte of the main record
    EXPECT_LT(t.a->calls[0].sequence, t.b->calls[0].sequence);
    EXPECT_LT(t.c->calls[0].sequence, t.d->calls[0].sequence);
}

TEST(ModuleTree, ARefusedChildIsNeitherNumberedNorRegisteredNorDescribed)
{
    testsupport::TraceCapture trace;
    TestEngine engine(EngineOptions{2, 0, 2, 44100.0f});
    auto* fits = new FixtureModule(&engine, plan("F: Fits", 0, 0, 0, 1, 1));
    ModulePlan wide = plan("W: Wide", 16, 16, 0, 3, 3);
    wide.channels = 3;
    auto* refused = new FixtureModule(&engine, wide);
    EXPECT_TRUE(engine.addModule(fits));
    EXPECT_FALSE(engine.addModule(refused));
    EXPECT_TRUE(
        trace.contains("CIRCUIT ERROR: AudioObject W: Wide needs more Channels than available!\n"));
    engine.init();

    EXPECT_EQ(engine.host()->getCount(), 3); // the engine, main and F
    EXPECT_EQ(engine.getModuleCount(), 2);
    EXPECT_EQ(engine.mainCircuit()->getChildRecordCount(), 1);
    EXPECT_EQ(engine.getModulationSourceCount(), 1u + 4u + 1u);
    EXPECT_EQ(refused->getModuleIndex(), 0u);
    EXPECT_EQ(refused->getVoiceMemory(0), nullptr);
    delete refused;
}

TEST(ModuleTree, ResetTreeSkipsWhatDoesNotRun)
{
    TreeEngine t;
    for (FixtureModule* m : {t.a, t.b, t.c, t.d})
        EXPECT_EQ(m->resetCount, 1) << m->getName();
    // V no longer runs: its subtree is left alone.
    t.engine.mainCircuit()->getChildRecord(1)->flags &= ~static_cast<uint32_t>(k_childRun);
    t.engine.mainCircuit()->resetTree();
    EXPECT_EQ(t.a->resetCount, 2);
    EXPECT_EQ(t.b->resetCount, 1);
    EXPECT_EQ(t.c->resetCount, 1);
    EXPECT_EQ(t.d->resetCount, 2);
    EXPECT_EQ(t.a->lastResetRecord, nullptr);
}

TEST(ModuleTree, ModulesActiveByUsageFollowTheirUsageBit)
{
    TestEngine engine;
    // Rows 1-4 are main's; the module's first row is 5 (bit 4 of word 1).
    auto* m = new FixtureModule(&engine, plan("U: Usage", 0, 0, k_classActiveByUsage, 0, 1));
    engine.addModule(m);
    engine.init();
    ASSERT_EQ(m->getFirstControlRow(), 5u);
    engine.ctx()->usageWord1 = 0x3F800000u;
    EXPECT_FALSE(m->isActive(static_cast<int32_t>(m->getModuleIndex())));
    engine.ctx()->usageWord1 = 0x3F800000u | (1u << 4);
    EXPECT_TRUE(m->isActive(static_cast<int32_t>(m->getModuleIndex())));
    engine.mainCircuit()->getChildRecord(0)->flags = 0;
    EXPECT_FALSE(m->isActive(static_cast<int32_t>(m->getModuleIndex())));
}

} // namespace
