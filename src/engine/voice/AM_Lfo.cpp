// The LFO's construction, parameter tables, value names, messages, note
// events and reset. The routines are in AM_LfoProcess.cpp.

#include "engine/voice/AM_Lfo.h"

#include "engine/module/AM_Random.h"
#include "engine/voice/AM_VoiceEvents.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_ModSourceInfo.h"

#include <cmath>
#include <iterator>
#include <numbers>

namespace {

constexpr uint32_t kClassFlags =
    k_classVoiceEventReceiver | k_classActiveByUsage | k_classSwitchable;
constexpr uint32_t kSourceKindBits = 0x80001;
constexpr uint32_t kSharedSourceBit = 0x800000;

// Kinds and flags of the table rows.
constexpr uint32_t kPublished = 0x4;
constexpr uint32_t kBroadcast = 0x20;
constexpr uint32_t kSmoothedPublished = 0xB;
constexpr uint32_t kSmoothedPublishedListed = 0xF;
constexpr uint32_t kSelector = 0x10;
constexpr uint32_t kSelectorModWheelGroup = 0x60010;

// Name-dependent defaults: "1/16" with full depth modulation, or "1/1" with
// none.
constexpr float kFirstLfoSync = 2.0f;
constexpr float kFirstLfoDepth = 100.0f;
constexpr float kOtherLfoSync = 6.0f;
constexpr float kOtherLfoDepth = 0.0f;

// "Trig" of the single-parameter form: off, every bar, 2 to 32 bars.
constexpr int32_t kMaxBars = 32;

// The two-pole smoother of the per-block routine runs at 80 Hz.
constexpr double kSmootherHertz = 80.0;
constexpr double kSmootherScale = 2.0;

constexpr auto& row = AM_makeParamInfo;

const char kSyncNames[][k_valueNameBytes] = {
    "0.1s",    "1s",        "10s",      "1/64",     "1/32",     "1/16",     "1/8",
    "1/4",     "1/2",       "1/1",      "1/32 dot", "1/16 dot", "1/8 dot",  "1/4 dot",
    "1/2 dot", "1/16 trip", "1/8 trip", "1/4 trip", "1/2 trip", "1/1 trip", "2/1",
    "3/1",     "4/1",       "5/1",      "6/1",      "7/1",      "8/1"};
static_assert(std::size(kSyncNames) == AM_Lfo::kLastSync - AM_Lfo::kFirstSync + 1,
              "one name per Sync value");

const char kRestartNames[][k_valueNameBytes] = {"sync", "gate", "single"};
const char kWaveNames[][k_valueNameBytes] = {"sine",      "triangle",  "saw up",    "saw down",
                                             "sqr hi-lo", "sqr lo-hi", "rand hold", "rand glide"};

struct BarNames {
    char names[kMaxBars + 1][k_valueNameBytes];
};

BarNames buildBarNames()
{
    BarNames b{};
    AM_STD::sprintn(b.names[0], k_valueNameBytes, "off");
    AM_STD::sprintn(b.names[1], k_valueNameBytes, "each bar");
    for (int32_t bars = 2; bars <= kMaxBars; ++bars)
        AM_STD::sprintn(b.names[bars], k_valueNameBytes, "%d bars", bars);
    return b;
}

const BarNames& barNames()
{
    static const BarNames names = buildBarNames();
    return names;
}

} // namespace

