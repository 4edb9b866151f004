#pragma once
// The filter stage's saturating curves.
//
// Both are built on the rational tanh approximation P(x) = x (27 + x^2) /
// (27 + 9 x^2), which rises from 0 with slope 1, flattens to slope 0 at x =
// 3 (P(3) = 1) and is monotone everywhere. Each curve is the identity up to a
// knee and adds P of the excess above it, on the side the value exceeds, so
// both are odd functions: a sign-flipped input gives the sign-flipped output.

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

namespace synthdsp {

constexpr float kPadeNumerator = 27.0f;
constexpr float kPadeDenominator = 9.0f;
// The sections' saturator holds the excess at P's flat top.
constexpr float kSaturatorExcessLimit = 3.2825f;

inline float padeTanh(float x)
{
    const float x2 = x * x;
    return x * (kPadeNumerator + x2) / (kPadeNumerator + kPadeDenominator * x2);
}

// Soft clip beyond a knee: v where |v| <= knee, else sign(v) (knee + P(|v| -
// knee)). The excess is not limited (P grows again slowly past 3). Without
// branches (P(0) = 0), since audio crosses the knee unpredictably. Any
// thread.
inline float softClipAboveKnee(float v, float knee)
{
    const float magnitude = std::fabs(v);
    const float excess = std::max(magnitude - knee, 0.0f);
    return std::copysign(std::min(magnitude, knee) + padeTanh(excess), v);
}

// The sections' saturator in four lanes: sign(v) (|v| where |v| <= knee, else
// knee + P(min(|v| - knee, 3.2825))). `knee` must be at least 0. Any thread.
//
// The filter runs three of these in series per frame, so their latency sets
// its speed. While every lane lies within the knee (the common case of a
// moderate signal) the value passes unchanged through a branch that the
// processor predicts well (a signal enters and leaves saturation a few times
// per cycle of its waveform at most), and the curve is computed only when a
// lane exceeds the knee; a NaN lane takes that path too, which holds it at
// the knee. The curve is written as min(|v|, knee) + P(excess) with the
// excess held at 0 below the knee (P(0) = 0), and P(x) as (x (27 + x^2) / 9)
// / (x^2 + 3) with an exact division, so that the result does not depend on
// the processor's reciprocal approximation.
inline __m128 saturate4(__m128 v, __m128 knee)
{
    const __m128 signBit = _mm_set1_ps(-0.0f);
    const __m128 magnitude = _mm_andnot_ps(signBit, v);
    if (_mm_movemask_ps(_mm_cmpnle_ps(magnitude, knee)) == 0)
        return v;
    const __m128 excess = _mm_min_ps(_mm_max_ps(_mm_sub_ps(magnitude, knee), _mm_setzero_ps()),
                                     _mm_set1_ps(kSaturatorExcessLimit));
    const __m128 x2 = _mm_mul_ps(excess, excess);
    const __m128 numerator = _mm_mul_ps(_mm_mul_ps(excess, _mm_set1_ps(1.0f / kPadeDenominator)),
                                        _mm_add_ps(_mm_set1_ps(kPadeNumerator), x2));
    const __m128 denominator = _mm_add_ps(x2, _mm_set1_ps(kPadeNumerator / kPadeDenominator));
    const __m128 result =
        _mm_add_ps(_mm_min_ps(magnitude, knee), _mm_div_ps(numerator, denominator));
    return _mm_or_ps(result, _mm_and_ps(signBit, v));
}

} // namespace synthdsp
