// The voice circuit as a module: its parameter tables in both layouts, value
// names, value addresses, modulation sources, memory and class flags.

#include "VoiceRig.h"

#include "params/object/AM_ModSourceInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using voicetest::RigOptions;
using voicetest::VoiceRig;
using P = AM_VoiceCircuitMin;

std::string valueName(AM_VoiceCircuitMin& c, uint32_t own, int32_t index)
{
    AM_ValueNames names = nullptr;
    const int32_t count = c.getValueStrings(c.getCircuitParameterCount() + own, &names);
    if (index < 0 || index >= count || !names)
        return "<none>";
    return names[index];
}

TEST(AM_VoiceCircuitLayout, TheFullLayoutHas125ParametersWithStepRowsBehindTheHead)
{
    VoiceRig rig(RigOptions{.minimal = false});
    AM_VoiceCircuitMin& c = *rig.vcc;
    ASSERT_EQ(c.getCircuitParameterCount(), 0u);
    EXPECT_EQ(c.getParameterCount(false), 125);
    struct Row {
        uint32_t local;
        const char* shortName;
        const char* longName;
        uint32_t type;
        float min, max, def;
        uint32_t flags;
    };
    const Row rows[] = {
        {0, "Voices", "Voices", 0, 0, 2, 1, 0x84},
        {1, "Voicing", "Voice Stack", 0, 1, 8, 1, 0x84},
        {2, "Mode", "Mode", 0, 0, 4, 0, 0xa4},
        {3, "PortaM", "GlideMode", 0, 0, 1, 0, 0xa4},
        {4, "Porta", "Glide", 1, 0, 100, 0, 0xf},
        {5, "Porta2", "Glide2", 1, -100, 100, 0, 0xf},
        {6, "PRange", "PortaRange", 1, 0, 100, 100, 0xf},
        {7, "PB", "PitchBend Up", 0, 0, 24, 2, 0},
        {8, "PBD", "PitchBend Down", 0, 0, 24, 2, 0},
        {9, "Drft", "Drift", 0, 0, 1, 1, 0},
        {10, "MTunS", "TuningMode", 0, 0, 1, 0, 0},
        {11, "MTunN", "Tuning", 0x604, 0, 64, 0, 0x8000080},
        {12, "MTunT", "TuningTable", 0x104, 0, 512, 1, 0x80},
        {13, "Trsp", "Transpose", 0, -24, 24, -12, 0},
        {14, "FTun", "FineTuneCents", 1, -50, 50, 0, 0},
        {15, "Vc1", "Voice1", 1, -24, 24, 0, 0},
        {22, "Vc8", "Voice8", 1, -24, 24, 0, 0},
        {23, "ArSc", "Arp Sync", 0, 0, 16, 4, 0},
        {27, "ArLL", "Arp Loop Length", 0, 1, 16, 16, 0},
        {28, "ArTr", "Arp Glide", 0, 0, 1, 0, 0},
        {29, "Agte1", "Arp Gate1", 0, 0, 5, 2, 0},
        {30, "Atrp1", "Arp Transpose1", 0, -12, 12, 0, 0},
        {32, "Amul1", "Arp Duration1", 0, 1, 4, 0, 0},
        {34, "AMDpt1", "Arp Step Mod1", 1, -100, 100, 0, 0x7},
        {29 + 6 * 15 + 4, "Amod16", "Arp Step Control16", 0, 0, 3, 0, 0},
        {124, "AMDpt16", "Arp Step Mod16", 1, -100, 100, 0, 0x7},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.local);
        const AM_ParamInfo* info = c.getParameterTemplate(r.local);
        ASSERT_NE(info, nullptr);
        EXPECT_STREQ(info->shortName, r.shortName);
        EXPECT_STREQ(info->longName, r.longName);
        EXPECT_EQ(info->type, r.type);
        EXPECT_EQ(info->min, r.min);
        EXPECT_EQ(info->max, r.max);
        EXPECT_EQ(info->defaultValue, r.def);
        EXPECT_EQ(info->flags, r.flags);
        EXPECT_EQ(info->index, r.local);
    }
    EXPECT_EQ(c.getParameterTemplate(125), nullptr);
}

TEST(AM_VoiceCircuitLayout, TheMinimalLayoutKeepsTheHeadWithFourModesAndPublishedTuning)
{
    VoiceRig rig;
    AM_VoiceCircuitMin& c = *rig.vcc;
    EXPECT_EQ(c.getParameterCount(false), 23);
    EXPECT_EQ(c.getParameterTemplate(23), nullptr);
    EXPECT_EQ(c.getParameterTemplate(P::k_pMode)->max, 3.0f);
    for (uint32_t i : {P::k_pBendUp, P::k_pBendDown, P::k_pTranspose, P::k_pFineTune})
        EXPECT_EQ(c.getParameterTemplate(i)->flags & 0x4, 0x4u) << i;
    EXPECT_EQ(c.getParameterTemplate(P::k_pDrift)->flags, 0u);
    EXPECT_EQ(c.getParameterAddress(P::k_pArpSync), nullptr);
}