AM_Lfo::AM_Lfo(AM_EngineOwner* owner, const char* name, bool sharedParameters)
    : AM_AudioObject(owner, name), sharedParameters_(sharedParameters ? 1 : 0)
{
    setModuleFlags(kClassFlags, sharedParameters ? kSharedParameters : kSingleParameters, 0, 1, 1);
    const bool first = AM_STD::findString("1", getName()) >= 1;
    const float syncDefault = first ? kFirstLfoSync : kOtherLfoSync;
    const float depthDefault = first ? kFirstLfoDepth : kOtherLfoDepth;
    AM_ParamInfo* t = table_;
    t[k_pSync] = row(k_pSync, "Sync", "Sync", k_kindInteger, kFirstSync, kLastSync, syncDefault,
                     kPublished, 0);
    t[k_pTrigger] = sharedParameters
                        ? row(k_pTrigger, "Trig", "Restart", k_kindInteger, 0, k_restartRandom,
                              k_restartGate, 0, 0)
                        : row(k_pTrigger, "Trig", "Restart", k_kindInteger, 0, kMaxBars, 0, 0, 0);
    t[k_pWave] = row(k_pWave, "Wave", "Waveform", k_kindInteger, 0, k_waveRandomGlide,
                     k_waveTriangle, kBroadcast, 0);
    t[k_pPhase] = row(k_pPhase, "Phse", "Phase", k_kindFloat, 0, 100, 0, kSmoothedPublished, 1);
    t[k_pMeter] = row(k_pMeter, "VMet", "ValueMeter", k_meter, -1, 1, 0, 0, 1);
    t[k_pDelay] =
        row(k_pDelay, "Dly", "Delay", k_kindFloat, 0, 100, 0, kSmoothedPublishedListed, 1);
    t[k_pDepthSource] = row(k_pDepthSource, "DMS1", "DepthMod Src1", k_kindInteger, 0, 0, 0,
                            kSelectorModWheelGroup, 0);
    t[k_pDepth] = row(k_pDepth, "DMD1", "DepthMod Dpt1", k_kindFloat, 0, 100, depthDefault,
                      kSmoothedPublished, 1);
    t[k_pRate] = row(k_pRate, "Rate", "Rate", k_kindFloat, -5, 5, 0, kSmoothedPublished, 1);
    t[k_pRateSource] =
        row(k_pRateSource, "FMS1", "FreqMod Src1", k_kindInteger, 0, 0, 0, kSelector, 0);
    t[k_pRateDepth] =
        row(k_pRateDepth, "FMD1", "FreqMod Dpt", k_kindFloat, -5, 5, 0, kSmoothedPublished, 1);
}

AM_Lfo::~AM_Lfo() = default;

void AM_Lfo::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == k_msgFirstVoiceStarted) {
        if (AM_LfoGlobal* g = getGlobal())
            g->restartFlag = 1;
        return;
    }
    if (message == k_msgAllVoicesEnded)
        return;
    AM_AudioObject::receiveMessage(sender, message, arg, ptr);
}

uint32_t AM_Lfo::getVoiceMemorySize()
{
    return sizeof(AM_LfoVoice);
}

uint32_t AM_Lfo::getGlobalMemorySize()
{
    return sizeof(AM_LfoGlobal);
}

void AM_Lfo::prepare(AM_ProcessContext*)
{
    AM_LfoGlobal* g = getGlobal();
    if (!g)
        return;
    g->ownRow = getFirstControlRow();
    g->sharedParameters = sharedParameters_;
}

const AM_ParamInfo* AM_Lfo::getParameterTemplate(uint32_t local)
{
    return local < parameterCount_ ? &table_[local] : nullptr;
}

int32_t AM_Lfo::getValueStrings(uint32_t local, AM_ValueNames* list)
{
    if (!list)
        return 0;
    switch (local) {
    case k_pSync:
        *list = kSyncNames;
        return static_cast<int32_t>(std::size(kSyncNames));
    case k_pTrigger:
        if (sharedParameters_) {
            *list = kRestartNames;
            return static_cast<int32_t>(std::size(kRestartNames));
        }
        *list = barNames().names;
        return kMaxBars + 1;
    case k_pWave:
        *list = kWaveNames;
        return static_cast<int32_t>(std::size(kWaveNames));
    default:
        return 0;
    }
}

void* AM_Lfo::getParameterAddress(uint32_t local)
{
    AM_LfoGlobal* g = getGlobal();
    if (!g)
        return nullptr;
    switch (local) {
    case k_pSync:
        return &g->sync;
    case k_pTrigger:
        return &g->trigger;
    case k_pWave:
        return &g->wave;
    case k_pPhase:
        return &g->phaseOffset;
    case k_pMeter:
        return &g->meter;
    case k_pDelay:
        return &g->delay;
    case k_pDepthSource:
        return &g->depthSource;
    case k_pDepth:
        return &g->depth;
    case k_pRate:
        return &g->rate;
    case k_pRateSource:
        return &g->rateSource;
    case k_pRateDepth:
        return &g->rateDepth;
    case k_pDepth2:
        return &g->depth2;
    case k_pDepthSource2:
        return &g->depthSource2;
    default:
        return nullptr;
    }
}

