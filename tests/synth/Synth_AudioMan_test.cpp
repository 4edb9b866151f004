// The instrument's audio manager: its identity in the information block, the
// module tree in processing order, the parameters it hides and the defaults
// and names it changes, the controller map and its reset, and an empty
// manager for any other plug-in ID.

#include "SynthFixture.h"

#include "TraceCapture.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/voice/AM_Lfo.h"
#include "engine/voice/AM_SimpleVoiceMixer.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"
#include "synth/Pellor_ADSR.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace synthtest;

constexpr uint32_t kOtherId = 0x41424344u; // 'ABCD'

std::unique_ptr<Synth_AudioMan> initialised(uint32_t id)
{
    auto engine = std::make_unique<Synth_AudioMan>(id);
    engine->init();
    return engine;
}

TEST(Synth_AudioMan, IdentityOfTheInstrument)
{
    auto engine = initialised(Synth_AudioMan::kPluginId);
    AM_PluginInfo* info = engine->getPluginInfo();
    EXPECT_STREQ(info->productName, "KestanK4 V1.0.1");
    EXPECT_STREQ(info->effectName, "KestanK4");
    EXPECT_STREQ(info->componentName, "KestanK4");
    EXPECT_STREQ(info->vendorName, "Orlen");
    EXPECT_EQ(info->optionByte, 0);
    EXPECT_EQ(info->fftSignConvention, 1);
    EXPECT_EQ(info->initialStateVersion, 0x10020u);
    EXPECT_EQ(engine->getProcessContext()->stateVersion, 0x10020u);
    EXPECT_EQ(engine->getPluginId(), 0x57713378u);
    std::string code(4, ' ');
    for (int i = 0; i < 4; ++i)
        code[size_t(i)] = char(engine->getPluginId() >> (24 - 8 * i));
    EXPECT_EQ(code, "Wq3x");
}

// Another plug-in ID: the base's names, no modules, no parameter changes and
// no controller map; the component name and the FFT convention are set.
TEST(Synth_AudioMan, AnotherIdStaysAnEmptyManager)
{
    testsupport::TraceCapture trace;
    auto engine = initialised(kOtherId);
    AM_PluginInfo* info = engine->getPluginInfo();
    EXPECT_STREQ(info->productName, "AM_Plugin");
    EXPECT_STREQ(info->effectName, "AM_Plugin");
    EXPECT_STREQ(info->componentName, "KestanK4");
    EXPECT_EQ(info->optionByte, 1);
    EXPECT_EQ(info->fftSignConvention, 1);
    EXPECT_EQ(engine->getMidiCCMap(), nullptr);
    EXPECT_EQ(engine->findParameter("Kestan", "Cutoff"), nullptr);
    EXPECT_EQ(engine->getModuleByName("VCC"), nullptr);
    EXPECT_FALSE(trace.contains("Couldn't find param object"));
}

// The modules in the order they are built, all but the circuit inside it
// (so each carries the circuit's group 1), the voice module's output on the
// circuit's bus row.
TEST(Synth_AudioMan, ModuleTreeInProcessingOrder)
{
    auto engine = initialised(Synth_AudioMan::kPluginId);
    const std::vector<std::string> expected = {"VCC: VoiceCircuit", "ENV1: ADSR1", "ENV2: ADSR2",
                                               "LFO1: LFO1",        "LFO2: LFO2",  "Kestan: Kestan",
                                               "VCA1: VoiceMix1"};
    auto* vcc = dynamic_cast<AM_VoiceCircuitMin*>(engine->getModuleByName("VCC"));
    ASSERT_NE(vcc, nullptr);
    EXPECT_EQ(vcc->getParent(), engine->getMainCircuit());
    EXPECT_TRUE(vcc->isMinimalLayout());
    EXPECT_EQ(vcc->getVoices(), 8u);
    std::vector<std::string> names = {vcc->getName()};
    for (AM_AudioObject* m = vcc->getFirstChild(); m; m = m->getNextSibling()) {
        names.push_back(m->getName());
        EXPECT_EQ(m->getParent(), vcc);
        const AM_ModuleRecord* record = engine->getModuleRecord(int32_t(m->getModuleIndex()));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->group, 1) << m->getName();
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(engine->getModuleRecord(int32_t(vcc->getModuleIndex()))->group, 1);
    EXPECT_NE(dynamic_cast<KestanAudio*>(engine->getModuleByName("Kestan")), nullptr);
    // The LFOs carry no on/off switch of their own.
    EXPECT_EQ(engine->getModuleByName("LFO1")->getMask() & k_classSwitchable, 0u);
    EXPECT_EQ(engine->getModuleByName("LFO2")->getMask() & k_classSwitchable, 0u);
}

