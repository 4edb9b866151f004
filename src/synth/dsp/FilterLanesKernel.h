#pragma once
// The lane kernel of the low/high-pass filter stage, written once over a
// vector type V and compiled by FilterLanesSse2.cpp (4 lanes) and
// FilterLanesAvx2.cpp (8 lanes, with AVX2 code generation). Everything here
// lies in an unnamed namespace, so each of the two files has its own copy:
// no function compiled for AVX2 can stand in for one the SSE2 file uses.
//
// Each lane repeats the operations of the one-voice kernel
// (FilterLowHighPass.cpp, FilterFrame.h, Saturation.h) in their order and
// with the same instructions' semantics (min and max with the operand order
// of the one-voice code), so a lane's results are the voice's, bit for bit.
// The V type provides: T, W (lanes), set1, zero, load (unaligned), store,
// add, sub, mul, div, min, max (the instructions' semantics: min(a, b) =
// a < b ? a : b, max(a, b) = a > b ? a : b), andnot (~a & b), band, bor,
// cmpnle (not a <= b, true for NaN), any (a mask with a lane set) and
// select (mask ? a : b).

#include "synth/dsp/FilterLanes.h"
#include "synth/dsp/StateVariableHighpass.h"

#include <cstddef>

namespace synthdsp {
namespace {

namespace lanekernel {

constexpr int32_t kTwelve = 0;
constexpr int32_t kTwentyFour = 1;
constexpr int32_t kSections = kFilterSections;
constexpr int32_t kBiquads = kFeedbackBiquads;
constexpr int32_t kCoefficients = 5;
constexpr int32_t kFramesPerStep = 16;

constexpr float kFeedbackLeak = 0.99999f;
constexpr float kFeedbackDrive = 1.5f;
constexpr float kFeedbackKnee = 0.5f;
constexpr float kFeedbackTrim = 0.6666667f;
constexpr float kPadeNumerator = 27.0f;
constexpr float kPadeDenominator = 9.0f;
constexpr float kSaturatorExcessLimit = 3.2825f;

template <class V> struct Ops {
    using T = typename V::T;

    // softClipAboveKnee: sign(v) (min(|v|, knee) + P(max(|v| - knee, 0))).
    static T softClip(T v, T knee)
    {
        const T sign = V::set1(-0.0f);
        const T magnitude = V::andnot(sign, v);
        const T excess = V::max(V::zero(), V::sub(magnitude, knee));
        const T x2 = V::mul(excess, excess);
        const T pade =
            V::div(V::mul(excess, V::add(V::set1(kPadeNumerator), x2)),
                   V::add(V::set1(kPadeNumerator), V::mul(V::set1(kPadeDenominator), x2)));
        const T r = V::add(V::min(knee, magnitude), pade);
        return V::bor(V::andnot(sign, r), V::band(sign, v));
    }

    // saturate4, lane by lane.
    static T saturate(T v, T knee)
    {
        const T sign = V::set1(-0.0f);
        const T magnitude = V::andnot(sign, v);
        if (!V::any(V::cmpnle(magnitude, knee)))
            return v;
        const T excess =
            V::min(V::max(V::sub(magnitude, knee), V::zero()), V::set1(kSaturatorExcessLimit));
        const T x2 = V::mul(excess, excess);
        const T numerator = V::mul(V::mul(excess, V::set1(1.0f / kPadeDenominator)),
                                   V::add(V::set1(kPadeNumerator), x2));
        const T denominator = V::add(x2, V::set1(kPadeNumerator / kPadeDenominator));
        const T result = V::add(V::min(magnitude, knee), V::div(numerator, denominator));
        return V::bor(result, V::band(sign, v));
    }
};

template <class V, int32_t Poles, bool Boosted, bool Feedback>
void run(const FilterLane* lanes, int32_t count, int32_t frames, const FilterLaneRows& rows,
         int32_t firstColumn)
{
    using T = typename V::T;
    using O = Ops<V>;
    constexpr int32_t W = V::W;
    // Lanes beyond the voices repeat the first voice; their results are
    // dropped.
    const FilterLane* lane[W];
    for (int32_t l = 0; l < W; ++l)
        lane[l] = &lanes[l < count ? l : 0];
    alignas(32) float scratch[W];
    const auto gather = [&](auto value) {
        for (int32_t l = 0; l < W; ++l)
            scratch[l] = value(*lane[l]);
        return V::load(scratch);
    };

    const T knee = gather([](const FilterLane& v) { return v.block->knee; });
    const T highpass = gather([](const FilterLane& v) { return v.block->highpassWeight; });
    const T lowpass = gather([](const FilterLane& v) { return v.block->lowpassWeight; });
    const T outputGain = gather([](const FilterLane& v) { return v.block->outputGain; });
    const T inputGain = gather([](const FilterLane& v) { return v.block->inputGain; });
    const T feedbackGain = gather([](const FilterLane& v) { return v.block->feedbackGain; });
    T band[kSections], low[kSections], outputs[kSections];
    for (int32_t j = 0; j < kSections; ++j) {
        band[j] = gather([j](const FilterLane& v) { return v.state->band[j]; });
        low[j] = gather([j](const FilterLane& v) { return v.state->low[j]; });
        outputs[j] = gather([j](const FilterLane& v) { return v.state->laneOutput[j]; });
    }
    T feedback = gather([](const FilterLane& v) { return v.state->feedback; });

    // The feedback biquads: running coefficients, increments (added only in
    // lanes whose biquads ramp) and states.
    T c[kBiquads][kCoefficients], d[kBiquads][kCoefficients], z[kBiquads][2];
    T ramping = V::zero();
    if constexpr (Feedback) {
        for (int32_t b = 0; b < kBiquads; ++b) {
            for (int32_t i = 0; i < kCoefficients; ++i) {
                c[b][i] = gather([b, i](const FilterLane& v) {
                    return v.state->feedbackLowpass[b].coefficient[i];
                });
                d[b][i] = gather([b, i](const FilterLane& v) {
                    return v.state->feedbackLowpass[b].increment[i];
                });
            }
            for (int32_t i = 0; i < 2; ++i)
                z[b][i] = gather(
                    [b, i](const FilterLane& v) { return v.state->feedbackLowpass[b].state[i]; });
        }
        // A lane ramps when any increment of its three biquads is not 0
        // (compared as the one-voice kernel does, so -0 counts as 0).
        alignas(32) float rampFlags[W];
        for (int32_t l = 0; l < W; ++l) {
            bool any = false;
            for (int32_t b = 0; b < kBiquads; ++b)
                for (int32_t i = 0; i < kCoefficients; ++i)
                    any = any || lane[l]->state->feedbackLowpass[b].increment[i] != 0.0f;
            rampFlags[l] = any ? 1.0f : 0.0f;
        }
        ramping = V::cmpnle(V::load(rampFlags), V::zero());
    }

    const T leak = V::set1(kFeedbackLeak);
    const T drive = V::set1(kFeedbackDrive);
    const T feedbackKnee = V::set1(kFeedbackKnee);
    const T trim = V::set1(kFeedbackTrim);
    alignas(32) float out[W];

    float* work[W];
    for (int32_t l = 0; l < W; ++l)
        work[l] = lane[l]->work;
    // The prepared rows hold one column per lane.
    const float* control = rows.control + firstColumn;
    const float* input = rows.input + firstColumn;
    const auto column = [](const float* values, int32_t row) {
        return V::load(values + static_cast<size_t>(row) * kMaxFilterLanes);
    };

    T g = V::zero(), k = V::zero(), outer = V::zero(), s = V::zero();
    for (int32_t n = 0; n < frames; ++n) {
        if (n % kFramesPerStep == 0 || rows.perFrameSteps[n / kFramesPerStep] != 0) {
            const int32_t at = kLaneControlFloats * n;
            g = column(control, at);
            k = column(control, at + 1);
            outer = column(control, at + 2);
            s = column(control, at + 3);
        }

        // Feedback: the previous output through the three biquads, then its
        // soft clip (FeedbackLowpass::run, feedbackTerm).
        T feedbackTerm = V::zero();
        if constexpr (Feedback) {
            T x = feedback;
            for (int32_t b = 0; b < kBiquads; ++b) {
                const T y = V::add(V::mul(c[b][0], x), V::mul(leak, z[b][0]));
                z[b][0] = V::add(V::sub(V::mul(c[b][1], x), V::mul(c[b][3], y)), z[b][1]);
                z[b][1] = V::sub(V::mul(c[b][2], x), V::mul(c[b][4], y));
                x = y;
            }
            for (int32_t b = 0; b < kBiquads; ++b)
                for (int32_t i = 0; i < kCoefficients; ++i)
                    c[b][i] = V::select(ramping, V::add(c[b][i], d[b][i]), c[b][i]);
            feedbackTerm =
                V::mul(O::softClip(V::mul(V::mul(x, feedbackGain), drive), feedbackKnee), trim);
        }
        const T x = V::mul(V::add(column(input, n), feedbackTerm), inputGain);

        // The sections' inputs (laneInputs) and their update
        // (updateSections): damping 0.5 k + 1 in sections 0 and 1, k in 2
        // and 3; with the boost, section 2 scaled by s.
        T in[kSections];
        in[0] = x;
        in[1] = outputs[0];
        in[2] = Poles == kTwelve ? x : (Poles == kTwentyFour ? outputs[0] : outputs[1]);
        in[3] = outputs[3];
        T h[kSections];
        for (int32_t j = 0; j < kSections; ++j) {
            const T damping = j < 2 ? outer : k;
            const bool scaled = Boosted && j == 2;
            const auto scale = [scaled, s](T v) { return scaled ? V::mul(s, v) : v; };
            const T ahead = V::add(band[j], V::mul(g, in[j]));
            const T sat = scale(O::saturate(V::add(V::mul(damping, band[j]), low[j]), knee));
            band[j] = scale(O::saturate(V::sub(ahead, V::mul(g, sat)), knee));
            low[j] = scale(O::saturate(V::add(low[j], V::mul(g, band[j])), knee));
            h[j] = V::sub(in[j], sat);
        }
        for (int32_t j = 0; j < kSections; ++j)
            outputs[j] = V::add(V::mul(highpass, h[j]), V::mul(lowpass, low[j]));

        const T y = V::mul(outputs[2], outputGain);
        V::store(out, y);
        for (int32_t l = 0; l < count; ++l) {
            work[l][2 * n] = out[l];
            work[l][2 * n + 1] = out[l];
        }
        feedback = y;
    }

    // The states back into the voices.
    alignas(32) float values[W];
    const auto scatter = [&](T v, auto write) {
        V::store(values, v);
        for (int32_t l = 0; l < count; ++l)
            write(*lanes[l].state, values[l]);
    };
    for (int32_t j = 0; j < kSections; ++j) {
        scatter(band[j], [j](FilterState& st, float v) { st.band[j] = v; });
        scatter(low[j], [j](FilterState& st, float v) { st.low[j] = v; });
        scatter(outputs[j], [j](FilterState& st, float v) { st.laneOutput[j] = v; });
    }
    scatter(feedback, [](FilterState& st, float v) { st.feedback = v; });
    if constexpr (Feedback) {
        for (int32_t b = 0; b < kBiquads; ++b) {
            for (int32_t i = 0; i < kCoefficients; ++i)
                scatter(c[b][i], [b, i](FilterState& st, float v) {
                    st.feedbackLowpass[b].coefficient[i] = v;
                });
            for (int32_t i = 0; i < 2; ++i)
                scatter(z[b][i],
                        [b, i](FilterState& st, float v) { st.feedbackLowpass[b].state[i] = v; });
        }
    }
}

// The kernel for the key the voices share.
template <class V>
void dispatch(const FilterLane* lanes, int32_t count, int32_t frames, const FilterLaneRows& rows,
              int32_t firstColumn)
{
    const FilterBlock& b = *lanes[0].block;
    const bool boosted = b.extraGain != 0.0f;
    const bool feedback = b.feedbackUsed;
#define KK_LANE_CASE(P)                                                                            \
    if (boosted)                                                                                   \
        (feedback ? run<V, P, true, true> : run<V, P, true, false>)(lanes, count, frames, rows,    \
                                                                    firstColumn);                  \
    else                                                                                           \
        (feedback ? run<V, P, false, true> : run<V, P, false, false>)(lanes, count, frames, rows,  \
                                                                      firstColumn);
    switch (b.poles) {
    case 0:
        KK_LANE_CASE(0)
        break;
    case 1:
        KK_LANE_CASE(1)
        break;
    default:
        KK_LANE_CASE(2)
        break;
    }
#undef KK_LANE_CASE
}

// The key-tracked high-pass (stateVariableHighpassProcess) for several
// voices, one per lane of a vector of doubles D (T, W, set1, load, store,
// add, sub, mul, div, and the float conversions fromFloats and toFloats of
// W values).
template <class D>
void highpass(StateVariableHighpass* const* filters, float* const* samples, int32_t count,
              int32_t frames, int32_t stride)
{
    using T = typename D::T;
    constexpr int32_t W = D::W;
    StateVariableHighpass* filter[W];
    float* sample[W];
    for (int32_t l = 0; l < W; ++l) {
        filter[l] = filters[l < count ? l : 0];
        sample[l] = samples[l < count ? l : 0];
    }
    alignas(32) double values[W];
    const auto gather = [&](auto value) {
        for (int32_t l = 0; l < W; ++l)
            values[l] = value(*filter[l]);
        return D::load(values);
    };
    T s1 = gather([](const StateVariableHighpass& f) { return f.state[0]; });
    T s2 = gather([](const StateVariableHighpass& f) { return f.state[1]; });
    T g = gather([](const StateVariableHighpass& f) { return f.tuning[0]; });
    T damping = gather([](const StateVariableHighpass& f) { return f.tuning[1]; });
    const T dg = gather([](const StateVariableHighpass& f) { return f.increment[0]; });
    const T dDamping = gather([](const StateVariableHighpass& f) { return f.increment[1]; });
    const T one = D::set1(1.0);
    const T two = D::set1(2.0);
    alignas(32) float in[W];
    alignas(32) float out[W];
    for (int32_t n = 0; n < frames; ++n) {
        const size_t at = static_cast<size_t>(n) * static_cast<size_t>(stride);
        for (int32_t l = 0; l < W; ++l)
            in[l] = sample[l][at];
        const T a1 = D::div(one, D::add(one, D::mul(g, D::add(g, damping))));
        const T a2 = D::mul(g, a1);
        const T a3 = D::mul(g, a2);
        const T input = D::fromFloats(in);
        const T v3 = D::sub(input, s2);
        const T band = D::add(D::mul(a1, s1), D::mul(a2, v3));
        const T low = D::add(D::add(s2, D::mul(a2, s1)), D::mul(a3, v3));
        s1 = D::sub(D::mul(two, band), s1);
        s2 = D::sub(D::mul(two, low), s2);
        D::toFloats(out, D::sub(D::sub(input, D::mul(damping, band)), low));
        for (int32_t l = 0; l < count; ++l)
            sample[l][at] = out[l];
        g = D::add(g, dg);
        damping = D::add(damping, dDamping);
    }
    const auto scatter = [&](T v, auto write) {
        D::store(values, v);
        for (int32_t l = 0; l < count; ++l)
            write(*filters[l], values[l]);
    };
    scatter(s1, [](StateVariableHighpass& f, double v) { f.state[0] = v; });
    scatter(s2, [](StateVariableHighpass& f, double v) { f.state[1] = v; });
    scatter(g, [](StateVariableHighpass& f, double v) { f.tuning[0] = v; });
    scatter(damping, [](StateVariableHighpass& f, double v) { f.tuning[1] = v; });
}

} // namespace lanekernel
} // namespace
} // namespace synthdsp
