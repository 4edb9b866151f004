// The envelope's construction, parameter table, trigger list, messages and
// note events. The routine is in Pellor_ADSRProcess.cpp.

#include "synth/Pellor_ADSR.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/voice/AM_VoiceEvents.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ModSourceInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

constexpr uint32_t kClassFlags = k_classVoiceEventReceiver | k_classActiveByUsage;
// Modulation-source kinds: group 9; the VCA envelope is also the default
// member of the second list (bits 20 and 22), which the voice mixer's "VCA"
// chooses from.
constexpr uint32_t kVcaSourceKind = 0x590000;
constexpr uint32_t kSourceKind = 0x90000;

constexpr uint32_t kSmoothedPublishedListed = 0xF;
constexpr uint32_t kPublished = 0x4;
constexpr uint32_t kSelector = 0x14;
constexpr uint32_t kVelocitySelector = 0x30110;
constexpr uint32_t kPublishedNotify = 0x84;
constexpr float kLevelFull = 100.0f;
constexpr float kPercent = 0.01f;

const char kDefaultTriggers[][k_valueNameBytes] = {"Gate", "Single"};
const char kGateName[] = "Gate";
const char kSingleName[] = "Single";
const char kLoopName[] = "Loop";
constexpr int32_t kDecimalBase = 10;

constexpr auto& row = AM_makeParamInfo;

// The last decimal digit of a text, 0 when it has none.
int32_t lastDigit(const char* text)
{
    int32_t digit = 0;
    for (; *text != 0; ++text) {
        if (*text >= '0' && *text <= '9')
            digit = *text - '0';
    }
    return digit % kDecimalBase;
}

} // namespace

Pellor_ADSR::Pellor_ADSR(AM_EngineOwner* owner, const char* name, bool vca)
    : AM_AudioObject(owner, name), vca_(vca ? 1 : 0)
{
    setModuleFlags(kClassFlags, kParameters, 0, 1, 1);
    AM_STD::sprintn(labelText_, sizeof(labelText_), "ADSR %d", lastDigit(getName()));
    AM_ParamInfo* t = table_;
    t[k_pAttack] =
        row(k_pAttack, "Atk", "Attack", k_kindFloat, 0, 100, 1, kSmoothedPublishedListed, 1);
    t[k_pDecay] =
        row(k_pDecay, "Dec", "Decay", k_kindFloat, 0, 100, 50, kSmoothedPublishedListed, 2);
    t[k_pSustain] =
        row(k_pSustain, "Sus", "Sustain", k_kindFloat, 0, 100, 100, kSmoothedPublishedListed, 3);
    t[k_pFallRise] =
        row(k_pFallRise, "FR", "Fall-Rise", k_kindFloat, -100, 100, 0, kSmoothedPublishedListed, 3);
    t[k_pRelease] =
        row(k_pRelease, "Rel", "Release", k_kindFloat, 0, 100, 20, kSmoothedPublishedListed, 4);
    t[k_pVelocity] =
        row(k_pVelocity, "Vel", "Velocity", k_kindFloat, 0, 100, 0, kSmoothedPublishedListed, 5);
    t[k_pVelocitySource] = row(k_pVelocitySource, "VSrc", "VelocitySource", k_kindInteger, 0, 0, 0,
                               kVelocitySelector, 6);
    t[k_pRateMod] =
        row(k_pRateMod, "RMod", "RateMod", k_kindFloat, -100, 100, 0, kSmoothedPublishedListed, 5);
    t[k_pRateSource] =
        row(k_pRateSource, "RMSrc", "RateModSource", k_kindInteger, 1, 0, 0, kSelector, 6);
    t[k_pLevelMod] = row(k_pLevelMod, "LMod", "LevelMod", k_kindFloat, -100, 100, 0,
                         kSmoothedPublishedListed, 5);
    t[k_pLevelSource] =
        row(k_pLevelSource, "LMSrc", "LevelModSource", k_kindInteger, 0, 0, 0, kSelector, 6);
    t[k_pConstantRate] =
        row(k_pConstantRate, "CRate", "ConstantRate", k_kindInteger, 0, 1, 0, kPublished, 6);
    t[k_pSnappy] = row(k_pSnappy, "Snappy", "SnappyMode", k_kindInteger, 0, 1, 0, kPublished, 6);
    t[k_pFallRiseRange] = row(k_pFallRiseRange, "FRRng", "FallRiseRange", k_kindFloat, 0, 100, 100,
                              kSmoothedPublishedListed, 2);
    t[k_pLabel] =
        row(k_pLabel, "Label", "Label", k_typeTextData, 0, kLabelBytes, 0, k_paramTextData, 0);
    t[k_pAttract] =
        row(k_pAttract, "Attr", "Attract", k_kindFloat, 0, 100, 0, kSmoothedPublishedListed, 1);
    t[k_pLag] = row(k_pLag, "Lag", "Lag", k_kindFloat, 0, 100, 0, kSmoothedPublishedListed, 1);
    // Saved by name: the two envelopes list different triggers, so a number
    // would change meaning when one envelope's preset is read into the other.
    t[k_pTrigger] = row(k_pTrigger, "Trig", "Trigger", k_kindInteger, 0, 1, 0,
                        kPublishedNotify | k_paramValueStrings, 6);
}