// How each module of the tree is set up: the circuit's voices, slots,
// channels and bus row, each envelope's trigger list, the LFOs' step mode
// and the voice mixer's mono variant on the stereo bus.
TEST(Synth_AudioMan, ModulesAreSetUpAsBuilt)
{
    auto engine = initialised(Synth_AudioMan::kPluginId);
    auto* vcc = dynamic_cast<AM_VoiceCircuitMin*>(engine->getModuleByName("VCC"));
    ASSERT_NE(vcc, nullptr);
    EXPECT_EQ(vcc->getChannelCapacity(), 2u);

    struct TriggerCase {
        const char* module;
        std::vector<std::string> names;
    };
    const TriggerCase triggers[] = {
        {"ENV1", {"Gate", "Loop", "LFO1", "LFO2"}},
        {"ENV2", {"Gate", "Single", "Loop", "LFO1", "LFO2"}},
    };
    for (const TriggerCase& c : triggers) {
        SCOPED_TRACE(c.module);
        auto* env = dynamic_cast<Pellor_ADSR*>(engine->getModuleByName(c.module));
        ASSERT_NE(env, nullptr);
        EXPECT_EQ(env->getTriggerCount(), uint32_t(c.names.size()));
        const AM_ParamInfo* trigger = engine->findParameter(c.module, "Trig");
        ASSERT_NE(trigger, nullptr);
        EXPECT_EQ(trigger->max, float(c.names.size() - 1));
        AM_ValueNames list = nullptr;
        const int32_t count =
            engine->getParameterValueString(int32_t(trigger->index), &list, false);
        ASSERT_EQ(count, int32_t(c.names.size()));
        for (int32_t i = 0; i < count; ++i)
            EXPECT_EQ(std::string(list[i]), c.names[size_t(i)]);
    }
    for (const char* name : {"LFO1", "LFO2"}) {
        auto* lfo = dynamic_cast<AM_Lfo*>(engine->getModuleByName(name));
        ASSERT_NE(lfo, nullptr) << name;
        EXPECT_EQ(lfo->getMode(), 1u) << name;
        EXPECT_EQ(lfo->getMask() & 0x20040u, 0x20040u) << name;
    }
    auto* mixer = dynamic_cast<AM_SimpleVoiceMixer*>(engine->getModuleByName("VCA1"));
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->getVariant(), AM_SimpleVoiceMixer::kMonoVariant);
    EXPECT_EQ(mixer->getOutputBus(), 0u);
}

// A tree that lacks the first envelope: every hide of a missing parameter is
// reported and the list goes on; the descriptor changes stop at the first
// missing one with "Couldn't find param object", so the second envelope
// keeps its table's name and default.
class PartialTreeManager : public Synth_AudioMan {
public:
    PartialTreeManager() : Synth_AudioMan(kPluginId) {}
    void buildModules() override
    {
        auto* circuit = new AM_VoiceCircuitMin(this, "VCC: VoiceCircuit", 8, 1, 2, 2);
        circuit->useMinimalLayout();
        if (!addModule(circuit)) {
            delete circuit;
            return;
        }
        auto* env = new Pellor_ADSR(this, "ENV2: ADSR2", false);
        if (circuit->addChild(env) == 0)
            delete env;
    }
};

TEST(Synth_AudioMan, AMissingDescriptorStopsTheChanges)
{
    testsupport::TraceCapture trace;
    PartialTreeManager engine;
    engine.init();
    EXPECT_TRUE(trace.contains("couldn't hide ENV1 Snappy"));
    EXPECT_TRUE(trace.contains("couldn't hide VCA1 PanDpt"));
    EXPECT_TRUE(trace.contains("Couldn't find param object"));
    // Hides after the missing ones were still made.
    EXPECT_NE(engine.findParameter("ENV2", "LMod")->flags & k_paramHidden, 0u);
    // The change before the missing descriptor was made, those after it not.
    EXPECT_EQ(engine.findParameter("VCC", "Voices")->defaultValue, 2.0f);
    EXPECT_STREQ(engine.findParameter("ENV2", "RMod")->longName, "RateMod");
    EXPECT_NE(engine.findParameter("ENV2", "RMSrc")->defaultValue, 6.0f);
}

