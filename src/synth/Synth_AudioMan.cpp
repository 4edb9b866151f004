// The instrument's audio manager: identity, the controller map, the module
// tree and the parameter set.

#include "synth/Synth_AudioMan.h"

#include "engine/module/AM_PluginInfo.h"
#include "engine/voice/AM_Lfo.h"
#include "engine/voice/AM_SimpleVoiceMixer.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"
#include "synth/KestanAudio.h"
#include "synth/Pellor_ADSR.h"

#include <atomic>
#include <cstring>

namespace {

constexpr const char* kComponentName = "KestanK4";
constexpr const char* kVendorName = "Orlen";
constexpr const char* kProductName = "KestanK4 V1.0.1";
constexpr const char* kEffectName = "KestanK4";
constexpr uint8_t kOptionByte = 0;
constexpr uint8_t kFFTSignConvention = 1;
constexpr int32_t kUnassigned = -1;

// The voice circuit: voices, slots, channel capacity, bus row; the group its
// module record carries (handed to every module added to it).
constexpr uint32_t kVoices = 8;
constexpr uint32_t kSlots = 1;
constexpr uint32_t kCircuitChannels = 2;
constexpr uint32_t kCircuitBusRow = 2;
constexpr int32_t kCircuitGroup = 1;
// The voice mixer: mono input, output on the stereo bus.
constexpr uint32_t kMixerVariant = 1;
constexpr uint32_t kMixerOutputBus = 0;
constexpr uint32_t kLfoStepMode = 1;

using TriggerName = char[Pellor_ADSR::kTriggerNameBytes];
const TriggerName kAmplifierTriggers[] = {"Gate", "Loop", "LFO1", "LFO2"};
const TriggerName kFilterTriggers[] = {"Gate", "Single", "Loop", "LFO1", "LFO2"};

struct HiddenParameter {
    const char* module;
    const char* parameter;
};
// clang-format off
const HiddenParameter kHidden[] = {
    {"VCC", "Voices"}, {"VCC", "Vc1"}, {"VCC", "Vc2"}, {"VCC", "Vc3"}, {"VCC", "Vc4"},
    {"VCC", "Vc5"}, {"VCC", "Vc6"}, {"VCC", "Vc7"}, {"VCC", "Vc8"}, {"VCC", "FTun"},
    {"ENV1", "Snappy"}, {"ENV1", "CRate"}, {"ENV1", "RMSrc"}, {"ENV1", "LMSrc"},
    {"ENV1", "FRRng"}, {"ENV1", "Attr"}, {"ENV1", "Lag"}, {"ENV1", "LMod"},
    {"ENV2", "Snappy"}, {"ENV2", "CRate"}, {"ENV2", "RMSrc"}, {"ENV2", "LMSrc"},
    {"ENV2", "FRRng"}, {"ENV2", "Attr"}, {"ENV2", "Lag"}, {"ENV2", "LMod"},
    {"Kestan", "OMode"}, {"Kestan", "HPPre"}, {"Kestan", "HP_fc"}, {"Kestan", "HP_Res"},
    {"Kestan", "HR1"}, {"Kestan", "CL1"}, {"Kestan", "HR2"}, {"Kestan", "CL2"},
    {"Kestan", "InGain"}, {"Kestan", "ResSrc"}, {"Kestan", "apC"}, {"Kestan", "Cmp"},
    {"VCA1", "Pan"}, {"VCA1", "Vol"}, {"VCA1", "ModSrc"}, {"VCA1", "ModDpt"},
    {"VCA1", "PanSrc"}, {"VCA1", "PanDpt"},
};
// clang-format on

// A descriptor change: a new default, or a new long name when the text is
// set.
struct DescriptorChange {
    const char* module;
    const char* parameter;
    float defaultValue;
    const char* longName;
};
const DescriptorChange kChanges[] = {
    {"VCC", "Voices", 2.0f, nullptr}, {"ENV1", "RMod", 0.0f, "KeyTrack"},
    {"ENV1", "RMSrc", 6.0f, nullptr}, {"ENV2", "RMod", 0.0f, "KeyTrack"},
    {"ENV2", "RMSrc", 6.0f, nullptr},
};

// Process-wide: instances alive and the controller map.
std::atomic<uint32_t> g_instances{0};
int32_t g_midiCCMap[Synth_AudioMan::kMidiControllers];

void copyName(char* out, const char* text)
{
    std::strncpy(out, text, k_pluginNameBytes - 1);
    out[k_pluginNameBytes - 1] = '\0';
}

// Adds a module to the circuit; a module the circuit refuses is deleted
// (the caller owns it then) and null is answered.
template <typename Module> Module* addTo(AM_VoiceCircuitMin* circuit, Module* module)
{
    if (circuit->addChild(module) == 0) {
        AM_STD::printv("Synth_AudioMan: the voice circuit refused %s", module->getName());
        delete module;
        return nullptr;
    }
    return module;
}

} // namespace

