// The filter stage's low/high-pass kernel.

#include "synth/dsp/FilterFrame.h"

namespace synthdsp {

namespace {

using namespace filterframe;

constexpr float kOuterDampingScale = 0.5f; // lanes 0 and 1: 0.5 k + 1
constexpr int32_t kTwelve = 0;
constexpr int32_t kTwentyFour = 1;
constexpr int32_t kThirtySix = 2;

// The sections' inputs: lane 0 the new input, lane 1 the previous output of
// lane 0, lane 2 (the output lane) the new input (12 dB), the previous output
// of lane 0 (24 dB) or of lane 1 (36 dB), lane 3 its own previous output.
template <int32_t Poles> __m128 laneInputs(float x, __m128 previous)
{
    const __m128 input = _mm_set_ss(x);
    if constexpr (Poles == kTwelve) {
        const __m128 spread = _mm_shuffle_ps(_mm_set1_ps(x), previous, _MM_SHUFFLE(3, 0, 0, 0));
        return _mm_shuffle_ps(spread, spread, _MM_SHUFFLE(3, 0, 2, 0));
    } else if constexpr (Poles == kTwentyFour) {
        return _mm_move_ss(_mm_shuffle_ps(previous, previous, _MM_SHUFFLE(3, 0, 0, 0)), input);
    } else {
        return _mm_move_ss(_mm_shuffle_ps(previous, previous, _MM_SHUFFLE(3, 1, 0, 0)), input);
    }
}

// Per-lane damping (0.5 k + 1, 0.5 k + 1, k, k), gain (1, 1, s, 1) and the
// common coefficient of one frame.
struct Lanes {
    __m128 damping, gain, coefficient;
};

Lanes lanesOf(const FrameControl& c)
{
    const float k = c.damping;
    const float outer = kOuterDampingScale * k + 1.0f;
    return {_mm_set_ps(k, k, outer, outer), _mm_set_ps(1.0f, c.laneGain, 1.0f, 1.0f),
            _mm_set1_ps(c.coefficient)};
}

template <int32_t Poles, bool Boosted, bool Feedback, bool Highpass>
void run(FilterState& st, const FilterBlock& b, const FilterRows& rows, int32_t frames,
         const FilterBuffers& in)
{
    const PitchTable& table = pitchTable();
    const __m128 knee = _mm_set1_ps(b.knee);
    const __m128 highpass = _mm_set1_ps(b.highpassWeight);
    const __m128 lowpass = _mm_set1_ps(b.lowpassWeight);
    __m128 band = _mm_load_ps(st.band);
    __m128 low = _mm_load_ps(st.low);
    __m128 outputs = _mm_load_ps(st.laneOutput);
    float feedback = st.feedback;
    FeedbackLowpass feedbackLowpass(st);
    FrameControl control{};
    HighpassRun keyHighpass(Highpass ? *in.highpass : StateVariableHighpass{});

    for (int32_t step = 0, first = 0; first < frames; ++step, first += kFramesPerStep) {
        const int32_t last = first + kFramesPerStep < frames ? first + kFramesPerStep : frames;
        const float pitchBase = stepPitch(b, rows, step) - kPitchOffset;
        const float crossMod = b.crossModDepth * rows.crossMod[step];
        // Without cross modulation the coefficients hold for the whole step.
        const bool perFrame = crossMod != 0.0f;
        control = frameControl(b, table, pitchBase);
        Lanes lanes = lanesOf(control);

        for (int32_t n = first; n < last; ++n) {
            if (perFrame) {
                control = frameControl(b, table, crossMod * in.work[2 * n + 1] + pitchBase);
                lanes = lanesOf(control);
            }
            const float mix = Highpass ? keyHighpass.tick(in.work[2 * n]) : in.work[2 * n];
            const float lowpassed = Feedback ? feedbackLowpass.run(feedback) : 0.0f;
            const float x = sectionInput(b, in, n, mix, lowpassed,
                                         Feedback ? feedbackTerm(b, lowpassed) : 0.0f);
            const __m128 h =
                updateSections<Boosted>(laneInputs<Poles>(x, outputs), lanes.damping, lanes.gain,
                                        lanes.coefficient, knee, band, low);
            outputs = _mm_add_ps(_mm_mul_ps(highpass, h), _mm_mul_ps(lowpass, low));

            const float y =
                _mm_cvtss_f32(_mm_shuffle_ps(outputs, outputs, _MM_SHUFFLE(2, 2, 2, 2))) *
                b.outputGain;
            in.work[2 * n] = y;
            in.work[2 * n + 1] = y;
            feedback = y;
        }
    }

    _mm_store_ps(st.band, band);
    _mm_store_ps(st.low, low);
    _mm_store_ps(st.laneOutput, outputs);
    if (Feedback)
        feedbackLowpass.store(st);
    if constexpr (Highpass)
        keyHighpass.store(*in.highpass);
    st.feedback = feedback;
    st.lastCoefficient = control.coefficient;
    st.lastDamping = control.damping;
}

template <int32_t Poles, bool Highpass>
void runPoles(FilterState& state, const FilterBlock& block, const FilterRows& rows, int32_t frames,
              const FilterBuffers& buffers)
{
    const bool boosted = block.extraGain != 0.0f;
    if (block.feedbackUsed)
        (boosted ? run<Poles, true, true, Highpass>
                 : run<Poles, false, true, Highpass>)(state, block, rows, frames, buffers);
    else
        (boosted ? run<Poles, true, false, Highpass>
                 : run<Poles, false, false, Highpass>)(state, block, rows, frames, buffers);
}

template <int32_t Poles>
void runPoles(FilterState& state, const FilterBlock& block, const FilterRows& rows, int32_t frames,
              const FilterBuffers& buffers)
{
    if (buffers.highpass)
        runPoles<Poles, true>(state, block, rows, frames, buffers);
    else
        runPoles<Poles, false>(state, block, rows, frames, buffers);
}

} // namespace

void processFilterLPHP(FilterState& state, const FilterBlock& block, const FilterRows& rows,
                       int32_t frames, const FilterBuffers& buffers)
{
    if (frames <= 0)
        return;
    switch (block.poles) {
    case kTwelve:
        runPoles<kTwelve>(state, block, rows, frames, buffers);
        break;
    case kTwentyFour:
        runPoles<kTwentyFour>(state, block, rows, frames, buffers);
        break;
    default:
        runPoles<kThirtySix>(state, block, rows, frames, buffers);
        break;
    }
}

} // namespace synthdsp