Pellor_ADSR::~Pellor_ADSR() = default;

void Pellor_ADSR::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    Pellor_ADSRGlobal* g = getGlobal();
    switch (message) {
    case k_msgRestartAttack:
        if (triggerModule_ && sender == triggerModule_)
            restart(arg);
        return;
    case k_msgRelease:
        if (triggerModule_ && sender == triggerModule_)
            releaseVoice(arg);
        return;
    case k_msgFirstVoiceStarted:
        if (g)
            g->singleFlag = k_adsrSingleFirstVoice;
        return;
    case k_msgAllVoicesEnded:
        if (g)
            g->singleFlag = k_adsrSingleAllEnded;
        return;
    default:
        AM_AudioObject::receiveMessage(sender, message, arg, ptr);
    }
}

uint32_t Pellor_ADSR::getVoiceMemorySize()
{
    return sizeof(Pellor_ADSRVoice);
}

uint32_t Pellor_ADSR::getGlobalMemorySize()
{
    return sizeof(Pellor_ADSRGlobal);
}

void Pellor_ADSR::prepare(AM_ProcessContext*)
{
    if (Pellor_ADSRGlobal* g = getGlobal())
        g->ownRow = static_cast<int32_t>(getFirstControlRow());
    // Voices start silent (the copies take this over), so that an envelope
    // that notes do not start stays silent until it is restarted.
    if (Pellor_ADSRVoice* v = getVoice(0)) {
        v->stage = k_adsrEnded;
        v->level = 0.0f;
        v->output = 0.0f;
    }
}

const AM_ParamInfo* Pellor_ADSR::getParameterTemplate(uint32_t local)
{
    if (local >= kParameters)
        return nullptr;
    if (local == k_pTrigger && triggerCount_ > 0)
        table_[k_pTrigger].max = static_cast<float>(triggerCount_ - 1);
    return &table_[local];
}

int32_t Pellor_ADSR::getValueStrings(uint32_t local, AM_ValueNames* list)
{
    if (local != k_pTrigger || !list)
        return 0;
    if (triggerCount_ > 0) {
        *list = triggers_;
        return static_cast<int32_t>(triggerCount_);
    }
    *list = kDefaultTriggers;
    return static_cast<int32_t>(std::size(kDefaultTriggers));
}

