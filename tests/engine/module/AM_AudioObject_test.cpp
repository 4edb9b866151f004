#include "engine/module/AM_AudioObject.h"

#include "FixtureModule.h"
#include "TestEngine.h"
#include "TraceCapture.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_Random.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ModSourceInfo.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <memory>
#include <string>

namespace {

using testfixture::FixtureModule;
using testfixture::makeParam;
using testfixture::ModulePlan;

// A module with nothing of its own.
class Plain : public AM_AudioObject {
public:
    explicit Plain(const char* name) : AM_AudioObject(nullptr, name) {}
    uint32_t getVoiceMemorySize() override { return 0; }
    uint32_t getGlobalMemorySize() override { return 0; }
};

ModulePlan plan(const char* name)
{
    ModulePlan s;
    s.name = name;
    return s;
}

TEST(AM_AudioObject, SplitsItsNameIntoShortAndLongName)
{
    struct Case {
        const char* name;
        const char* full; // kept in 32 bytes
        const char* shortName;
        const char* longName;   // as getLongName gives it
        const char* recordLong; // as the module record holds it (23 characters at most)
    };
    const Case cases[] = {
        {"VCA1: VoiceMix1", "VCA1: VoiceMix1", "VCA1", "VoiceMix1", "VoiceMix1"},
        {"NoColonHere", "NoColonHere", "NoColon", "NoColonHere", "NoColonHere"},
        {"AB:CD", "AB:CD", "AB", "CD", "CD"},
        {nullptr, "untitled", "untitle", "untitled", "untitled"},
        {"LONGSHORT: A long name that runs past the field", "LONGSHORT: A long name that run",
         "LONGSHO", "A long name that run", "A long name that run"},
        {"X: An even longer name for the record", "X: An even longer name for the ", "X",
         "An even longer name for the ", "An even longer name for"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.full);
        Plain object(c.name);
        EXPECT_STREQ(object.getName(), c.full);
        EXPECT_STREQ(object.getShortName(), c.shortName);
        EXPECT_STREQ(object.getLongName(), c.longName);

        AM_ModuleRecord records[1];
        std::memset(records, 0x55, sizeof(records));
        object.receiveMessage(nullptr, k_msgDescribeModule, 0, records);
        EXPECT_STREQ(records[0].shortName, c.shortName);
        EXPECT_STREQ(records[0].longName, c.recordLong);
        EXPECT_EQ(records[0].moduleIndex, 0u);
        EXPECT_EQ(records[0].group, -1);
    }
}

TEST(AM_AudioObject, NamesItsModulationSourcesByTheLongName)
{
    struct Case {
        const char* name;
        uint32_t sources;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"LFO1: LFO1", 1, "LFO1", nullptr},
        {"ENV: Envelope", 3, "Envelope 0", "Envelope 1"},
        {"Z: A name of exactly 28 chars", 2, "A name of exactly 28 ch", "A name of exactly 28 ch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModulePlan s = plan(c.name);
        s.sources = c.sources;
        FixtureModule module(nullptr, s);
        AM_ModSourceInfo list[8];
        std::memset(list, 0x55, sizeof(list));
        int32_t counter = 1;
        module.receiveMessage(nullptr, k_msgCountModSources, 0, &counter);
        EXPECT_EQ(counter, 1 + static_cast<int32_t>(c.sources));
        module.receiveMessage(nullptr, k_msgDescribeModSources, 1, list);
        EXPECT_STREQ(list[1].name, c.first);
        EXPECT_EQ(list[1].flags, 0xa0000u);
        EXPECT_EQ(list[1].span, 1u);
        if (c.second) {
            EXPECT_STREQ(list[2].name, c.second);
        }
        // Nothing written before the module's own entries.
        EXPECT_EQ(list[0].span, 0x55555555u);
    }
}

TEST(AM_AudioObject, CountersAreTakenOnlyByModulesThatHaveSomethingToCount)
{
    ModulePlan withRows = plan("R: Rows");
    withRows.rows = 3;
    FixtureModule rows(nullptr, withRows);
    FixtureModule none(nullptr, plan("N: None"));
    int32_t counter = 5;
    none.receiveMessage(nullptr, k_msgCountControlRows, 0, &counter);
    rows.receiveMessage(nullptr, k_msgCountControlRows, 0, &counter);
    EXPECT_EQ(counter, 8);
    EXPECT_EQ(rows.getFirstControlRow(), 5u);
    EXPECT_EQ(none.getFirstControlRow(), 0u);

    int32_t circuits = 0;
    rows.receiveMessage(nullptr, k_msgAssignCircuitIndex, 0, &circuits);
    EXPECT_EQ(circuits, 0); // no circuit flag
    EXPECT_EQ(rows.getCircuitIndex(), -1);
}

TEST(AM_AudioObject, LabelsAreBoundedCopies)
{
    FixtureModule module(nullptr, plan("L: Label"));
    const std::string longText(300, 'q');
    module.receiveMessage(nullptr, k_msgSetLabel, 0, const_cast<char*>(longText.c_str()));
    module.receiveMessage(nullptr, k_msgSetSecondLabel, 0, const_cast<char*>("second"));
    ASSERT_NE(module.getLabel(), nullptr);
    EXPECT_EQ(std::strlen(module.getLabel()), static_cast<size_t>(k_labelBytes - 1));
    EXPECT_STREQ(module.getSecondLabel(), "second");
    module.receiveMessage(nullptr, k_msgSetLabel, 0, const_cast<char*>("short"));
    EXPECT_STREQ(module.getLabel(), "short");
}

// A small tree without an engine: R(2) > [C1(1) > [G(3)], C2(0), C3(2)].
struct Tree {
    Tree()
    {
        auto make = [](const char* name, int params) {
            ModulePlan s = plan(name);
            for (int i = 0; i < params; ++i)
                s.params.push_back(makeParam("P", "Param", k_kindFloat, 0, 1, 0, 0));
            return new FixtureModule(nullptr, s);
        };
        root.reset(make("R: Root", 2));
        c1 = make("C1: One", 1);
        g = make("G: Grandchild", 3);
        c2 = make("C2: Two", 0);
        c3 = make("C3: Three", 2);
        root->addChild(c1);
        c1->addChild(g);
        root->addChild(c2);
        root->addChild(c3);
        int32_t index = 10;
        AM_AudioObject* const all[] = {root.get(), c1, g, c2, c3};
        for (AM_AudioObject* m : all)
            m->receiveMessage(nullptr, k_msgAssignIndex, 0, &index);
    }
    std::unique_ptr<FixtureModule> root;
    FixtureModule* c1;
    FixtureModule* g;
    FixtureModule* c2;
    FixtureModule* c3;
};

TEST(AM_AudioObject, TreeWideParameterIndicesRunSelfChildrenSiblings)
{
    Tree tree;
    EXPECT_EQ(tree.root->getParameterCount(true), 8);
    EXPECT_EQ(tree.root->getParameterCount(false), 2);
    // Global order: R0 R1 C1.0 G0 G1 G2 C3.0 C3.1
    const struct {
        int32_t index;
        FixtureModule* module;
        uint32_t local;
    } expected[] = {{0, tree.root.get(), 0}, {1, tree.root.get(), 1}, {2, tree.c1, 0},
                    {3, tree.g, 0},          {5, tree.g, 2},          {6, tree.c3, 0},
                    {7, tree.c3, 1}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.index);
        AM_ParamInfo info{};
        EXPECT_EQ(tree.root->getParameterDescriptorAt(e.index, &info),
                  static_cast<int32_t>(e.module->getModuleIndex()));
        EXPECT_EQ(info.localNumber, e.local);
        EXPECT_EQ(tree.root->getParameterAddressAt(e.index), &e.module->storage[e.local]);
    }
    AM_ParamInfo info{};
    EXPECT_EQ(tree.root->getParameterDescriptorAt(8, &info), -1);
    EXPECT_EQ(tree.root->getParameterAddressAt(-1), nullptr);
    EXPECT_EQ(tree.root->getParameterAddressAt(8), nullptr);
    EXPECT_EQ(tree.root->getParameterTemplateAt(-1), nullptr);
}

