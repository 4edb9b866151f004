#include "engine/AM_FlushDenormals.h"

#include <emmintrin.h>

namespace {

constexpr int32_t kLanes = 4;

} // namespace

void flushDenormals(float* samples, const int32_t* count)
{
    if (!samples || !count)
        return;
    for (int32_t i = 0; i < *count; ++i)
        samples[i] = flushDenormal(samples[i]);
}

void flushDenormalsSSE(float* samples, int32_t groups)
{
    if (!samples)
        return;
    const __m128i exponentMask = _mm_set1_epi32(static_cast<int32_t>(k_floatExponentMask));
    const __m128i zero = _mm_setzero_si128();
    for (int32_t g = 0; g < groups; ++g) {
        float* group = samples + g * kLanes;
        const __m128 x = _mm_load_ps(group);
        // The exponent field as a positive integer: kept when above 0 and
        // below the all-ones field.
        const __m128i exponent = _mm_and_si128(_mm_castps_si128(x), exponentMask);
        const __m128i keep =
            _mm_and_si128(_mm_cmpgt_epi32(exponent, zero), _mm_cmplt_epi32(exponent, exponentMask));
        _mm_store_ps(group, _mm_and_ps(x, _mm_castsi128_ps(keep)));
    }
}
