// The envelope's routine: segment targets and bounds, the time law, rate and
// level modulation, the stage machine with its trigger modes, and the shared
// output of the Single mode. Audio thread; allocates nothing.

#include "synth/Pellor_ADSR.h"

#include "engine/voice/AM_ControlRows.h"
#include "engine/voice/AM_PowerOfTwo.h"
#include "foundation/AM_STD.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kPercent = 0.01f;
constexpr float kLevelFull = 100.0f;
constexpr float kAttackTarget = 115.0f;
// Targets lie this far beyond the level where a segment ends.
constexpr float kOvershoot = 1.0f;
// tau = 2000 (p / 100)^3; the distance to the target shrinks to 1 % in
// tau x 0.01 seconds.
constexpr double kTauScale = 2000.0;
constexpr double kOnePercentShare = 0.01;
constexpr double kLogOnePercent = -4.605170185988091;                  // ln(0.01)
constexpr double kSamplesPerValue = k_samplesPerUnit / k_stepsPerUnit; // 4
// Fall-rise below 10 in magnitude maps to slow times: p = 300 - 2.1 FR^2.
constexpr float kFallRiseKnee = 10.0f;
constexpr float kFallRiseSlowest = 300.0f;
constexpr float kFallRiseCurve = 2.1f;
// Rate modulation: 2^(RMod x 0.05 x source); Snappy: 3 x 2^(-4 x output).
constexpr float kRateModScale = 0.05f;
constexpr float kSnappyFactor = 3.0f;
constexpr float kSnappyOctaves = -4.0f;

// Where a segment goes and where it ends.
struct Segment {
    float target = 0.0f;
    double tau = 0.0;
    float lower = 0.0f;
    float upper = kLevelFull;
};

double tauOf(double p)
{
    const double share = p * kPercent;
    return kTauScale * share * share * share;
}

Segment lookUp(const Pellor_ADSRGlobal& g, int32_t stage)
{
    Segment s;
    float p = 0.0f;
    switch (stage) {
    case k_adsrAttack:
        p = g.attack;
        s.target = kAttackTarget;
        break;
    case k_adsrDecay:
        p = g.decay;
        s.target = (g.constantRate != 0 ? 0.0f : g.sustain) - kOvershoot - g.attract;
        s.lower = g.sustain;
        break;
    case k_adsrSustain:
        if (g.fallRise > 0.0f) {
            const float fr = g.fallRise;
            p = fr >= kFallRiseKnee ? kLevelFull - fr : kFallRiseSlowest - kFallRiseCurve * fr * fr;
            s.target = g.fallRiseRange >= kLevelFull
                           ? kLevelFull
                           : g.sustain + (kLevelFull - g.sustain) * g.fallRiseRange * kPercent;
            s.upper = s.target - kOvershoot;
        } else if (g.fallRise < 0.0f) {
            const float fr = g.fallRise;
            p = fr > -kFallRiseKnee ? kFallRiseSlowest - kFallRiseCurve * fr * fr : kLevelFull + fr;
            s.target = g.fallRiseRange >= kLevelFull
                           ? -kOvershoot
                           : g.sustain + (-kOvershoot - g.sustain) * g.fallRiseRange * kPercent;
            s.lower = s.target + kOvershoot;
        } else {
            p = g.decay;
            s.target = g.sustain;
        }
        break;
    case k_adsrRelease:
        p = g.release;
        s.target = -kOvershoot - g.attract;
        break;
    default:
        break;
    }
    s.tau = tauOf(p);
    return s;
}

// The one-pole coefficient per value (4 samples) of a segment time t; 0
// (jump to the target) for t = 0.
double coefficient(double t, float sampleRate)
{
    if (!(t > 0.0) || !(sampleRate > 0.0f))
        return 0.0;
    return std::exp(kSamplesPerValue * kLogOnePercent /
                    (t * static_cast<double>(sampleRate) * kOnePercentShare));
}

bool validStage(int32_t stage)
{
    return stage >= k_adsrAttack && stage < k_adsrEnded;
}

// An ended envelope keeps its row active only while a module may restart
// it with the key down.
bool rowStaysActive(const Pellor_ADSRGlobal& g, const Pellor_ADSRVoice& v)
{
    return validStage(v.stage) || (g.triggerMode == k_adsrTriggered && v.gate != 0);
}

// The next stage at a segment's end.
void advance(const Pellor_ADSRGlobal& g, Pellor_ADSRVoice& v, bool vca, int32_t unit)
{
    switch (g.triggerMode) {
    case k_adsrGate:
    case k_adsrSingle:
    case k_adsrTriggered:
        // Sustain holds until the note-off.
        if (v.stage != k_adsrSustain)
            ++v.stage;
        return;
    case k_adsrLoop:
        AM_STD::printv("%d Pellor_ADSRTrigger_Loop in %d", unit, v.stage);
        if (v.stage == k_adsrRelease) {
            if (vca) {
                AM_STD::printv("myObj->VCA");
                v.stage = v.gate != 0 ? k_adsrAttack : k_adsrEnded;
            } else {
                v.stage = k_adsrAttack;
            }
            AM_STD::printv("out STage %d", v.stage);
        } else {
            v.stage = v.stage == k_adsrDecay && g.fallRise == 0.0f ? k_adsrRelease : v.stage + 1;
            AM_STD::printv("out Stage %d", v.stage);
        }
        return;
    default:
        return;
    }
}

