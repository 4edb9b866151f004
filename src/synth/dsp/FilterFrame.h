#pragma once
// The per-frame steps that both filter kernels share: the cutoff and damping
// of a frame, the feedback path and the stage's input. Internal to the
// filter kernels.

#include "synth/dsp/FilterStage.h"
#include "synth/dsp/PitchTable.h"
#include "synth/dsp/PitchTableLookup.h"
#include "synth/dsp/Saturation.h"

namespace synthdsp::filterframe {

constexpr int32_t kFramesPerStep = 16;
constexpr int32_t kFramesPerHostSample = 4;
constexpr float kPitchOffset = 12.0f;
constexpr float kBlendStartPitch = 80.0f;
constexpr float kBlendSlope = 0.00625f;
constexpr float kFullResonance = 2.0f;
constexpr float kFrequencyDoubling = 2.0f;
constexpr float kBoostRolloff = 2e-5f;

constexpr float kFeedbackLeak = 0.99999f;
constexpr float kFeedbackDrive = 1.5f;
constexpr float kFeedbackKnee = 0.5f;
constexpr float kFeedbackTrim = 0.6666667f;
constexpr float kNoiseLevel = 0.001f;
constexpr float kInputDrive = 0.875f;
constexpr float kInputKnee = 0.75f;
constexpr float kInputTrim = 1.1428572f;

enum RingSource { kRingOsc1, kRingOsc2, kRingSub, kRingOsc12, kRingOsc1Sub, kRingFeedback };

// Cutoff coefficient, damping and lane gain of one frame.
struct FrameControl {
    float argument;    // x, held below pi/2
    float coefficient; // g = sin x
    float damping;     // k
    float laneGain;    // s
};

// The pitch base of a control step (without the cross modulation).
inline float stepPitch(const FilterBlock& b, const FilterRows& rows, int32_t step)
{
    return (rows.key[step] + 1.0f) * b.keyFollowScale + b.fmDepth1 * rows.fm1[step] +
           b.fmDepth2 * rows.fm2[step] + b.basePitch;
}

inline FrameControl frameControl(const FilterBlock& b, const PitchTable& table, float pitch)
{
    if (!(pitch >= kMinFilterPitch))
        pitch = kMinFilterPitch;
    if (pitch > kMaxFilterPitch)
        pitch = kMaxFilterPitch;
    float resonance = b.resonance;
    if (pitch > kBlendStartPitch) {
        const float blend = (pitch - kBlendStartPitch) * kBlendSlope;
        resonance = (1.0f - blend) * resonance + blend * kFullResonance;
    }
    const float doubled = kFrequencyDoubling * lookUpPitchFrequency(table, pitch);
    float argument = doubled * b.argumentScale;
    if (argument > kMaxCutoffArgument)
        argument = kMaxCutoffArgument;
    const float rolloff = doubled * kBoostRolloff;
    return {argument, sinePolynomial(argument), kFullResonance - resonance,
            1.0f + (1.0f - rolloff * rolloff) * b.extraGain};
}

// The three feedback biquads for the length of a block, copied into locals
// (the frame loop writes the work buffer through a float pointer, which
// would otherwise make the compiler reload every coefficient per frame).
// Each is a transposed direct form with a leaky first state; while a ramp
// runs, the coefficients advance by their increments after every frame.
class FeedbackLowpass {
public:
    explicit FeedbackLowpass(const FilterState& st)
    {
        for (int32_t b = 0; b < kFeedbackBiquads; ++b) {
            const BiquadRecord<float>& r = st.feedbackLowpass[b];
            for (int32_t i = 0; i < kCoefficients; ++i) {
                c_[b][i] = r.coefficient[i];
                d_[b][i] = r.increment[i];
                ramping_ = ramping_ || r.increment[i] != 0.0f;
            }
            z_[b][0] = r.state[0];
            z_[b][1] = r.state[1];
        }
    }

    void store(FilterState& st) const
    {
        for (int32_t b = 0; b < kFeedbackBiquads; ++b) {
            BiquadRecord<float>& r = st.feedbackLowpass[b];
            for (int32_t i = 0; i < kCoefficients; ++i)
                r.coefficient[i] = c_[b][i];
            r.state[0] = z_[b][0];
            r.state[1] = z_[b][1];
        }
    }

