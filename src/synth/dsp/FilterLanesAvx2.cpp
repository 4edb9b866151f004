// The filter stage's lane kernel in 8 AVX2 lanes. This file is compiled
// with AVX2 code generation (see CMakeLists.txt); it is called only where the
// processor has AVX2.

#include <immintrin.h>

#include "synth/dsp/FilterLanesKernel.h"
#include "synth/dsp/LaneVectorsAvx2.h"

namespace synthdsp {

namespace {

struct Avx2Double {
    using T = __m256d;
    static constexpr int32_t W = 4;
    static T set1(double a) { return _mm256_set1_pd(a); }
    static T load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, T a) { _mm256_storeu_pd(p, a); }
    static T add(T a, T b) { return _mm256_add_pd(a, b); }
    static T sub(T a, T b) { return _mm256_sub_pd(a, b); }
    static T mul(T a, T b) { return _mm256_mul_pd(a, b); }
    static T div(T a, T b) { return _mm256_div_pd(a, b); }
    static T fromFloats(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
    static void toFloats(float* p, T a) { _mm_storeu_ps(p, _mm256_cvtpd_ps(a)); }
};

} // namespace

void processHighpassLanes4(StateVariableHighpass* const* filters, float* const* samples,
                           int32_t count, int32_t frames, int32_t stride)
{
    if (!filters || !samples || count <= 0 || count > Avx2Double::W || frames <= 0)
        return;
    lanekernel::highpass<Avx2Double>(filters, samples, count, frames, stride);
}

void processFilterLanes8(const FilterLane* lanes, int32_t count, int32_t frames,
                         const FilterLaneRows& rows, int32_t firstColumn)
{
    if (!lanes || count <= 0 || count > Avx2::W || frames <= 0 || firstColumn != 0)
        return;
    lanekernel::dispatch<Avx2>(lanes, count, frames, rows, firstColumn);
}

} // namespace synthdsp
