// The filter stage's lane kernel in 4 SSE2 lanes, the input soft clip over
// the prepared rows, and the high-pass of two voices in one vector of doubles.
// (The 8 lanes as two SSE2 vectors are FilterLanesSse2Pair.cpp: the kernels
// compile apart, side by side.)

#include <emmintrin.h>

#include "synth/dsp/FilterFrame.h"
#include "synth/dsp/FilterLanesKernel.h"
#include "synth/dsp/LaneVectorsSse2.h"

namespace synthdsp {

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
