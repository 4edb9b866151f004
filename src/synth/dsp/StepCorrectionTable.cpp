#include "synth/dsp/StepCorrectionTable.h"

#include "synth/dsp/BandLimitedStep.h"

#include <algorithm>

namespace synthdsp {

namespace {

constexpr float kJumpHeight = 2.0f;

struct alignas(16) CorrectionStorage {
    CorrectionStorage() { fillStepCorrectionTable(values, bandLimitedStep()); }
    float values[kCorrectionTableFloats];
};

} // namespace

static_assert(kStepTaps * kStepPhases <= kCorrectionCopyStride - kCorrectionCopies,
              "a copy holds the whole table plus the lanes read before row 0");

void fillStepCorrectionTable(float* table, const float* step)
{
    std::fill(table, table + kCorrectionTableFloats, 0.0f);
    for (int32_t copy = 0; copy < kCorrectionCopies; ++copy) {
        float* out = table + copy * kCorrectionCopyOffset;
        for (int32_t j = 0; j < kStepPhases; ++j)
            for (int32_t n = 0; n < kStepTaps; ++n)
                out[kStepTaps * j + n] = kJumpHeight * (1.0f - step[kStepPhases * n + j]);
    }
}

const float* stepCorrectionTable()
{
    static const CorrectionStorage storage;
    return storage.values;
}

} // namespace synthdsp