TEST(AM_AudioObject, FindsModulesByNameAndIndexInItsSubtree)
{
    Tree tree;
    EXPECT_EQ(tree.root->findByName("G: Grandchild"), tree.g);
    EXPECT_EQ(tree.root->findByName("C3: Three"), tree.c3);
    EXPECT_EQ(tree.root->findByName("G"), nullptr);
    EXPECT_EQ(tree.c1->findByName("R: Root"), nullptr);
    EXPECT_EQ(tree.root->findByModuleIndex(tree.c2->getModuleIndex()), tree.c2);
    EXPECT_EQ(tree.root->findByModuleIndex(999), nullptr);
    EXPECT_EQ(tree.c3->getParent(), tree.root.get());
    EXPECT_EQ(tree.c3->getPreviousSibling(), tree.c2);
}

TEST(AM_AudioObject, ChildrenTakeTheParentsGroup)
{
    FixtureModule parent(nullptr, plan("P: Parent"));
    parent.setGroup(1);
    auto* child = new FixtureModule(nullptr, plan("C: Child"));
    parent.addChild(child);
    EXPECT_EQ(child->getGroup(), 1);
}

TEST(AM_AudioObject, SharedMemoryIsMadeByItsOwnerAndAdoptedByOthers)
{
    testsupport::TraceCapture trace;
    FixtureModule owner(nullptr, plan("O: Owner"));
    FixtureModule user(nullptr, plan("U: User"));
    FixtureModule other(nullptr, plan("X: Other"));

    auto* small = static_cast<uint8_t*>(owner.getSharedMemory(16));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(owner.getSharedMemory(8), small);
    small[0] = 42;
    auto* big = static_cast<uint8_t*>(owner.getSharedMemory(64));
    ASSERT_NE(big, nullptr);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(big[i], 0) << i;

    user.setSharedMemory(owner.getSharedMemoryRecord());
    EXPECT_EQ(user.getSharedMemory(32), big);
    EXPECT_FALSE(trace.contains("Duplicate"));

    other.getSharedMemory(4);
    other.setSharedMemory(owner.getSharedMemoryRecord());
    EXPECT_TRUE(trace.contains("Duplicate Shared Memory Pointer ERROR in X: Other"));
    EXPECT_NE(other.getSharedMemoryRecord(), owner.getSharedMemoryRecord());

    // Handing a module the buffer it holds already is reported as well.
    trace.clear();
    user.setSharedMemory(owner.getSharedMemoryRecord());
    EXPECT_TRUE(trace.contains("Duplicate Shared Memory Pointer ERROR in U: User"));
    EXPECT_EQ(user.getSharedMemoryRecord(), owner.getSharedMemoryRecord());
}

