// The joint parameter table laid over a module tree.

#include "ParamTree.h"
#include "TraceCapture.h"
#include "params/AM_PublishedNumbering.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace testfixture;

TEST(JointTable, NumbersEveryParameterInTreeOrder)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    ASSERT_EQ(man.getJointParameterCount(), 54);
    const struct {
        AM_AudioObject* module;
        int32_t firstId;
        int32_t count;
    } modules[] = {{t.engine.mainCircuit(), 0, 3},
                   {&man, 3, 33},
                   {t.osc, 36, 11},
                   {t.osc2, 47, 2},
                   {t.vc, 49, 3},
                   {t.env, 52, 2}};
    for (const auto& m : modules) {
        SCOPED_TRACE(m.module->getName());
        EXPECT_EQ(m.module->getFirstParameterId(), m.firstId);
        for (int32_t local = 0; local < m.count; ++local) {
            const AM_ParamInfo* info = man.getParameterInfo(m.firstId + local);
            EXPECT_EQ(info->index, static_cast<uint32_t>(m.firstId + local));
            EXPECT_EQ(info->moduleIndex, static_cast<int32_t>(m.module->getModuleIndex()));
            EXPECT_EQ(info->localNumber, static_cast<uint32_t>(local));
        }
    }
    EXPECT_EQ(t.lfo->getFirstParameterId(), -1); // no parameters
    const AM_ParamInfo* cutoff = man.getParameterInfo(t.id(kCutoff));
    EXPECT_STREQ(cutoff->shortName, "Cut");
    for (int i = 3; i < k_shortNameBytes; ++i)
        EXPECT_EQ(cutoff->shortName[i], 0);
    EXPECT_STREQ(cutoff->longName, "Cutoff");
    EXPECT_EQ(man.getParameterInfo(54), nullptr);
    EXPECT_EQ(man.getParameterInfo(-1), nullptr);
    ASSERT_NE(t.engine.ctx()->parameterValues, nullptr);
    EXPECT_EQ(t.engine.ctx()->parameterValues[t.id(kCutoff)], man.getCurrentValue(t.id(kCutoff)));
}

TEST(JointTable, StartsFromTheDefaults)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    EXPECT_EQ(man.getValue(t.id(kWave), false), 1.0f);
    EXPECT_EQ(storedInt(t.osc->storage[kWave]), 1);
    EXPECT_EQ(man.getValue(t.id(kCutoff), false), 50.0f);
    EXPECT_EQ(t.osc->storage[kCutoff], 50.0f);
    EXPECT_EQ(man.getCurrentValue(t.id(kCutoff)), 50.0f);
    EXPECT_EQ(t.engine.ctx()->parameterValues[t.id(kCutoff)], 50.0f);
    EXPECT_EQ(man.getValue(t.id(kFree), false), 0.5f);
    EXPECT_EQ(t.engine.mainCircuit()->getHeader()->outputValue, 100.0f);
    // The selector of group 10 starts at the group's first source (LFO's).
    EXPECT_EQ(storedInt(t.osc->storage[kSource]), 5);
    EXPECT_EQ(t.engine.setupHookCalls, 1);
}