TEST(AM_VoiceCircuitLayout, ValueNamesFollowTheLayout)
{
    VoiceRig minimal;
    VoiceRig full(RigOptions{.minimal = false});
    struct Case {
        AM_VoiceCircuitMin* circuit;
        uint32_t own;
        int32_t index;
        const char* name;
    };
    const Case cases[] = {
        {minimal.vcc, P::k_pVoices, 1, "medium"},
        {minimal.vcc, P::k_pMode, 1, "mono"},
        {minimal.vcc, P::k_pMode, 3, "duo"},
        {minimal.vcc, P::k_pMode, 4, "<none>"},
        {full.vcc, P::k_pMode, 1, "retrigger"},
        {full.vcc, P::k_pMode, 3, "arpeggiator"},
        {full.vcc, P::k_pMode, 4, "duo"},
        {full.vcc, P::k_pGlideMode, 1, "rate"},
        {full.vcc, P::k_pArpSync, 8, "1/16 dot"},
        {full.vcc, P::k_pArpSync, 16, "1/1 trip"},
        {full.vcc, P::k_pArpOrder, 1, "as played"},
        {full.vcc, P::k_pArpLoop, 3, "BF >-<"},
        {full.vcc, P::k_pFirstStep + 6 * 3 + 1, 0, "-12"},
        {full.vcc, P::k_pFirstStep + 6 * 3 + 1, 24, "12"},
        {full.vcc, P::k_pFirstStep + 6 * 3 + 4, 3, "last"},
        {full.vcc, P::k_pGlide, 0, "<none>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(valueName(*c.circuit, c.own, c.index), c.name) << c.own << " " << c.index;
    AM_ValueNames names = nullptr;
    EXPECT_EQ(full.vcc->getValueStrings(P::k_pArpSync, &names), 17);
}

TEST(AM_VoiceCircuitLayout, AddressesPointIntoTheParameterBlockAndStepRowsIntoTheStepTable)
{
    VoiceRig rig(RigOptions{.minimal = false});
    AM_VoiceCircuitMin& c = *rig.vcc;
    AM_VoiceCircuitParams* p = c.getParams();
    EXPECT_EQ(c.getParameterAddress(P::k_pGlide), &p->glide);
    EXPECT_EQ(c.getParameterAddress(P::k_pVoice1 + 7), &p->voiceOffset[7]);
    EXPECT_EQ(c.getParameterAddress(P::k_pTuningTable), p->tuningTable);
    EXPECT_EQ(c.getParameterAddress(P::k_pFirstStep + 6 * 5 + 2), &p->steps[5].voices);
    EXPECT_EQ(c.getParameterAddress(P::k_pFirstStep + 6 * 15 + 5), &p->steps[15].modulation);
    EXPECT_EQ(c.getParameterAddress(125), nullptr);
    // The block lies inside the circuit's global memory.
    const auto* global = static_cast<uint8_t*>(c.getGlobalMemory());
    const auto* block = reinterpret_cast<uint8_t*>(p);
    EXPECT_GE(block, global);
    EXPECT_LE(block + sizeof(AM_VoiceCircuitParams), global + c.getGlobalMemoryUnits() * 4);
}

TEST(AM_VoiceCircuitLayout, ParameterDefaultsReachTheBlockAndTheTuningTableMapsKeysToThemselves)
{
    VoiceRig rig(RigOptions{.minimal = false});
    const AM_VoiceCircuitParams& p = *rig.vcc->getParams();
    EXPECT_EQ(p.voices, 1);
    EXPECT_EQ(p.voiceStack, 1);
    EXPECT_EQ(p.transpose, -12);
    EXPECT_EQ(p.bendUp, 2);
    EXPECT_EQ(p.portaRange, 100.0f);
    EXPECT_EQ(p.arpLoopLength, 16);
    EXPECT_EQ(p.steps[7].gate, 2);
    EXPECT_EQ(p.steps[7].duration, 1); // the default 0 is clamped to 1
    for (int32_t k : {0, 60, 127})
        EXPECT_EQ(p.tuningTable[k], static_cast<float>(k));
}

TEST(AM_VoiceCircuitLayout, ClassFlagsRowsSourcesAndMemorySizes)
{
    VoiceRig rig(RigOptions{.voices = 6});
    AM_VoiceCircuitMin& c = *rig.vcc;
    EXPECT_EQ(c.getMask(), 0x30008u | 0x4u);
    EXPECT_EQ(c.getControlRowCount(), 9u);
    EXPECT_EQ(c.getModSourceCount(), 9u);
    EXPECT_EQ(c.getVoiceCount(), 6u);
    EXPECT_EQ(c.getChildCopies(), 6u);
    EXPECT_EQ(c.getVoiceMemorySize(), 56u + 800u + 224u * 6 + 24u);
    // The main circuit's rows 1-4 come first, so the voice rows start at 5.
    EXPECT_EQ(c.getFirstControlRow(), 5u);
    EXPECT_EQ(c.getPitchWheelRow(), 2u);

    const struct {
        uint32_t i;
        const char* name;
        uint32_t kind;
    } sources[] = {
        {0, "Gate", 0x410000},    {1, "KeyFollow", 0x20001}, {2, "KeyFollow2", 1},
        {3, "Velocity", 0x30000}, {4, "Pressure", 0x40000},  {5, "Alternate", 1},
        {6, "Random", 0xa0000},   {7, "Voice", 1},           {8, "ArpModulator", 0xa0001}};
    for (const auto& s : sources) {
        AM_ModSourceInfo info{};
        c.getModSourceInfo(s.i, &info);
        EXPECT_STREQ(info.name, s.name);
        EXPECT_EQ(info.flags, s.kind);
        EXPECT_EQ(info.span, 1u);
    }
}

TEST(AM_VoiceCircuitLayout, ChildrenGetOneCopyOfTheirVoiceMemoryPerVoice)
{
    VoiceRig rig(RigOptions{.voices = 4, .secondProbe = true});
    EXPECT_EQ(rig.vcc->getPolyChildCount(), 2u);
    EXPECT_EQ(rig.vcc->getPlainChildCount(), 0u);
    const uint32_t stride = rig.vcc->getParams()->childStride;
    EXPECT_EQ(stride, rig.probe->getCopyStride());
    EXPECT_GE(stride, 2 * voicetest::VoiceProbe::kVoiceBytes);
    EXPECT_EQ(rig.probe->getCopyCount(), 4u);
}

// A child with given class flags, nothing else.
class FlaggedChild : public AM_AudioObject {
public:
    FlaggedChild(AM_EngineOwner* owner, const char* name, uint32_t flags)
        : AM_AudioObject(owner, name)
    {
        setModuleFlags(flags, 0, 1, 0, 0);
    }
    uint32_t getVoiceMemorySize() override { return 16; }
    uint32_t getGlobalMemorySize() override { return 0; }
};

TEST(AM_VoiceCircuitLayout, ChildrenAreCountedByWhetherTheyCarryFlag0x20Or0x80)
{
    struct Case {
        uint32_t flags;
        uint32_t plain, poly;
    };
    const Case cases[] = {
        {0x0, 1, 0}, {0x20, 0, 1}, {0x40, 1, 0}, {0x80, 0, 1}, {0x20040, 1, 0}, {0x200a0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        testfixture::TestEngine engine;
        auto* vcc = new AM_VoiceCircuitMin(&engine, "VCC: VoiceCircuit", 4, 1, 2, 2);
        engine.addModule(vcc);
        vcc->addChild(new FlaggedChild(&engine, "CH: Child", c.flags));
        EXPECT_EQ(vcc->getPlainChildCount(), c.plain);
        EXPECT_EQ(vcc->getPolyChildCount(), c.poly);
    }
}

TEST(AM_VoiceCircuitLayout, SwitchRowsOfChildrenComeBeforeTheOwnParameters)
{
    testfixture::TestEngine engine;
    auto* vcc = new AM_VoiceCircuitMin(&engine, "VCC: VoiceCircuit", 4, 1, 2, 2);
    vcc->useMinimalLayout();
    engine.addModule(vcc);
    auto* probe = new voicetest::VoiceProbe(&engine, "SW: Switched", nullptr, false);
    probe->setModuleFlags(k_classSwitchable, 0, 1, 0, 0);
    probe->circuit = vcc;
    vcc->addChild(probe);
    engine.init();
    ASSERT_EQ(vcc->getCircuitParameterCount(), 1u);
    EXPECT_EQ(vcc->getParameterCount(false), 24);
    EXPECT_STREQ(vcc->getParameterTemplate(0)->shortName, "#SW");
    EXPECT_STREQ(vcc->getParameterTemplate(1)->shortName, "Voices");
    EXPECT_EQ(vcc->getParameterAddress(1), &vcc->getParams()->voices);
}

} // namespace
