#include "synth/dsp/InterpolatedStepCorrection.h"

#include "synth/dsp/BandLimitedStep.h"

#include <emmintrin.h>

namespace synthdsp {

namespace {

constexpr int32_t kLanes = 4;
constexpr uint32_t kLaneMask = kLanes - 1;
constexpr uint32_t kRingMask = kCorrectionRingSize - 1;
// Taps placed per correction: 31 groups of four from the aligned slot at or
// before p.
constexpr int32_t kGroups = 31;
// The largest row position below kStepPhases.
constexpr float kLastPosition = float(kStepPhases) - 1.0f / 65536.0f;

static_assert(kCorrectionSlopeOffset + kStepTaps * kStepPhases <= kCorrectionCopyStride - 1,
              "the slope block fits in a copy behind its rows");
static_assert(kGroups * kLanes <= kStepTaps, "a correction reads within one row");

struct alignas(16) CorrectionStorage {
    CorrectionStorage()
    {
        fillStepCorrectionTable(values, bandLimitedStep());
        fillStepCorrectionSlopes(values);
    }
    float values[kCorrectionTableFloats];
};

} // namespace

void fillStepCorrectionSlopes(float* table)
{
    for (int32_t copy = 0; copy < kCorrectionCopies; ++copy) {
        const float* rows = table + copy * kCorrectionCopyOffset;
        float* slopes = table + copy * kCorrectionCopyOffset + kCorrectionSlopeOffset;
        for (int32_t j = 0; j < kStepPhases; ++j) {
            for (int32_t n = 0; n < kStepTaps; ++n) {
                float next = 0.0f; // the tap after the last of row 0 is zero
                if (j + 1 < kStepPhases)
                    next = rows[kStepTaps * (j + 1) + n];
                else if (n + 1 < kStepTaps)
                    next = rows[n + 1];
                slopes[kStepTaps * j + n] = next - rows[kStepTaps * j + n];
            }
        }
    }
}

const float* interpolatedStepCorrectionTable()
{
    static const CorrectionStorage storage;
    return storage.values;
}

void placeStepCorrection(float* ring, uint32_t p, const float* table, float m, float position)
{
    float rowPosition = position * float(kStepPhases);
    if (!(rowPosition >= 0.0f))
        rowPosition = 0.0f;
    if (rowPosition > kLastPosition)
        rowPosition = kLastPosition;
    const int32_t j = int32_t(rowPosition);
    const float t = rowPosition - float(j);

    const uint32_t c = p & kLaneMask;
    // Entry -c of row j in copy c sits on a 16-byte boundary.
    const float* row = table + int32_t(c) * kCorrectionCopyOffset + kStepTaps * j - int32_t(c);
    const float* slope = row + kCorrectionSlopeOffset;
    const __m128 weight = _mm_set1_ps(m);
    const __m128 slopeWeight = _mm_set1_ps(m * t);
    uint32_t slot = (p - c) & kRingMask;
    for (int32_t g = 0; g < kGroups; ++g) {
        float* target = ring + slot;
        const __m128 add = _mm_add_ps(_mm_mul_ps(weight, _mm_load_ps(row + kLanes * g)),
                                      _mm_mul_ps(slopeWeight, _mm_load_ps(slope + kLanes * g)));
        _mm_store_ps(target, _mm_add_ps(_mm_load_ps(target), add));
        slot = (slot + kLanes) & kRingMask;
    }
}

} // namespace synthdsp
