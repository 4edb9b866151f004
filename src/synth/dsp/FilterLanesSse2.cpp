// The filter stage's lane kernel in 4 SSE2 lanes.

#include <emmintrin.h>

#include "synth/dsp/FilterFrame.h"
#include "synth/dsp/FilterLanesKernel.h"
#include "synth/dsp/LaneVectorsSse2.h"

namespace synthdsp {

namespace {

struct Sse2Double {
    using T = __m128d;
    static constexpr int32_t W = 2;
    static T set1(double a) { return _mm_set1_pd(a); }
    static T load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, T a) { _mm_storeu_pd(p, a); }
    static T add(T a, T b) { return _mm_add_pd(a, b); }
    static T sub(T a, T b) { return _mm_sub_pd(a, b); }
    static T mul(T a, T b) { return _mm_mul_pd(a, b); }
    static T div(T a, T b) { return _mm_div_pd(a, b); }
    // Two floats in and out through 64-bit integer moves, whose pointer
    // types may alias the floats.
    static T fromFloats(const float* p)
    {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    static void toFloats(float* p, T a)
    {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(a)));
    }
};

struct Sse2DoublePair {
    struct T {
        __m128d lo, hi;
    };
    static constexpr int32_t W = 4;
    static T set1(double a) { return {_mm_set1_pd(a), _mm_set1_pd(a)}; }
    static T load(const double* p) { return {_mm_loadu_pd(p), _mm_loadu_pd(p + 2)}; }
    static void store(double* p, T a)
    {
        _mm_storeu_pd(p, a.lo);
        _mm_storeu_pd(p + 2, a.hi);
    }
    static T add(T a, T b) { return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)}; }
    static T sub(T a, T b) { return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)}; }
    static T mul(T a, T b) { return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)}; }
    static T div(T a, T b) { return {_mm_div_pd(a.lo, b.lo), _mm_div_pd(a.hi, b.hi)}; }
    static T fromFloats(const float* p)
    {
        return {Sse2Double::fromFloats(p), Sse2Double::fromFloats(p + 2)};
    }
    static void toFloats(float* p, T a)
    {
        Sse2Double::toFloats(p, a.lo);
        Sse2Double::toFloats(p + 2, a.hi);
    }
};

} // namespace

void processHighpassLanes4Sse2(StateVariableHighpass* const* filters, float* const* samples,
                               int32_t count, int32_t frames, int32_t stride)
{
    if (!filters || !samples || count <= 0 || count > Sse2DoublePair::W || frames <= 0)
        return;
    lanekernel::highpass<Sse2DoublePair>(filters, samples, count, frames, stride);
}

void processFilterLanes8Sse2(const FilterLane* lanes, int32_t count, int32_t frames,
                             const FilterLaneRows& rows, int32_t firstColumn)
{
    if (!lanes || count <= 0 || count > Sse2Pair::W || frames <= 0 || firstColumn != 0)
        return;
    lanekernel::dispatch<Sse2Pair>(lanes, count, frames, rows, firstColumn);
}

void processHighpassLanes2(StateVariableHighpass* const* filters, float* const* samples,
                           int32_t count, int32_t frames, int32_t stride)
{
    if (!filters || !samples || count <= 0 || count > Sse2Double::W || frames <= 0)
        return;
    lanekernel::highpass<Sse2Double>(filters, samples, count, frames, stride);
}

void clipLaneInputs(float* values, int32_t count)
{
    const __m128 knee = _mm_set1_ps(filterframe::kInputKnee);
    const __m128 trim = _mm_set1_ps(filterframe::kInputTrim);
    int32_t i = 0;
    for (; i + Sse2::W <= count; i += Sse2::W)
        Sse2::store(values + i,
                    Sse2::mul(lanekernel::Ops<Sse2>::softClip(Sse2::load(values + i), knee), trim));
    // The rest through the same lanes, one value at a time.
    for (; i < count; ++i) {
        alignas(16) float one[Sse2::W] = {values[i]};
        Sse2::store(one, Sse2::mul(lanekernel::Ops<Sse2>::softClip(Sse2::load(one), knee), trim));
        values[i] = one[0];
    }
}

void processFilterLanes4(const FilterLane* lanes, int32_t count, int32_t frames,
                         const FilterLaneRows& rows, int32_t firstColumn)
{
    if (!lanes || count <= 0 || count > Sse2::W || frames <= 0 || firstColumn < 0 ||
        firstColumn + Sse2::W > kMaxFilterLanes)
        return;
    lanekernel::dispatch<Sse2>(lanes, count, frames, rows, firstColumn);
}

} // namespace synthdsp