void AM_Lfo::voiceEvent(int32_t voice, int32_t type, float, float, AM_ProcessContext*)
{
    AM_LfoGlobal* g = getGlobal();
    if (type != k_voiceEventNoteOn || !g || voice < 0)
        return;
    if (!sharedParameters_) {
        if (AM_LfoVoice* v = getVoice(static_cast<uint32_t>(voice)))
            v->delayRamp = 0.0f;
        return;
    }
    // One LFO for all voices runs on voice 0's record.
    const bool single = g->trigger == k_restartSingle;
    AM_LfoVoice* v = getVoice(single ? 0 : static_cast<uint32_t>(voice));
    if (!v)
        return;
    switch (g->trigger) {
    case k_restartSync:
        v->restartPending |= k_lfoSyncPending;
        break;
    case k_restartSingle:
        if (g->restartFlag == 0)
            return;
        AM_STD::printv("Single trigga!");
        g->restartFlag = 0;
        g->blockStamp = 0;
        [[fallthrough]];
    case k_restartGate:
        v->phase = 0.0;
        v->rampTarget = 0.0f;
        v->band = 0.0f;
        v->low = 0.0f;
        v->restartPending |= k_lfoFreshRamp;
        break;
    case k_restartRandom:
        v->phase = AM_Random::range(0.0f, 1.0f);
        v->rampTarget = 0.0f;
        v->band = 0.0f;
        v->low = 0.0f;
        v->restartPending |= k_lfoFreshRamp;
        break;
    default:
        v->delayRamp = 0.0f;
        return;
    }
    v->randomPrevious = AM_Random::range(-1.0f, 1.0f);
    v->randomNext = AM_Random::range(-1.0f, 1.0f);
    v->halfCycle = 0;
    v->delayRamp = 0.0f;
}

AM_ProcessRoutine AM_Lfo::getProcessRoutine(AM_ProcessContext*)
{
    return mode_ == 0 ? &AM_Lfo::processPerBlock : &AM_Lfo::processPerStep;
}

void AM_Lfo::reset(AM_ChildRecord*)
{
    AM_LfoGlobal* g = getGlobal();
    const AM_ProcessContext* ctx = context();
    if (g && ctx)
        g->smoothing = smootherCoefficient(ctx->samplePeriodD);
    for (uint32_t copy = 0; copy < copyCount_; ++copy) {
        if (AM_LfoVoice* v = getVoice(copy)) {
            v->phase = 0.0;
            v->barCounter = 0;
        }
    }
}

void AM_Lfo::getModSourceInfo(uint32_t i, AM_ModSourceInfo* info)
{
    AM_AudioObject::getModSourceInfo(i, info);
    if (info)
        info->flags |= kSourceKindBits | (sharedParameters_ ? kSharedSourceBit : 0);
}

float AM_Lfo::smootherCoefficient(double samplePeriod)
{
    return static_cast<float>(kSmootherScale *
                              std::sin(kSmootherHertz * std::numbers::pi * samplePeriod));
}

void AM_Lfo::setMode(uint32_t mode)
{
    mode_ = mode;
}

void AM_Lfo::clearModuleFlags(uint32_t flags)
{
    mask_ &= ~flags;
}

AM_LfoGlobal* AM_Lfo::getGlobal() const
{
    return reinterpret_cast<AM_LfoGlobal*>(globalMemory_);
}

AM_LfoVoice* AM_Lfo::getVoice(uint32_t voice) const
{
    if (!voiceMemory_ || voice >= copyCount_)
        return nullptr;
    return reinterpret_cast<AM_LfoVoice*>(voiceMemory_ +
                                          static_cast<size_t>(voice) * (copyStride_ & ~3u));
}