void* Pellor_ADSR::getParameterAddress(uint32_t local)
{
    if (local == k_pLabel)
        return labelText_;
    Pellor_ADSRGlobal* g = getGlobal();
    if (!g)
        return nullptr;
    switch (local) {
    case k_pAttack:
        return &g->attack;
    case k_pDecay:
        return &g->decay;
    case k_pSustain:
        return &g->sustain;
    case k_pFallRise:
        return &g->fallRise;
    case k_pRelease:
        return &g->release;
    case k_pVelocity:
        return &g->velocity;
    case k_pVelocitySource:
        return &g->velocitySource;
    case k_pRateMod:
        return &g->rateMod;
    case k_pRateSource:
        return &g->rateSource;
    case k_pLevelMod:
        return &g->levelMod;
    case k_pLevelSource:
        return &g->levelSource;
    case k_pConstantRate:
        return &g->constantRate;
    case k_pSnappy:
        return &g->snappy;
    case k_pFallRiseRange:
        return &g->fallRiseRange;
    case k_pAttract:
        return &g->attract;
    case k_pLag:
        return &g->lag;
    case k_pTrigger:
        return &g->trigger;
    default:
        return nullptr;
    }
}

void Pellor_ADSR::parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext*)
{
    Pellor_ADSRGlobal* g = getGlobal();
    if (!local || *local != k_pTrigger || !value || !g || triggerCount_ == 0 ||
        !std::isfinite(*value))
        return;
    const float place = std::floor(*value);
    if (place < 0.0f || place >= static_cast<float>(triggerCount_))
        return;
    const char* name = triggers_[static_cast<uint32_t>(place)];
    if (std::strcmp(name, kGateName) == 0) {
        g->triggerMode = k_adsrGate;
    } else if (std::strcmp(name, kSingleName) == 0) {
        g->triggerMode = k_adsrSingle;
    } else if (std::strcmp(name, kLoopName) == 0) {
        g->triggerMode = k_adsrLoop;
    } else {
        AM_AudioObject* module = owner_ ? owner_->getModuleByName(name) : nullptr;
        triggerModule_ = module;
        if (module)
            g->triggerMode = k_adsrTriggered;
        return;
    }
    // Only the triggered mode listens to a module.
    triggerModule_ = nullptr;
}

void Pellor_ADSR::voiceEvent(int32_t voice, int32_t type, float velocity, float, AM_ProcessContext*)
{
    Pellor_ADSRGlobal* g = getGlobal();
    if (!g || voice < 0)
        return;
    const bool starts = type == k_voiceEventNoteOn || type == k_voiceEventRetrigger;
    if (!starts && type != k_voiceEventNoteOff)
        return;
    uint32_t target = static_cast<uint32_t>(voice);
    if (g->triggerMode == k_adsrSingle) {
        // One envelope for all voices: the first note after silence starts
        // it, the last key up releases it.
        if (starts) {
            if (g->singleFlag == k_adsrSingleUsed)
                return;
            g->singleFlag = k_adsrSingleUsed;
        } else if (g->singleFlag != k_adsrSingleAllEnded) {
            return;
        }
        target = 0;
    }
    Pellor_ADSRVoice* v = getVoice(target);
    if (!v)
        return;
    const float clamped = std::isfinite(velocity) ? std::clamp(velocity, 0.0f, 1.0f) : 0.0f;
    if (type == k_voiceEventNoteOn)
        noteOn(*v, clamped);
    else if (type == k_voiceEventRetrigger)
        retrigger(*v, clamped);
    else
        noteOff(*v);
}

void Pellor_ADSR::noteOn(Pellor_ADSRVoice& v, float velocity)
{
    const Pellor_ADSRGlobal& g = *getGlobal();
    v.gate = 1;
    v.velocity = velocity;
    if (g.triggerMode == k_adsrTriggered && !vca_)
        return;
    if (g.attack > 0.0f) {
        v.stage = k_adsrAttack;
        v.level = 0.0f;
    } else if (g.decay > 0.0f) {
        v.stage = k_adsrDecay;
        v.level = kLevelFull;
    } else if (g.sustain <= 0.0f && g.fallRise <= 0.0f) {
        v.stage = k_adsrEnded;
        v.level = 0.0f;
    } else {
        v.stage = k_adsrSustain;
        v.level = g.sustain;
    }
    v.output = v.level * kPercent;
}

