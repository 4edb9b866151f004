// The voice module's parameter table, value names and value addresses.

#include "synth/KestanAudio.h"
#include "synth/KestanVoiceRecord.h"

#include "params/object/AM_ParamInfo.h"

namespace {

using K = KestanAudio;

// Flag words of the table.
constexpr uint32_t kAutomatedSmooth = 0xF; // smoothed and published
constexpr uint32_t kSmoothHidden = 0x3;    // smoothed, not published
constexpr uint32_t kPublishedList = 0x4;
constexpr uint32_t kSelector = 0x10;
constexpr uint32_t kPublishedSelector = 0x14;
constexpr uint32_t kPlain = 0x0;
constexpr uint32_t kHiddenBit23Default = 0x800100;
constexpr uint32_t kHiddenGroupTwoSelector = 0x20110;
constexpr uint32_t kNotSaved = 0x400;

struct Row {
    const char* shortName;
    const char* longName;
    uint32_t type;
    float min, max, defaultValue;
    uint32_t flags;
    uint32_t group; // the display group
};

// clang-format off
const Row kRows[K::k_descriptorCount] = {
    {"Shp1", "Shape1", k_kindFloat, 1, 4, 3, kAutomatedSmooth, 4},
    {"TMSrc1", "TuneModSrc1", k_kindInteger, 0, 0, 0, kPublishedSelector, 4},
    {"TMDpt1", "TuneModDepth1", k_kindFloat, -24, 24, 0, kAutomatedSmooth, 5},
    {"Shp2", "Shape2", k_kindFloat, 1, 2, 2, kAutomatedSmooth, 4},
    {"Tune2", "Tune2", k_kindFloat, 0, 24, 0, kAutomatedSmooth, 1},
    {"Fine2", "FineTune2", k_kindFloat, -50, 50, 0, kAutomatedSmooth, 1},
    {"TMSrc2", "TuneModSrc2", k_kindInteger, 0, 0, 14, kPublishedSelector, 4},
    {"TMDpt2", "TuneModDepth2", k_kindFloat, -24, 24, 0, kAutomatedSmooth, 5},
    {"PWDpt", "PWDepth", k_kindFloat, 0, 50, 0, kAutomatedSmooth, 6},
    {"PWSrc", "PWSrc", k_kindInteger, 0, 0, 16, kPublishedSelector, 7},
    {"Detune", "Detune", k_kindFloat, -50, 50, 0, kAutomatedSmooth, 11},
    {"Sync", "SoftSync", k_kindFloat, 0, 100, 0, kAutomatedSmooth, 11},
    {"VtoS", "VibratoSrc", k_kindInteger, 0, 0, 0, kHiddenBit23Default, 2},
    {"VtoD", "Vibrato", k_kindFloat, 0, 100, 0, kAutomatedSmooth, 15},
    {"KeySrc", "KeySource", k_kindInteger, 0, 0, 0, kHiddenGroupTwoSelector, 2},
    {"KeyScl", "KeyScale", k_kindFloat, -200, 200, 100, k_paramHidden, 3},
    {"RMi1", "RingModIn1", k_kindInteger, 0, 5, 0, kPublishedList, 4},
    {"RMi2", "RingModIn2", k_kindInteger, 0, 2, 1, kPublishedList, 4},
    {"FBin", "FeedbackIn", k_kindInteger, 0, 3, 0, kPlain, 4},
    {"Noise", "NoiseColour", k_kindFloat, 1, 3, 1, kAutomatedSmooth, 1},
    {"OscVol1", "OscVolume1", k_kindFloat, -100, 25, -30, kAutomatedSmooth, 11},
    {"OscVol2", "OscVolume2", k_kindFloat, -100, 25, -30, kAutomatedSmooth, 11},
    {"SubVol", "SubVolume", k_kindFloat, -100, 25, -100, kAutomatedSmooth, 11},
    {"NseVol", "NoiseVolume", k_kindFloat, -100, 25, -100, kAutomatedSmooth, 11},
    {"RMVol", "RingModulator", k_kindFloat, -100, 25, -100, kAutomatedSmooth, 11},
    {"FBVol", "Feedback", k_kindFloat, -100, 25, -100, kAutomatedSmooth, 11},
    {"VCFmod", "VCFMode", k_kindInteger, 0, 1, 0, kPublishedList, 4},
    {"VCFPol", "VCFPoles", k_kindInteger, 0, 2, 1, kPublishedList, 4},
    {"Cutoff", "Cutoff", k_kindFloat, 30, 150, 150, kAutomatedSmooth, 1},
    {"FMSrc1", "FreqModSrc1", k_kindInteger, 0, 0, 14, kPublishedSelector, 7},
    {"FMDpt1", "FreqModDepth1", k_kindFloat, -120, 120, 0, kAutomatedSmooth, 8},
    {"FMSrc2", "FreqModSrc2", k_kindInteger, 0, 0, 15, kPublishedSelector, 7},
    {"FMDpt2", "FreqModDepth2", k_kindFloat, -120, 120, 0, kAutomatedSmooth, 8},
    {"KeyFol", "KeyFollow", k_kindFloat, 0, 100, 0, kAutomatedSmooth, 8},
    {"Res", "Resonance", k_kindFloat, 0, 100, 0, kAutomatedSmooth, 8},
    {"ResSrc", "ResSrc", k_kindInteger, 0, 0, 0, kSelector, 7},
    {"MxSp", "MixSpread", k_kindFloat, 0, 100, 0, kAutomatedSmooth, 6},
    {"MxSpSrc", "MixSpreadSrc", k_kindInteger, 0, 0, 0, kSelector, 7},
    {"ARSrc", "AudioRateSrc", k_kindInteger, 0, 0, 0, kPublishedList, 4},
    {"ARDest", "AudioRateDest", k_kindInteger, 0, 2, 0, kPublishedList, 4},
    {"ARDpt", "XModDepth", k_kindFloat, 0, 100, 0, kAutomatedSmooth, 8},
    {"ARMod", "AudioRateModSrc", k_kindInteger, 0, 0, 0, kPublishedSelector, 7},
    {"InGain", "InputGain", k_kindFloat, -48, 48, 0, kSmoothHidden, 8},
    {"HR1", "Headroom1", k_kindFloat, 1, 100, 50, kSmoothHidden, 8},
    {"CL1", "Clipping1", k_kindFloat, -1, 16, 0.2f, kSmoothHidden, 8},
    {"HR2", "Headroom2", k_kindFloat, 1, 100, 50, kSmoothHidden, 8},
    {"CL2", "Clipping2", k_kindFloat, -1, 16, 0.2f, kSmoothHidden, 8},
    {"apC", "AllpassCoeff", k_kindFloat, -200, 200, 80, kSmoothHidden, 8},
    {"Cmp", "CompCoeff", k_kindFloat, 0, 100, 0, kSmoothHidden, 8},
    {"OMode", "OptiMode", k_kindInteger, 0, 1, 1, kPlain, 4},
    {"HPPre", "HPPre", k_kindInteger, 0, 1, 1, kPlain, 4},
    {"HP_fc", "HP_fc", k_kindFloat, 0, 60, 2.4f, kSmoothHidden, 8},
    {"HP_Res", "HP_Res", k_kindFloat, 0, 100, 20, kSmoothHidden, 8},
    {"Plot", "Mag-Phase Plot", k_typeBinaryData, 0, float(K::kPlotBytes), 2, kNotSaved, 1},
};
// clang-format on

struct Table {
    Table()
    {
        for (uint32_t i = 0; i < K::k_descriptorCount; ++i) {
            const Row& r = kRows[i];
            AM_ParamInfo& info = rows[i];
            info = AM_ParamInfo{};
            info.index = i;
            AM_setShortName(info, r.shortName);
            AM_setLongName(info, r.longName);
            info.type = r.type;
            info.min = r.min;
            info.max = r.max;
            info.defaultValue = r.defaultValue;
            info.flags = r.flags;
            info.moduleIndex = -1;
            // The static table keeps the display group in the local-number
            // field, which the module base overwrites in the joint table.
            info.localNumber = r.group;
            info.publishedIndex = -1;
        }
    }
    AM_ParamInfo rows[K::k_descriptorCount];
};

const Table& table()
{
    static const Table t;
    return t;
}

// Value names, 32 bytes each.
const char kRingModIn1[][k_valueNameBytes] = {"Osc1",   "Osc2",     "SubOsc",
                                              "Osc1+2", "Osc1+Sub", "VCF"};
const char kRingModIn2[][k_valueNameBytes] = {"Osc1", "Osc2", "SubOsc"};
const char kFilterModes[][k_valueNameBytes] = {"LP / HP", "BP"};
const char kFilterPoles[][k_valueNameBytes] = {"12 dB/Oct", "24 dB/Oct", "36 dB/Oct"};
const char kAudioRateSources[][k_valueNameBytes] = {"Osc1"};
const char kAudioRateDestinations[][k_valueNameBytes] = {"Osc2 FM", "Osc2 PWM", "FilterFM"};

template <size_t N> int32_t names(const char (&list)[N][k_valueNameBytes], AM_ValueNames* out)
{
    if (out)
        *out = list;
    return static_cast<int32_t>(N);
}

} // namespace