Synth_AudioMan::Synth_AudioMan(uint32_t pluginId)
    : AM_AudioMan(nullptr, kChannelCapacity, kModulationSlots)
{
    setPluginId(pluginId);
    copyName(pluginInfo_.componentName, kComponentName);
    copyName(pluginInfo_.vendorName, kVendorName);
    pluginInfo_.fftSignConvention = kFFTSignConvention;
    if (ownId()) {
        copyName(pluginInfo_.productName, kProductName);
        copyName(pluginInfo_.effectName, kEffectName);
        pluginInfo_.optionByte = kOptionByte;
        pluginInfo_.initialStateVersion = kInitialStateVersion;
    }
    if (g_instances.load(std::memory_order_relaxed) == 0) {
        for (int32_t& entry : g_midiCCMap)
            entry = kUnassigned;
    }
    g_instances.fetch_add(1, std::memory_order_relaxed);
}

Synth_AudioMan::~Synth_AudioMan()
{
    g_instances.fetch_sub(1, std::memory_order_relaxed);
}

uint32_t Synth_AudioMan::instanceCount()
{
    return g_instances.load(std::memory_order_relaxed);
}

int32_t* Synth_AudioMan::getMidiCCMap()
{
    return ownId() ? g_midiCCMap : nullptr;
}

void Synth_AudioMan::buildModules()
{
    if (!ownId())
        return;
    auto* circuit = new AM_VoiceCircuitMin(this, "VCC: VoiceCircuit", kVoices, kSlots,
                                           kCircuitChannels, kCircuitBusRow);
    circuit->useMinimalLayout();
    circuit->enableResetFlag();
    if (!addModule(circuit)) {
        delete circuit;
        return;
    }
    circuit->setGroup(kCircuitGroup);

    if (auto* env = addTo(circuit, new Pellor_ADSR(this, "ENV1: ADSR1", true)))
        env->setTriggerList(kAmplifierTriggers, std::size(kAmplifierTriggers));
    if (auto* env = addTo(circuit, new Pellor_ADSR(this, "ENV2: ADSR2", false)))
        env->setTriggerList(kFilterTriggers, std::size(kFilterTriggers));
    for (const char* name : {"LFO1: LFO1", "LFO2: LFO2"}) {
        auto* lfo = new AM_Lfo(this, name, true);
        lfo->clearModuleFlags(k_classSwitchable);
        if (addTo(circuit, lfo))
            lfo->setMode(kLfoStepMode);
    }
    addTo(circuit, new KestanAudio(this, "Kestan: Kestan"));
    addTo(circuit,
          new AM_SimpleVoiceMixer(this, "VCA1: VoiceMix1", kMixerVariant, kMixerOutputBus));
}

void Synth_AudioMan::reloadState()
{
    AM_AudioMan::reloadState();
}

void Synth_AudioMan::setupParameters()
{
    if (!ownId())
        return;
    for (const HiddenParameter& hidden : kHidden)
        hideParameter(hidden.module, hidden.parameter);
    for (const DescriptorChange& change : kChanges) {
        AM_ParamInfo* info = findParameter(change.module, change.parameter);
        if (!info) {
            AM_STD::printv("Couldn't find param object");
            return;
        }
        if (change.longName)
            AM_setLongName(*info, change.longName);
        else
            info->defaultValue = change.defaultValue;
    }
}
