// The filter stage's band-pass kernel.

#include "synth/dsp/FilterFrame.h"

namespace synthdsp {

namespace {

using namespace filterframe;

// The upper section's sine argument stops at 1.
constexpr float kMaxUpperArgument = 1.0f;
constexpr int32_t kWithUpper = 1;
constexpr int32_t kWithLower = 2;

// Per-lane coefficients (g, g up, g down, g), damping and gain of one frame.
struct Lanes {
    __m128 damping, gain, coefficient;
};

Lanes lanesOf(const FilterBlock& b, const FrameControl& c)
{
    float upper = c.argument * b.spreadUp;
    if (upper > kMaxUpperArgument)
        upper = kMaxUpperArgument;
    const float lower = c.argument * b.spreadDown;
    return {_mm_set1_ps(c.damping), _mm_set1_ps(c.laneGain),
            _mm_set_ps(c.coefficient, sinePolynomial(lower), sinePolynomial(upper), c.coefficient)};
}

template <bool Boosted, bool Feedback, bool Highpass>
void run(FilterState& st, const FilterBlock& b, const FilterRows& rows, int32_t frames,
         const FilterBuffers& in)
{
    const PitchTable& table = pitchTable();
    const __m128 knee = _mm_set1_ps(b.knee);
    const float upperWeight = b.poles >= kWithUpper ? 1.0f : 0.0f;
    const float lowerWeight = b.poles >= kWithLower ? 1.0f : 0.0f;
    __m128 band = _mm_load_ps(st.band);
    __m128 low = _mm_load_ps(st.low);
    float feedback = st.feedback;
    FeedbackLowpass feedbackLowpass(st);
    HighpassRun keyHighpass(Highpass ? *in.highpass : StateVariableHighpass{});
    FrameControl control{};
    alignas(16) float bands[kFilterSections];

    for (int32_t step = 0, first = 0; first < frames; ++step, first += kFramesPerStep) {
        const int32_t last = first + kFramesPerStep < frames ? first + kFramesPerStep : frames;
        const float pitchBase = stepPitch(b, rows, step) - kPitchOffset;
        const float crossMod = b.crossModDepth * rows.crossMod[step];
        // Without cross modulation the coefficients hold for the whole step.
        const bool perFrame = crossMod != 0.0f;
        control = frameControl(b, table, pitchBase);
        Lanes lanes = lanesOf(b, control);

        for (int32_t n = first; n < last; ++n) {
            if (perFrame) {
                control = frameControl(b, table, crossMod * in.work[2 * n + 1] + pitchBase);
                lanes = lanesOf(b, control);
            }
            const float mix = Highpass ? keyHighpass.tick(in.work[2 * n]) : in.work[2 * n];
            const float lowpassed = Feedback ? feedbackLowpass.run(feedback) : 0.0f;
            const float x = sectionInput(b, in, n, mix, lowpassed,
                                         Feedback ? feedbackTerm(b, lowpassed) : 0.0f);
            updateSections<Boosted>(_mm_set1_ps(x), lanes.damping, lanes.gain, lanes.coefficient,
                                    knee, band, low);
            _mm_store_ps(bands, band);
            const float y =
                (bands[0] + upperWeight * bands[1] + lowerWeight * bands[2]) * b.outputGain;
            in.work[2 * n] = y;
            in.work[2 * n + 1] = y;
            feedback = y;
        }
    }

    _mm_store_ps(st.band, band);
    _mm_store_ps(st.low, low);
    if (Feedback)
        feedbackLowpass.store(st);
    if constexpr (Highpass)
        keyHighpass.store(*in.highpass);
    st.feedback = feedback;
    st.lastCoefficient = control.coefficient;
    st.lastDamping = control.damping;
}

} // namespace

void processFilterBP(FilterState& state, const FilterBlock& block, const FilterRows& rows,
                     int32_t frames, const FilterBuffers& buffers)
{
    if (frames <= 0)
        return;
    const bool boosted = block.extraGain != 0.0f;
    if (buffers.highpass) {
        if (block.feedbackUsed)
            (boosted ? run<true, true, true> : run<false, true, true>)(state, block, rows, frames,
                                                                       buffers);
        else
            (boosted ? run<true, false, true> : run<false, false, true>)(state, block, rows, frames,
                                                                         buffers);
    } else if (block.feedbackUsed) {
        (boosted ? run<true, true, false> : run<false, true, false>)(state, block, rows, frames,
                                                                     buffers);
    } else {
        (boosted ? run<true, false, false> : run<false, false, false>)(state, block, rows, frames,
                                                                       buffers);
    }
}

} // namespace synthdsp
