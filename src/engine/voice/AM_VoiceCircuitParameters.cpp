// The voice circuit's parameter table, value names, value addresses and
// modulation sources.

#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceEvents.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_ModSourceInfo.h"

#include <cstddef>
#include <cstring>

namespace {

using P = AM_VoiceCircuitMin;

constexpr uint32_t kPublished = 0x4;
constexpr uint32_t kVoiceOffsetFirst = P::k_pVoice1;
constexpr uint32_t kVoiceOffsetEnd = P::k_pVoice1 + k_voiceStackMax;
constexpr uint32_t kHeadRows = P::k_pFirstStep;

AM_ParamInfo row(const char* shortName, const char* longName, uint32_t type, float min, float max,
                 float defaultValue, uint32_t flags)
{
    return AM_makeParamInfo(0, shortName, longName, type, min, max, defaultValue, flags, 0);
}

struct StepField {
    const char* shortName;
    const char* longName;
    uint32_t type;
    float min, max, defaultValue;
    uint32_t flags;
};

const StepField kStepFields[k_arpStepFields] = {
    {"Agte", "Arp Gate", k_kindInteger, 0, 5, 2, 0},
    {"Atrp", "Arp Transpose", k_kindInteger, -12, 12, 0, 0},
    {"Avoc", "Arp Voices", k_kindInteger, 0, 6, 1, 0},
    {"Amul", "Arp Duration", k_kindInteger, 1, 4, 0, 0},
    {"Amod", "Arp Step Control", k_kindInteger, 0, 3, 0, 0},
    {"AMDpt", "Arp Step Mod", k_kindFloat, -100, 100, 0, 0x7},
};

struct Tables {
    AM_ParamInfo full[P::kFullParameters];
    AM_ParamInfo minimal[P::kMinimalParameters];
};

Tables buildTables()
{
    Tables t{};
    AM_ParamInfo* f = t.full;
    f[0] = row("Voices", "Voices", k_kindInteger, 0, 2, 1, 0x84);
    f[1] = row("Voicing", "Voice Stack", k_kindInteger, 1, 8, 1, 0x84);
    f[2] = row("Mode", "Mode", k_kindInteger, 0, 4, 0, 0xa4);
    f[3] = row("PortaM", "GlideMode", k_kindInteger, 0, 1, 0, 0xa4);
    f[4] = row("Porta", "Glide", k_kindFloat, 0, 100, 0, 0xf);
    f[5] = row("Porta2", "Glide2", k_kindFloat, -100, 100, 0, 0xf);
    f[6] = row("PRange", "PortaRange", k_kindFloat, 0, 100, 100, 0xf);
    f[7] = row("PB", "PitchBend Up", k_kindInteger, 0, 24, 2, 0);
    f[8] = row("PBD", "PitchBend Down", k_kindInteger, 0, 24, 2, 0);
    f[9] = row("Drft", "Drift", k_kindInteger, 0, 1, 1, 0);
    f[10] = row("MTunS", "TuningMode", k_kindInteger, 0, 1, 0, 0);
    f[11] = row("MTunN", "Tuning", k_typeTextData, 0, 64, 0, 0x8000080);
    f[12] = row("MTunT", "TuningTable", k_typeBinaryData, 0, 512, 1, 0x80);
    f[13] = row("Trsp", "Transpose", k_kindInteger, -24, 24, -12, 0);
    f[14] = row("FTun", "FineTuneCents", k_kindFloat, -50, 50, 0, 0);
    for (uint32_t v = 0; v < k_voiceStackMax; ++v) {
        char shortName[k_shortNameBytes];
        char longName[k_longNameBytes];
        AM_STD::sprintn(shortName, sizeof(shortName), "Vc%d", static_cast<int32_t>(v + 1));
        AM_STD::sprintn(longName, sizeof(longName), "Voice%d", static_cast<int32_t>(v + 1));
        f[kVoiceOffsetFirst + v] = row(shortName, longName, k_kindFloat, -24, 24, 0, 0);
    }
    f[P::k_pArpSync] = row("ArSc", "Arp Sync", k_kindInteger, 0, 16, 4, 0);
    f[P::k_pArpOrder] = row("ArOrd", "Arp Order", k_kindInteger, 0, 1, 0, 0);
    f[P::k_pArpLoop] = row("ArLp", "Arp Loop", k_kindInteger, 0, 3, 0, 0);
    f[P::k_pArpOctave] = row("ArOct", "Arp Octave", k_kindInteger, 0, 2, 1, 0);
    f[P::k_pArpLoopLength] = row("ArLL", "Arp Loop Length", k_kindInteger, 1, 16, 16, 0);
    f[P::k_pArpGlide] = row("ArTr", "Arp Glide", k_kindInteger, 0, 1, 0, 0);
    for (int32_t s = 0; s < k_arpSteps; ++s) {
        for (int32_t field = 0; field < k_arpStepFields; ++field) {
            const StepField& sf = kStepFields[field];
            char shortName[k_shortNameBytes];
            char longName[k_longNameBytes];
            AM_STD::sprintn(shortName, sizeof(shortName), "%s%d", sf.shortName, s + 1);
            AM_STD::sprintn(longName, sizeof(longName), "%s%d", sf.longName, s + 1);
            f[kHeadRows + k_arpStepFields * s + field] =
                row(shortName, longName, sf.type, sf.min, sf.max, sf.defaultValue, sf.flags);
        }
    }
    for (uint32_t i = 0; i < P::kFullParameters; ++i)
        f[i].index = i;

    for (uint32_t i = 0; i < P::kMinimalParameters; ++i)
        t.minimal[i] = f[i];
    t.minimal[P::k_pMode].max = static_cast<float>(P::k_minimalModeDuo);
    for (uint32_t i : {P::k_pBendUp, P::k_pBendDown, P::k_pTranspose, P::k_pFineTune})
        t.minimal[i].flags |= kPublished;
    return t;
}

const Tables& tables()
{
    static const Tables t = buildTables();
    return t;
}

const char kVoicesNames[][k_valueNameBytes] = {"few", "medium", "many"};
const char kModeNames[][k_valueNameBytes] = {"poly", "retrigger", "legato", "arpeggiator", "duo"};
const char kMinimalModeNames[][k_valueNameBytes] = {"poly", "mono", "legato", "duo"};
const char kGlideModeNames[][k_valueNameBytes] = {"time", "rate"};
const char kSyncNames[][k_valueNameBytes] = {
    "1/64",      "1/32",     "1/16",     "1/8",      "1/4",     "1/2",
    "1/1",       "1/32 dot", "1/16 dot", "1/8 dot",  "1/4 dot", "1/2 dot",
    "1/16 trip", "1/8 trip", "1/4 trip", "1/2 trip", "1/1 trip"};
const char kOrderNames[][k_valueNameBytes] = {"by note", "as played"};
const char kLoopNames[][k_valueNameBytes] = {"F -->", "B <--", "FB <->", "BF >-<"};
const char kStepTransposeNames[][k_valueNameBytes] = {
    "-12", "-11", "-10", "-9", "-8", "-7", "-6", "-5", "-4", "-3", "-2", "-1", "0",
    "1",   "2",   "3",   "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12"};
const char kStepControlNames[][k_valueNameBytes] = {"next", "same", "first", "last"};

template <size_t N> int32_t names(const char (&list)[N][k_valueNameBytes], AM_ValueNames* out)
{
    if (out)
        *out = list;
    return static_cast<int32_t>(N);
}

struct SourceName {
    const char* name;
    uint32_t kind;
};
const SourceName kSources[k_voiceRowCount] = {
    {"Gate", 0x410000},    {"KeyFollow", 0x20001}, {"KeyFollow2", 1},
    {"Velocity", 0x30000}, {"Pressure", 0x40000},  {"Alternate", 1},
    {"Random", 0xa0000},   {"Voice", 1},           {"ArpModulator", 0xa0001},
};

} // namespace