TEST(JointTable, GivesSelectorsTheRangeAndDefaultOfTheirSourceList)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    ASSERT_EQ(man.getModSourceListCount(), 12);
    EXPECT_STREQ(man.getModSourceList()[0].name, "none");
    EXPECT_STREQ(man.getModSourceList()[1].name, "ModWhl");
    EXPECT_STREQ(man.getModSourceList()[5].name, "Lfo 0");
    EXPECT_STREQ(man.getModSourceList()[11].name, "Env");
    ASSERT_EQ(man.getSecondSourceListCount(), 2);
    EXPECT_STREQ(man.getSecondSourceList()[1].name, "Lfo 1");

    const struct {
        const char* name;
        int32_t id;
        float max;
        float defaultValue;
    } selectors[] = {
        {"group 10", t.id(kSource), 11, 5},
        {"second list, bit 20", t.id(kSecondSource), 1, 1},
        {"bit 23", t.id(kBit23Source), 11, 6},
        {"a module with copies and sources of its own", t.engine.idOf(t.env, 1), 10, 0},
        {"matrix source", man.ownId(man.getLayout().matrixLocal(0, k_matrixSource)), 11, 0},
    };
    for (const auto& s : selectors) {
        SCOPED_TRACE(s.name);
        const AM_ParamInfo* info = man.getParameterInfo(s.id);
        EXPECT_EQ(info->min, 0.0f);
        EXPECT_EQ(info->max, s.max);
        EXPECT_EQ(info->defaultValue, s.defaultValue);
    }

    AM_ProcessContext* ctx = t.engine.ctx();
    EXPECT_EQ(ctx->staticSourceMask1, (1u << 2) | (1u << 5) | (1u << 8)); // PitchW twice, Lfo 0
    EXPECT_EQ(ctx->secondListCount, 2u);
    EXPECT_EQ(ctx->secondListSources[0], 5);
    EXPECT_EQ(ctx->secondListSources[1], 6);
    EXPECT_EQ(ctx->sourceStartRows[0], 0);
    EXPECT_EQ(ctx->sourceStartRows[1], 0); // "none" spans nothing
    EXPECT_EQ(ctx->sourceStartRows[11], 10);
    EXPECT_EQ(ctx->sourceSpans[0], 0);
    EXPECT_EQ(ctx->sourceSpans[3], 1);

    AM_ValueNames names = nullptr;
    EXPECT_EQ(man.getValueStrings(t.id(kSource), &names), 12);
    EXPECT_STREQ(names[6], "Lfo 1");
    EXPECT_EQ(man.getValueStrings(t.id(kSecondSource), &names), 2);
    EXPECT_STREQ(names[0], "Lfo 0");
    EXPECT_EQ(man.getValueStrings(t.id(kCutoff), &names), 0);
}

TEST(JointTable, NumbersThePublishedParametersInTableOrder)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < man.getJointParameterCount(); ++i) {
        const AM_ParamInfo* info = man.getParameterInfo(i);
        if ((info->flags & k_paramPublished) != 0) {
            EXPECT_EQ(info->publishedIndex, static_cast<int32_t>(expected.size()));
            expected.push_back(i);
        } else {
            EXPECT_EQ(info->publishedIndex, -1);
        }
    }
    ASSERT_EQ(man.getPublishedCount(), static_cast<int32_t>(expected.size()));
    for (size_t p = 0; p < expected.size(); ++p)
        EXPECT_EQ(man.getPublishedMap()[p], expected[p]);
    EXPECT_EQ(expected.front(), 0); // the main circuit's "Output"
    EXPECT_EQ(man.getValue(static_cast<int32_t>(expected.size()) - 1, true),
              man.getValue(expected.back(), false));
}

class Numbering : public AM_PublishedNumbering {
public:
    int32_t getInternalIDFromPublished(int32_t p) const override
    {
        return ids[static_cast<size_t>(p)];
    }
    const char* getPublishedName(int32_t p) const override { return names[static_cast<size_t>(p)]; }
    std::vector<int32_t> ids;
    std::vector<const char*> names;
};

TEST(JointTable, ACustomNumberingReplacesTheMapAndShortensDisplayNames)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const int32_t count = man.getPublishedCount();
    Numbering numbering;
    for (int32_t p = 0; p < count; ++p) {
        numbering.ids.push_back(man.getPublishedMap()[count - 1 - p]);
        numbering.names.push_back("");
    }
    numbering.names[0] = "A display name longer than fifteen";
    numbering.names[1] = nullptr;
    const int32_t first = numbering.ids[0];
    const std::string oldName = man.getParameterInfo(numbering.ids[1])->longName;
    man.setCustomParamTable(&numbering);
    EXPECT_EQ(man.getPublishedMap()[0], first);
    EXPECT_EQ(man.getParameterInfo(first)->publishedIndex, 0);
    EXPECT_STREQ(man.getParameterInfo(first)->longName, "A display name ");
    EXPECT_EQ(man.getParameterInfo(numbering.ids[1])->longName, oldName);
}

