// The filter stage's lane kernel in 8 lanes as two SSE2 vectors side by
// side, and the high-pass of four voices as two vectors of doubles.

#include <emmintrin.h>

#include "synth/dsp/FilterLanesKernel.h"
#include "synth/dsp/LaneVectorsSse2.h"

namespace synthdsp {

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

} // namespace synthdsp