const AM_ParamInfo* AM_VoiceCircuitMin::getParameterTemplate(uint32_t local)
{
    const uint32_t circuitRows = getCircuitParameterCount();
    if (local < circuitRows)
        return AM_CircuitObject::getParameterTemplate(local);
    const uint32_t i = local - circuitRows;
    if (i >= ownParameterCount_)
        return nullptr;
    return minimalLayout_ ? &tables().minimal[i] : &tables().full[i];
}

int32_t AM_VoiceCircuitMin::getValueStrings(uint32_t local, AM_ValueNames* list)
{
    const uint32_t circuitRows = getCircuitParameterCount();
    if (local < circuitRows)
        return AM_CircuitObject::getValueStrings(local, list);
    const uint32_t i = local - circuitRows;
    if (i >= ownParameterCount_)
        return 0;
    switch (i) {
    case k_pVoices:
        return names(kVoicesNames, list);
    case k_pMode:
        return minimalLayout_ ? names(kMinimalModeNames, list) : names(kModeNames, list);
    case k_pGlideMode:
        return names(kGlideModeNames, list);
    case k_pArpSync:
        return names(kSyncNames, list);
    case k_pArpOrder:
        return names(kOrderNames, list);
    case k_pArpLoop:
        return names(kLoopNames, list);
    default:
        break;
    }
    if (i >= k_pFirstStep) {
        const uint32_t field = (i - k_pFirstStep) % k_arpStepFields;
        if (field == 1)
            return names(kStepTransposeNames, list);
        if (field == 4)
            return names(kStepControlNames, list);
    }
    return 0;
}