// One voice over units [firstUnit, endUnit), written into out (a row of 16
// values). Returns whether the row stays active: false only when the call
// finds the envelope ended already.
bool runVoice(const Pellor_ADSR& self, const Pellor_ADSRGlobal& g, Pellor_ADSRVoice& v,
              const AM_ProcessContext* ctx, int32_t firstUnit, int32_t endUnit, float* out)
{
    if (!validStage(v.stage)) {
        std::fill(out + firstUnit * k_stepsPerUnit, out + endUnit * k_stepsPerUnit, 0.0f);
        return rowStaysActive(g, v);
    }
    const bool rateFromOwn = g.rateSource == g.ownRow;
    const bool levelFromOwn = g.levelSource == g.ownRow;
    const float velocityShare = g.velocity * kPercent;
    const float velocityGain = (1.0f - velocityShare) + velocityShare * v.velocity;
    const float levelShare = g.levelMod * kPercent;
    Segment segment = lookUp(g, v.stage);
    int32_t lookedUp = v.stage;
    // The coefficient of the last time: without rate modulation the time
    // stays for a whole segment, and its exponential need not be taken again.
    double lastTime = std::numeric_limits<double>::quiet_NaN();
    double c = 0.0;
    for (int32_t unit = firstUnit; unit < endUnit; ++unit) {
        if (v.stage != lookedUp) {
            segment = lookUp(g, v.stage);
            lookedUp = v.stage;
        }
        const int32_t step = unit * k_stepsPerUnit;
        const float r = rateFromOwn ? v.output : AM_controlRowValue(ctx, g.rateSource, step);
        double t = segment.tau * AM_PowerOfTwo::cubic(g.rateMod * kRateModScale * r);
        if (g.snappy != 0)
            t *= kSnappyFactor * AM_PowerOfTwo::cubic(kSnappyOctaves * v.output);
        if (!(t == lastTime)) {
            c = coefficient(t, ctx->sampleRate);
            lastTime = t;
        }
        const float l = levelFromOwn ? v.output : AM_controlRowValue(ctx, g.levelSource, step);
        const float gain = ((velocityGain - levelShare) + levelShare * l) * kPercent;
        for (int32_t k = 0; k < k_stepsPerUnit; ++k) {
            v.level = static_cast<float>((v.level - segment.target) * c + segment.target);
            if (v.level > kLevelFull && v.stage != k_adsrDecay && v.stage != k_adsrRelease)
                v.level = kLevelFull;
            else if (v.level < 0.0f)
                v.level = 0.0f;
            v.output = gain * v.level;
            out[step + k] = v.output;
        }
        const bool atUpper =
            v.level >= segment.upper && v.stage != k_adsrDecay && v.stage != k_adsrRelease;
        if (v.level <= segment.lower || atUpper) {
            segment.lower = 0.0f;
            segment.upper = kLevelFull;
            advance(g, v, self.isVca(), unit);
            if (v.stage == k_adsrEnded) {
                // The end is stored as silence, so that a later restart
                // starts from 0. The row stays active through this call: the
                // next call, finding the end stage, lets it go.
                std::fill(out + step + k_stepsPerUnit, out + endUnit * k_stepsPerUnit, 0.0f);
                v.level = 0.0f;
                v.output = 0.0f;
                return true;
            }
        }
    }
    return true;
}

} // namespace

void Pellor_ADSR::process(int32_t* startP, int32_t* lengthP, AM_ChildRecord* record,
                          AM_ProcessContext* ctx)
{
    if (!record || !ctx || !record->object || !record->globalMemory || !record->voiceMemory)
        return;
    const int32_t start = std::clamp(startP ? *startP : 0, 0, k_maxUnitsPerBlock);
    const int32_t units = std::clamp(lengthP ? *lengthP : 0, 0, k_maxUnitsPerBlock - start);
    const auto& self = *static_cast<const Pellor_ADSR*>(record->object);
    Pellor_ADSRGlobal& g = *static_cast<Pellor_ADSRGlobal*>(record->globalMemory);
    float* row = AM_controlRow(ctx, g.ownRow);
    uint32_t* active = AM_rowActiveFlag(ctx, g.ownRow);
    if (!row || units == 0)
        return;
    const int32_t end = start + units;

    if (g.triggerMode != k_adsrSingle) {
        auto& v = *static_cast<Pellor_ADSRVoice*>(record->voiceMemory);
        const bool stays = runVoice(self, g, v, ctx, start, end, row);
        if (active)
            *active = stays ? 1 : 0;
        return;
    }

    // One envelope for all voices: voice 0's record computes the sub-block
    // from its first unit, as far as any voice has asked, into the shared
    // output; every voice receives the shared output, so a split first
    // stretch still leaves the whole sub-block computed once.
    Pellor_ADSRVoice* voice0 = self.getVoice(0);
    if (!voice0)
        return;
    if (g.blockStamp != ctx->blockCounter) {
        g.blockStamp = ctx->blockCounter;
        g.sharedSteps = 0;
    }
    const int32_t computed =
        static_cast<int32_t>(std::min<uint32_t>(g.sharedSteps, k_controlRowSteps)) / k_stepsPerUnit;
    if (computed < end) {
        const bool stays = runVoice(self, g, *voice0, ctx, computed, end, g.sharedOutput);
        g.sharedSteps = static_cast<uint32_t>(end * k_stepsPerUnit);
        g.sharedActive = stays ? 1 : 0;
    }
    std::copy(g.sharedOutput + start * k_stepsPerUnit, g.sharedOutput + end * k_stepsPerUnit,
              row + start * k_stepsPerUnit);
    if (active)
        *active = g.sharedActive;
}
