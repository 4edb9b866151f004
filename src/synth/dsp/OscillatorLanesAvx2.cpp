// The oscillator lane kernel in 8 AVX2 lanes. This file is compiled
// with AVX2 code generation (see CMakeLists.txt); it is called only where the
// processor has AVX2.

#include <immintrin.h>

#include "synth/dsp/FilterLanes.h"
#include "synth/dsp/LaneVectorsAvx2.h"
#include "synth/dsp/OscillatorLanesKernel.h"

namespace synthdsp {

void renderOscillatorLanes8(const OscillatorLane* lanes, int32_t count,
                            const OscillatorTables& tables, int32_t frames)
{
    if (!lanes || count < 2 || count > Avx2::W || frames <= 0 || !processorHasAvx2())
        return renderOscillatorLanes8Sse2(lanes, count, tables, frames);
    oscillatorkernel::render<Avx2>(lanes, count, tables, frames);
}

} // namespace synthdsp