// 44 parameters are hidden; the voice count defaults to many, both
// envelopes' rate modulation is called "KeyTrack" and takes its source from
// row 6 by default.
TEST(Synth_AudioMan, ParameterSet)
{
    testsupport::TraceCapture trace;
    auto engine = initialised(Synth_AudioMan::kPluginId);
    EXPECT_FALSE(trace.contains("couldn't hide"));
    EXPECT_FALSE(trace.contains("Couldn't find param object"));
    const std::vector<std::pair<std::string, std::vector<std::string>>> hidden = {
        {"VCC", {"Voices", "Vc1", "Vc2", "Vc3", "Vc4", "Vc5", "Vc6", "Vc7", "Vc8", "FTun"}},
        {"ENV1", {"Snappy", "CRate", "RMSrc", "LMSrc", "FRRng", "Attr", "Lag", "LMod"}},
        {"ENV2", {"Snappy", "CRate", "RMSrc", "LMSrc", "FRRng", "Attr", "Lag", "LMod"}},
        {"Kestan",
         {"OMode", "HPPre", "HP_fc", "HP_Res", "HR1", "CL1", "HR2", "CL2", "InGain", "ResSrc",
          "apC", "Cmp"}},
        {"VCA1", {"Pan", "Vol", "ModSrc", "ModDpt", "PanSrc", "PanDpt"}},
    };
    int count = 0;
    for (const auto& [module, parameters] : hidden) {
        for (const std::string& p : parameters) {
            const AM_ParamInfo* info = engine->findParameter(module.c_str(), p.c_str());
            ASSERT_NE(info, nullptr) << module << " " << p;
            EXPECT_NE(info->flags & k_paramHidden, 0u) << module << " " << p;
            ++count;
        }
    }
    EXPECT_EQ(count, 44);
    // A parameter the list leaves alone stays visible.
    EXPECT_EQ(engine->findParameter("Kestan", "Cutoff")->flags & k_paramHidden, 0u);

    const AM_ParamInfo* voices = engine->findParameter("VCC", "Voices");
    EXPECT_EQ(voices->defaultValue, 2.0f);
    EXPECT_EQ(engine->getParameter(int32_t(voices->index), false), 2.0f);
    for (const char* env : {"ENV1", "ENV2"}) {
        SCOPED_TRACE(env);
        EXPECT_STREQ(engine->findParameter(env, "RMod")->longName, "KeyTrack");
        const AM_ParamInfo* source = engine->findParameter(env, "RMSrc");
        EXPECT_EQ(source->defaultValue, 6.0f);
        EXPECT_EQ(engine->getParameter(int32_t(source->index), false), 6.0f);
    }
}

// The first instance fills the controller map with -1; a second instance
// leaves it; once every instance is gone the next one fills it again.
TEST(Synth_AudioMan, ControllerMapIsResetByTheFirstInstance)
{
    ASSERT_EQ(Synth_AudioMan::instanceCount(), 0u);
    auto first = std::make_unique<Synth_AudioMan>(Synth_AudioMan::kPluginId);
    int32_t* map = first->getMidiCCMap();
    ASSERT_NE(map, nullptr);
    for (int32_t c = 0; c < Synth_AudioMan::kMidiControllers; ++c)
        ASSERT_EQ(map[c], -1) << c;
    map[7] = 42;
    {
        Synth_AudioMan second(Synth_AudioMan::kPluginId);
        EXPECT_EQ(second.getMidiCCMap(), map);
        EXPECT_EQ(map[7], 42);
        EXPECT_EQ(Synth_AudioMan::instanceCount(), 2u);
    }
    EXPECT_EQ(map[7], 42);
    first.reset();
    EXPECT_EQ(Synth_AudioMan::instanceCount(), 0u);
    Synth_AudioMan third(Synth_AudioMan::kPluginId);
    EXPECT_EQ(third.getMidiCCMap()[7], -1);
}

// The instrument plays: a note through the whole tree reaches the output
// and dies away after its release.
TEST(Synth_AudioMan, NotePlaysAndEnds)
{
    auto host = makeSynth();
    host->render(kBlock);
    host->noteOn(60);
    host->render(8192);
    double energy = 0.0;
    for (size_t n = 4096; n < host->left.size(); ++n)
        energy += double(host->left[n]) * double(host->left[n]);
    EXPECT_GT(energy, 1.0);
    EXPECT_EQ(host->left, host->right);
    host->noteOff(60);
    host->render(int64_t(kRate) * 4);
    for (size_t n = host->left.size() - 4096; n < host->left.size(); ++n)
        ASSERT_EQ(host->left[n], 0.0f) << n;
}

} // namespace
