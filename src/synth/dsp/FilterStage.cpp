#include "synth/dsp/FilterStage.h"

#include "synth/dsp/VoiceControlLaws.h"

#include <algorithm>
#include <cmath>

namespace synthdsp {

namespace {

constexpr int32_t kModeLowHigh = 0;
constexpr int32_t kModeBand = 1;
constexpr int32_t kDestFilterFm = 2;
constexpr int32_t kRingFeedbackInput = 5; // RingModIn1 "VCF"

constexpr float kFilterFmFactor = 0.36f;
constexpr float kHeadroomScale = 0.1f;
constexpr float kMinHeadroom = 1.0f;
constexpr float kResonanceScale = 1.0f / 40.0f;
constexpr float kMaxResonance = 2.0f;
constexpr float kBoostStart = 0.8f;
constexpr float kBoostScale = 4.0f * 0.0005f;
constexpr float kPercent = 0.01f;
constexpr float kCutoffOffset = 12.0f; // taken off again per frame
constexpr float kKeyFollowScale = 0.64f;
constexpr float kKeyFollowOffset = 0.72f;
constexpr float kKeyFollowDetune = 0.0002f;
constexpr float kSpreadHalf = 50.0f;
constexpr float kSpreadOctaves = 2.0f;
constexpr int32_t kMaxPoles = 2; // 36 dB per octave
constexpr float kBothWeights = 2.0f;
constexpr double kHalfPi = 1.5707963267948966;

} // namespace

FilterBlock makeFilterBlock(const FilterSettings& s, float samplePeriod)
{
    FilterBlock b{};
    b.mode = s.mode;
    b.poles = std::clamp(s.poles, 0, kMaxPoles);
    b.ringModIn1 = s.ringModIn1;
    b.ringModIn2 = s.ringModIn2;
    b.ringModGain = levelToGain(s.ringModVolume);
    b.feedbackGain = levelToGain(s.feedbackVolume);
    b.feedbackUsed =
        b.feedbackGain != 0.0f || (b.ringModGain != 0.0f && b.ringModIn1 == kRingFeedbackInput);
    b.crossModDepth =
        s.audioRateDest == kDestFilterFm ? s.xModDepth * kFilterFmFactor : s.xModDepth;
    // A knee below 0 would flip the saturators' sign and zero the input gain.
    b.knee = std::max(s.clipping1, 0.0f);
    const float headroom = std::max(s.headroom1, kMinHeadroom) * kHeadroomScale;
    b.inputGain = (b.knee + 1.0f) / headroom;
    b.outputGain = headroom / (b.knee + 1.0f);
    b.resonance = s.resonance * kResonanceScale;
    b.extraGain = 0.0f;
    if (b.resonance > kMaxResonance) {
        b.resonance = kMaxResonance;
        b.extraGain = (s.resonance * kPercent - kBoostStart) * kBoostScale;
    }
    b.basePitch = s.cutoff + kCutoffOffset -
                  (kKeyFollowOffset - s.detune * s.voiceRow * kKeyFollowDetune) * s.keyFollow;
    b.keyFollowScale = s.keyFollow * kKeyFollowScale;
    b.fmDepth1 = s.fmDepth1;
    b.fmDepth2 = s.fmDepth2;
    // MixSpread 0: low-pass alone; 50: both at full weight; 100: high-pass alone.
    b.highpassWeight = std::min(s.mixSpread / kSpreadHalf, 1.0f);
    b.lowpassWeight = std::min(kBothWeights - s.mixSpread / kSpreadHalf, 1.0f);
    const float spread = s.mixSpread * kPercent;
    b.spreadUp = float(std::pow(2.0, double(kSpreadOctaves * spread)));
    b.spreadDown = float(std::pow(2.0, double(-kSpreadOctaves * spread)));
    b.argumentScale = float(double(samplePeriod) * kHalfPi);
    return b;
}

bool filterStageRuns(const FilterBlock& block)
{
    return block.mode == kModeLowHigh || block.mode == kModeBand;
}

void processFilterStage(FilterState& state, const FilterBlock& block, const FilterRows& rows,
                        int32_t frames, const FilterBuffers& buffers)
{
    if (block.mode == kModeLowHigh)
        processFilterLPHP(state, block, rows, frames, buffers);
    else if (block.mode == kModeBand)
        processFilterBP(state, block, rows, frames, buffers);
}

} // namespace synthdsp