void* AM_VoiceCircuitMin::getParameterAddress(uint32_t local)
{
    const uint32_t circuitRows = getCircuitParameterCount();
    if (local < circuitRows)
        return AM_CircuitObject::getParameterAddress(local);
    const uint32_t i = local - circuitRows;
    AM_VoiceCircuitParams* p = getParams();
    if (!p || i >= ownParameterCount_)
        return nullptr;
    if (i >= kVoiceOffsetFirst && i < kVoiceOffsetEnd)
        return &p->voiceOffset[i - kVoiceOffsetFirst];
    if (i >= k_pFirstStep) {
        const uint32_t step = (i - k_pFirstStep) / k_arpStepFields;
        const uint32_t field = (i - k_pFirstStep) % k_arpStepFields;
        return reinterpret_cast<int32_t*>(&p->steps[step]) + field;
    }
    switch (i) {
    case k_pVoices:
        return &p->voices;
    case k_pVoiceStack:
        return &p->voiceStack;
    case k_pMode:
        return &p->mode;
    case k_pGlideMode:
        return &p->glideMode;
    case k_pGlide:
        return &p->glide;
    case k_pGlide2:
        return &p->glide2;
    case k_pPortaRange:
        return &p->portaRange;
    case k_pBendUp:
        return &p->bendUp;
    case k_pBendDown:
        return &p->bendDown;
    case k_pDrift:
        return &p->drift;
    case k_pTuningMode:
        return &p->tuningMode;
    case k_pTuning:
        return p->tuningName;
    case k_pTuningTable:
        return p->tuningTable;
    case k_pTranspose:
        return &p->transpose;
    case k_pFineTune:
        return &p->fineTune;
    case k_pArpSync:
        return &p->arpSync;
    case k_pArpOrder:
        return &p->arpOrder;
    case k_pArpLoop:
        return &p->arpLoop;
    case k_pArpOctave:
        return &p->arpOctave;
    case k_pArpLoopLength:
        return &p->arpLoopLength;
    case k_pArpGlide:
        return &p->arpGlide;
    default:
        break;
    }
    return nullptr;
}

// The defaults of every own parameter into the parameter block, so that the
// circuit plays sensibly before a parameter manager has set anything; the
// tuning table maps each key to itself.
void AM_VoiceCircuitMin::writeDefaults()
{
    AM_VoiceCircuitParams* p = getParams();
    const uint32_t circuitRows = getCircuitParameterCount();
    for (uint32_t i = 0; i < ownParameterCount_; ++i) {
        const AM_ParamInfo* info = getParameterTemplate(circuitRows + i);
        void* address = getParameterAddress(circuitRows + i);
        if (!info || !address)
            continue;
        if (info->kind() == k_kindFloat) {
            *static_cast<float*>(address) = info->defaultValue;
        } else if (info->kind() == k_kindInteger) {
            float value = info->defaultValue;
            if (value < info->min)
                value = info->min;
            const int32_t stored = static_cast<int32_t>(value);
            std::memcpy(address, &stored, sizeof(stored));
        }
    }
    std::memset(p->tuningName, 0, sizeof(p->tuningName));
    for (int32_t k = 0; k < k_tuningKeys; ++k)
        p->tuningTable[k] = static_cast<float>(k);
}

void AM_VoiceCircuitMin::getModSourceInfo(uint32_t i, AM_ModSourceInfo* info)
{
    if (!info)
        return;
    if (i < k_voiceRowCount) {
        AM_STD::sprintn(info->name, sizeof(info->name), "%s", kSources[i].name);
        info->flags = kSources[i].kind;
    } else {
        AM_STD::sprintn(info->name, sizeof(info->name), "%s %d", getLongName(),
                        static_cast<int32_t>(i));
        info->flags = k_sourceKindDefault;
    }
    info->span = 1;
}