void Pellor_ADSR::retrigger(Pellor_ADSRVoice& v, float velocity)
{
    const Pellor_ADSRGlobal& g = *getGlobal();
    v.gate = 1;
    if (g.triggerMode == k_adsrTriggered && !vca_)
        return;
    // A new velocity changes the velocity gain; the level makes up for it,
    // so that the output does not jump.
    if (g.velocity > 0.0f && velocity != v.velocity) {
        const float amount = g.velocity * kPercent;
        const float gain = velocity * amount + (1.0f - amount);
        if (gain > 0.0f)
            v.level = v.output / gain * kLevelFull;
    }
    if (g.attack > 0.0f) {
        v.stage = v.level > kLevelFull ? k_adsrDecay : k_adsrAttack;
    } else if (g.decay > 0.0f) {
        v.level = kLevelFull;
        v.stage = k_adsrDecay;
    } else if (g.sustain <= 0.0f && g.fallRise <= 0.0f) {
        v.stage = k_adsrEnded;
        v.level = 0.0f;
        v.output = 0.0f;
    } else {
        v.stage = k_adsrSustain;
        v.level = g.sustain;
    }
    v.velocity = velocity;
}

void Pellor_ADSR::noteOff(Pellor_ADSRVoice& v)
{
    const Pellor_ADSRGlobal& g = *getGlobal();
    v.gate = 0;
    if (g.triggerMode == k_adsrTriggered && !vca_)
        return;
    if (v.stage < k_adsrEnded)
        v.stage = k_adsrRelease;
}

void Pellor_ADSR::restart(uint32_t voice)
{
    const uint32_t first = voice == kAllVoices ? 0 : voice;
    const uint32_t end = voice == kAllVoices ? copyCount_ : voice + 1;
    for (uint32_t i = first; i < end; ++i) {
        Pellor_ADSRVoice* v = getVoice(i);
        if (v && (!vca_ || v->gate != 0))
            v->stage = k_adsrAttack;
    }
}

void Pellor_ADSR::releaseVoice(uint32_t voice)
{
    const uint32_t first = voice == kAllVoices ? 0 : voice;
    const uint32_t end = voice == kAllVoices ? copyCount_ : voice + 1;
    for (uint32_t i = first; i < end; ++i) {
        if (Pellor_ADSRVoice* v = getVoice(i))
            v->stage = k_adsrRelease;
    }
}

AM_ProcessRoutine Pellor_ADSR::getProcessRoutine(AM_ProcessContext*)
{
    return &Pellor_ADSR::process;
}

void Pellor_ADSR::getModSourceInfo(uint32_t i, AM_ModSourceInfo* info)
{
    AM_AudioObject::getModSourceInfo(i, info);
    if (!info)
        return;
    info->flags = vca_ ? kVcaSourceKind : kSourceKind;
    info->span = 1;
}

void Pellor_ADSR::setTriggerList(const char (*names)[kTriggerNameBytes], uint32_t count)
{
    if (!names)
        count = 0;
    if (count > static_cast<uint32_t>(kMaxTriggers)) {
        AM_STD::printv("Pellor_ADSR %s: %d trigger names, %d kept", getName(),
                       static_cast<int32_t>(count), kMaxTriggers);
        count = kMaxTriggers;
    }
    for (uint32_t i = 0; i < count; ++i) {
        // An entry fills at most its 32 bytes, terminator included.
        const char* end = static_cast<const char*>(std::memchr(names[i], 0, kTriggerNameBytes));
        const size_t length = end ? static_cast<size_t>(end - names[i]) : kTriggerNameBytes - 1;
        std::memcpy(triggers_[i], names[i], length);
        std::memset(triggers_[i] + length, 0, kTriggerNameBytes - length);
    }
    triggerCount_ = count;
}

Pellor_ADSRGlobal* Pellor_ADSR::getGlobal() const
{
    return reinterpret_cast<Pellor_ADSRGlobal*>(globalMemory_);
}

Pellor_ADSRVoice* Pellor_ADSR::getVoice(uint32_t voice) const
{
    if (!voiceMemory_ || voice >= copyCount_)
        return nullptr;
    return reinterpret_cast<Pellor_ADSRVoice*>(voiceMemory_ +
                                               static_cast<size_t>(voice) * (copyStride_ & ~3u));
}
