// The voice mixer's construction, parameter table, voice events and reset.
// The routines are in AM_SimpleVoiceMixerProcess.cpp.

#include "engine/voice/AM_SimpleVoiceMixer.h"

#include "engine/voice/AM_VoiceEvents.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"

#include <cmath>

namespace {

constexpr uint32_t kClassFlags = k_classVoiceEventReceiver | k_classPolyByCopies;

constexpr uint32_t kSmoothedPublishedListed = 0xF;
constexpr uint32_t kSelector = 0x10;
// Gate: a hidden selector whose default is the first source of group 1.
constexpr uint32_t kGateSelector = 0x10110;
// VCA: a selector of the second list whose default is its first bit-20
// member (the amplitude envelope).
constexpr uint32_t kVcaSelector = 0x500010;

constexpr auto& row = AM_makeParamInfo;

using P = AM_SimpleVoiceMixer;

struct Table {
    AM_ParamInfo rows[P::kParameters];
};

Table buildTable()
{
    Table t{};
    AM_ParamInfo* r = t.rows;
    r[P::k_pPan] =
        row(P::k_pPan, "Pan", "Pan", k_kindFloat, -100, 100, 0, kSmoothedPublishedListed, 0);
    r[P::k_pVolume] =
        row(P::k_pVolume, "Vol", "Volume", k_kindFloat, 0, 100, 30, kSmoothedPublishedListed, 1);
    r[P::k_pGate] = row(P::k_pGate, "Gate", "Gate", k_kindInteger, 0, 0, 0, kGateSelector, 2);
    r[P::k_pVCA] = row(P::k_pVCA, "VCA", "VCA", k_kindInteger, 0, 0, 0, kVcaSelector, 3);
    r[P::k_pModSource] =
        row(P::k_pModSource, "ModSrc", "Modulation", k_kindInteger, 0, 0, 0, kSelector, 4);
    r[P::k_pModDepth] = row(P::k_pModDepth, "ModDpt", "ModDepth", k_kindFloat, -100, 100, 0,
                            kSmoothedPublishedListed, 5);
    r[P::k_pPanSource] =
        row(P::k_pPanSource, "PanSrc", "PanModulation", k_kindInteger, 0, 0, 0, kSelector, 4);
    r[P::k_pPanDepth] = row(P::k_pPanDepth, "PanDpt", "PanModDepth", k_kindFloat, -100, 100, 0,
                            kSmoothedPublishedListed, 5);
    return t;
}

const Table& table()
{
    static const Table t = buildTable();
    return t;
}

} // namespace

AM_SimpleVoiceMixer::AM_SimpleVoiceMixer(AM_EngineOwner* owner, const char* name, uint32_t variant,
                                         uint32_t outputBus)
    : AM_AudioObject(owner, name), variant_(variant), outputBus_(outputBus)
{
    setModuleFlags(kClassFlags, kParameters, variant, 0, 0);
}

AM_SimpleVoiceMixer::~AM_SimpleVoiceMixer() = default;

uint32_t AM_SimpleVoiceMixer::getVoiceMemorySize()
{
    return sizeof(AM_VoiceMixerVoice);
}

uint32_t AM_SimpleVoiceMixer::getGlobalMemorySize()
{
    return sizeof(AM_VoiceMixerGlobal);
}

void AM_SimpleVoiceMixer::prepare(AM_ProcessContext*)
{
    if (AM_VoiceMixerVoice* v = getVoice(0))
        v->reset = 1;
    if (AM_VoiceMixerGlobal* g = getGlobal()) {
        g->outputBus = outputBus_;
        g->channelCount = channelCount_;
        g->mode = mode_;
    }
}

const AM_ParamInfo* AM_SimpleVoiceMixer::getParameterTemplate(uint32_t local)
{
    return local < kParameters ? &table().rows[local] : nullptr;
}

void* AM_SimpleVoiceMixer::getParameterAddress(uint32_t local)
{
    AM_VoiceMixerGlobal* g = getGlobal();
    if (!g)
        return nullptr;
    switch (local) {
    case k_pPan:
        return &g->pan;
    case k_pVolume:
        return &g->volume;
    case k_pGate:
        return &g->gate;
    case k_pVCA:
        return &g->vca;
    case k_pModSource:
        return &g->modSource;
    case k_pModDepth:
        return &g->modDepth;
    case k_pPanSource:
        return &g->panSource;
    case k_pPanDepth:
        return &g->panDepth;
    default:
        return nullptr;
    }
}

void AM_SimpleVoiceMixer::parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext*)
{
    AM_VoiceMixerGlobal* g = getGlobal();
    if (!g || !local || !value || !std::isfinite(*value))
        return;
    const auto rounded = static_cast<int32_t>(std::floor(*value + 0.5f));
    switch (*local) {
    case k_pGate:
        g->gate = rounded;
        break;
    case k_pVCA:
        g->vca = rounded;
        break;
    case k_pModSource:
        g->modSource = rounded;
        break;
    default:
        break;
    }
}

void AM_SimpleVoiceMixer::voiceEvent(int32_t voice, int32_t type, float, float, AM_ProcessContext*)
{
    if (voice < 0)
        return;
    AM_VoiceMixerVoice* v = getVoice(static_cast<uint32_t>(voice));
    if (!v)
        return;
    if (type == k_voiceEventNoteOn) {
        v->reset = 1;
        v->fadeCountdown = 0;
    } else if (type == k_voiceEventFastRelease) {
        v->fadeCountdown = kFadeUnits;
        v->fadeLevel = 1.0f;
    }
}

AM_ProcessRoutine AM_SimpleVoiceMixer::getProcessRoutine(AM_ProcessContext*)
{
    return variant_ == kStereoVariant ? &AM_SimpleVoiceMixer::processFixedPan
                                      : &AM_SimpleVoiceMixer::process;
}

void AM_SimpleVoiceMixer::reset(AM_ChildRecord*)
{
    for (uint32_t copy = 0; copy < copyCount_; ++copy) {
        if (AM_VoiceMixerVoice* v = getVoice(copy)) {
            v->reset = 1;
            v->fadeCountdown = 0;
        }
    }
}

void AM_SimpleVoiceMixer::setMode(uint32_t mode)
{
    mode_ = mode;
    if (AM_VoiceMixerGlobal* g = getGlobal())
        g->mode = mode;
}

AM_VoiceMixerGlobal* AM_SimpleVoiceMixer::getGlobal() const
{
    return reinterpret_cast<AM_VoiceMixerGlobal*>(globalMemory_);
}

AM_VoiceMixerVoice* AM_SimpleVoiceMixer::getVoice(uint32_t voice) const
{
    if (!voiceMemory_ || voice >= copyCount_)
        return nullptr;
    return reinterpret_cast<AM_VoiceMixerVoice*>(voiceMemory_ +
                                                 static_cast<size_t>(voice) * (copyStride_ & ~3u));
}
