#pragma once
// The pitch table's frequency law inline, for the per-frame loops of the
// oscillators and the filter stage: the same arithmetic as
// pitchToFrequency(), so the same result bit for bit.

#include "synth/dsp/PitchTable.h"

#include <bit>
#include <cstdint>

namespace synthdsp {

// F(q) in Hz, the pitch held within [0, 192) first. Any thread, real-time
// safe once pitchTable() has been called.
inline float lookUpPitchFrequency(const PitchTable& table, float pitch)
{
    constexpr int32_t kMantissaBits = 23;
    constexpr int32_t kOctaveShift = kMantissaBits - 4;
    constexpr int32_t kSegmentShift = kOctaveShift - 4;
    constexpr uint32_t kIndexMask = 0xF;
    constexpr uint32_t kPositionMask = (1u << kSegmentShift) - 1;
    constexpr float kPositionScale = 1.0f / float(1u << kSegmentShift);

    const float x = pitchTableIndex(clampTablePitch(pitch));
    const uint32_t mantissa = std::bit_cast<uint32_t>(x) & ((1u << kMantissaBits) - 1);
    const uint32_t octave = (mantissa >> kOctaveShift) & kIndexMask;
    const uint32_t segment = (mantissa >> kSegmentShift) & kIndexMask;
    const float t = float(mantissa & kPositionMask) * kPositionScale;
    const float* c = table.segments + kPitchCoefficientsPerSegment * segment;
    return (((c[0] * t + c[1]) * t + c[2]) * t + c[3]) * table.octaveFactor[octave];
}

} // namespace synthdsp