TEST(AM_AudioObject, TracesItsDiagnosticsSideChainAndTestProbe)
{
    testsupport::TraceCapture trace;
    FixtureModule module(nullptr, plan("D: Diag"));
    AM_AudioObject::resetProcessTestProbe();

    module.printTestProbe("in");
    float probe = 0.0f;
    module.setTestProbe(&probe);
    module.printTestProbe("quiet");
    probe = 0.5f;
    module.printTestProbe("out");
    module.printSideChain(3);
    module.receiveMessage(nullptr, k_msgDiagnostics, 0, nullptr);
    AM_AudioObject::resetProcessTestProbe();

    // Every trace call ends with a line feed of its own.
    const std::string rule(68, '-');
    const std::string expected = "#TEST# NULL @ in - (D: Diag)\n\n"
                                 "#TEST# 0.50 @ out - (D: Diag)\n\n"
                                 "D: Diag SideChain: 3\n\n" +
                                 rule + "\nDataDiagnostics Object D: Diag:\n" + rule + "\n";
    EXPECT_EQ(trace.text(), expected);
}

TEST(AM_Random, FollowsTheSharedSequenceFromItsResetState)
{
    AM_Random::reset();
    // s1 = 435395, s0 = 0x8C52F + 435395 = 0xF69F2.
    EXPECT_FLOAT_EQ(AM_Random::range(0.0f, 1.0f), 1010162.0f / 8388608.0f);
    uint32_t s0 = 0xF69F2;
    uint32_t s1 = 435395;
    s1 += 435395;
    s0 = (s0 ^ 0x8C52F) + s1;
    const float u = std::bit_cast<float>(0x3F800000u | (s0 & 0x7FFFFF)) - 1.0f;
    EXPECT_FLOAT_EQ(AM_Random::range(-2.0f, 2.0f), -2.0f + 4.0f * u);
    AM_Random::reset();
    EXPECT_FLOAT_EQ(AM_Random::range(0.0f, 1.0f), 1010162.0f / 8388608.0f);
    AM_Random::reset();
}

} // namespace
