#include "engine/AM_FlushDenormals.h"

#include <emmintrin.h>

namespace {

constexpr int32_t kLanes = 4;

// flushDenormal in four lanes: the lanes whose exponent field is neither 0
// nor all ones are kept, the others become +0.
__m128 flushed(__m128 x)
{
    const __m128i exponentMask = _mm_set1_epi32(static_cast<int32_t>(k_floatExponentMask));
    const __m128i exponent = _mm_and_si128(_mm_castps_si128(x), exponentMask);
    const __m128i keep = _mm_and_si128(_mm_cmpgt_epi32(exponent, _mm_setzero_si128()),
                                       _mm_cmplt_epi32(exponent, exponentMask));
    return _mm_and_ps(x, _mm_castsi128_ps(keep));
}

} // namespace

void flushDenormals(float* samples, const int32_t* count)
{
    if (!samples || !count)
        return;
    const int32_t n = *count;
    int32_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
        _mm_storeu_ps(samples + i, flushed(_mm_loadu_ps(samples + i)));
    for (; i < n; ++i)
        samples[i] = flushDenormal(samples[i]);
}

void scaleAndFlush(float* to, const float* from, float gain, uint32_t count)
{
    if (!to || !from)
        return;
    const __m128 g = _mm_set1_ps(gain);
    uint32_t i = 0;
    for (; i + kLanes <= count; i += kLanes)
        _mm_storeu_ps(to + i, flushed(_mm_mul_ps(_mm_loadu_ps(from + i), g)));
    for (; i < count; ++i)
        to[i] = flushDenormal(from[i] * gain);
}

void flushDenormalsSSE(float* samples, int32_t groups)
{
    if (!samples)
        return;
    for (int32_t g = 0; g < groups; ++g) {
        float* group = samples + g * kLanes;
        _mm_store_ps(group, flushed(_mm_load_ps(group)));
    }
}