TEST(JointTable, TwoParametersSharingStorageAreReported)
{
    class Sharing : public FixtureModule {
    public:
        using FixtureModule::FixtureModule;
        void* getParameterAddress(uint32_t) override { return &storage[0]; }
    };
    testsupport::TraceCapture trace;
    ParamEngine engine(0, 0, 1);
    ModulePlan s;
    s.name = "DUP: Dup";
    s.params = {makeParam("A", "First", k_kindFloat, 0, 1, 0, 0),
                makeParam("B", "Second", k_kindFloat, 0, 1, 0, 0),
                makeParam("C", "Third", k_kindFloat, 0, 1, 0, 0)};
    auto* module = new Sharing(&engine, s);
    engine.addModule(module);
    engine.init();
    const int32_t a = engine.idOf(module, 0);
    EXPECT_TRUE(trace.contains("Parm " + std::to_string(a + 1) + " Second same ptr as param " +
                               std::to_string(a) + " First"));
    EXPECT_EQ(trace.count("same ptr"), 3); // B with A, C with A and with B
    EXPECT_EQ(engine.paraMan->getValuePointer(a + 2), &module->storage[0]);
}

TEST(JointTable, FindsParametersByExactLongNameWithinTheirModule)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const int32_t osc = static_cast<int32_t>(t.osc->getModuleIndex());
    const int32_t osc2 = static_cast<int32_t>(t.osc2->getModuleIndex());
    const char* names[] = {"Waveform", "Pitch", "Cutoff", "Source"};
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(man.findParameter(osc, names[i]), t.id(static_cast<OscParam>(i))) << names[i];
    EXPECT_EQ(man.findParameter(osc, "Source"), t.id(kSource));
    EXPECT_EQ(man.findParameter(osc, "Waveform"), t.id(kWave)); // wraps round
    EXPECT_EQ(man.findParameter(osc, "Cut"), -1);               // a short name
    EXPECT_EQ(man.findParameter(osc, "pitch"), -1);             // case counts
    EXPECT_EQ(man.findParameter(999, "Pitch"), -1);
    EXPECT_EQ(man.findParameter(osc, nullptr), -1);

    // With the cursor inside OSC, OSC2's "Pitch" is still OSC2's own.
    EXPECT_EQ(man.findParameter(osc, "Pitch"), t.id(kPitch));
    EXPECT_EQ(man.findParameter(osc2, "Pitch"), t.engine.idOf(t.osc2, 0));
    EXPECT_EQ(man.findParameter(osc, "Pitch"), t.id(kPitch));
    EXPECT_EQ(man.findParameter(osc2, "Other"), t.engine.idOf(t.osc2, 1));
}

TEST(JointTable, FindsModulesByLongNameCurrentAndSelected)
{
    StandardEngine t;
    AM_ParaMan& man = t.man();
    const int32_t osc = static_cast<int32_t>(t.osc->getModuleIndex());
    EXPECT_EQ(man.findModule("Oscillator"), osc);
    EXPECT_EQ(man.findModule("Oscillator2"), static_cast<int32_t>(t.osc2->getModuleIndex()));
    EXPECT_EQ(man.findModule("Oscillator"), osc); // before the cursor
    EXPECT_EQ(man.findModule("OSC"), -1);
    EXPECT_EQ(man.findModule("Current"), -1);
    man.setCurrentModule(osc);
    EXPECT_EQ(man.findModule("Current"), osc);
    EXPECT_EQ(man.findModule("Selected"), osc);
    man.setModuleFilter(2);
    EXPECT_EQ(man.findModule("Selected"), 2);
}

} // namespace