static_assert(KestanAudio::k_parameterCount == 53, "the voice module has 53 parameters");
static_assert(KestanAudio::k_parameterCount <= sizeof(KestanGlobalRecord::values) / 4,
              "every parameter has a word in the global record");

const AM_ParamInfo* KestanAudio::descriptorTable()
{
    return table().rows;
}

const AM_ParamInfo* KestanAudio::getParameterTemplate(uint32_t local)
{
    return local < k_descriptorCount ? &table().rows[local] : nullptr;
}

int32_t KestanAudio::getValueStrings(uint32_t local, AM_ValueNames* list)
{
    switch (local) {
    case k_pRingModIn1:
        return names(kRingModIn1, list);
    case k_pRingModIn2:
        return names(kRingModIn2, list);
    case k_pVCFMode:
        return names(kFilterModes, list);
    case k_pVCFPoles:
        return names(kFilterPoles, list);
    case k_pAudioRateSrc:
        return names(kAudioRateSources, list);
    case k_pAudioRateDest:
        return names(kAudioRateDestinations, list);
    default:
        if (list)
            *list = nullptr;
        return 0;
    }
}

void* KestanAudio::getParameterAddress(uint32_t local)
{
    if (local >= k_parameterCount || !globalMemory_)
        return nullptr;
    return &reinterpret_cast<KestanGlobalRecord*>(globalMemory_)->values[local];
}