    // The previous output through the three biquads; the third's output.
    [[gnu::always_inline]] float run(float x)
    {
        for (int32_t b = 0; b < kFeedbackBiquads; ++b) {
            const float* c = c_[b];
            const float y = c[0] * x + kFeedbackLeak * z_[b][0];
            z_[b][0] = c[1] * x - c[3] * y + z_[b][1];
            z_[b][1] = c[2] * x - c[4] * y;
            x = y;
        }
        if (ramping_) {
            for (int32_t b = 0; b < kFeedbackBiquads; ++b)
                for (int32_t i = 0; i < kCoefficients; ++i)
                    c_[b][i] += d_[b][i];
        }
        return x;
    }

private:
    static constexpr int32_t kCoefficients = 5;
    float c_[kFeedbackBiquads][kCoefficients];
    float d_[kFeedbackBiquads][kCoefficients];
    float z_[kFeedbackBiquads][2];
    bool ramping_ = false;
};

// With the feedback at gain 0 the term is 0 without waiting for the biquads,
// which keeps them off the frame-to-frame dependency chain.
inline float feedbackTerm(const FilterBlock& b, float lowpassed)
{
    if (b.feedbackGain == 0.0f)
        return 0.0f;
    return softClipAboveKnee(lowpassed * b.feedbackGain * kFeedbackDrive, kFeedbackKnee) *
           kFeedbackTrim;
}

inline float ringModulator(const FilterBlock& b, const FilterBuffers& in, int32_t n,
                           float lowpassed)
{
    float first = 0.0f;
    switch (b.ringModIn1) {
    case kRingOsc1:
        first = in.osc1[n];
        break;
    case kRingOsc2:
        first = in.osc2[n];
        break;
    case kRingSub:
        first = in.sub[n];
        break;
    case kRingOsc12:
        first = in.osc1[n] + in.osc2[n];
        break;
    case kRingOsc1Sub:
        first = in.osc1[n] + in.sub[n];
        break;
    case kRingFeedback:
        first = lowpassed + 1.0f;
        break;
    default:
        break;
    }
    float second = 0.0f;
    switch (b.ringModIn2) {
    case kRingOsc1:
        second = in.osc1[n];
        break;
    case kRingOsc2:
        second = in.osc2[n];
        break;
    case kRingSub:
        second = in.sub[n];
        break;
    default:
        break;
    }
    return first * second * b.ringModGain;
}

// The stage's input for frame n: the mix (the frame's mix value after the
// high-pass), noise and ring modulator through the input soft clip, plus the
// feedback, times the input gain. (Inlined into the
// frame loops: a call per frame costs more than the work.)
[[gnu::always_inline]] inline float sectionInput(const FilterBlock& b, const FilterBuffers& in,
                                                 int32_t n, float mix, float lowpassed,
                                                 float feedback)
{
    const float noise = in.pinkNoise[n / kFramesPerHostSample];
    float u = noise * kNoiseLevel + mix;
    if (b.ringModGain != 0.0f)
        u += ringModulator(b, in, n, lowpassed);
    u *= kInputDrive;
    return (softClipAboveKnee(u, kInputKnee) * kInputTrim + feedback) * b.inputGain;
}

// One update of the four sections: h = x - S sat(K A + B); A := S sat(A + G h);
// B := S sat(B + G A). Returns h. Without the resonance boost every lane gain
// S is 1 and its products are left out. A + G h is formed as (A + G x) -
// G s with s the first saturator's output, so that only a product and a
// difference lie between that saturator and the next.
template <bool Boosted>
inline __m128 updateSections(__m128 x, __m128 damping, __m128 gain, __m128 coefficient, __m128 knee,
                             __m128& band, __m128& low)
{
    const auto scale = [gain](__m128 v) { return Boosted ? _mm_mul_ps(gain, v) : v; };
    const __m128 ahead = _mm_add_ps(band, _mm_mul_ps(coefficient, x));
    const __m128 s = scale(saturate4(_mm_add_ps(_mm_mul_ps(damping, band), low), knee));
    band = scale(saturate4(_mm_sub_ps(ahead, _mm_mul_ps(coefficient, s)), knee));
    low = scale(saturate4(_mm_add_ps(low, _mm_mul_ps(coefficient, band)), knee));
    return _mm_sub_ps(x, s);
}

} // namespace synthdsp::filterframe
