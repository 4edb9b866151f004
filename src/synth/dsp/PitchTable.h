#pragma once
// Pitch to frequency by table: F(q) = 110 * 2^((q - 69) / 12) Hz for pitches
// q in semitones from 0 to just below 192.
//
// In the single-precision float nearest to 1 + q / 192 the top 4 of the 23 mantissa bits
// select the octave (a power of two from 1/128 to 256), the next 4 bits one
// of 16 cubic segments within the octave, and the low 15 bits the position t
// in [0, 1) in the segment. With the segment's coefficients c0 .. c3 in table
// order, F = (((c0 * t + c1) * t + c2) * t + c3) * octave factor.
//
// The segment coefficients are fitted once per process (thread-safe) by
// interpolation at the Chebyshev nodes of each segment, which is within a
// few 1e-10 of the best cubic; the evaluation in single precision dominates
// the error.

#include <cstdint>

namespace synthdsp {

constexpr int32_t kPitchOctaves = 16;
constexpr int32_t kPitchSegments = 16;
constexpr int32_t kPitchCoefficientsPerSegment = 4;
constexpr float kPitchRange = 192.0f; // pitches lie in [0, kPitchRange)

struct PitchTable {
    float octaveFactor[kPitchOctaves];                             // 1/128, 1/64, ... 256
    float segments[kPitchSegments * kPitchCoefficientsPerSegment]; // c0 c1 c2 c3 per segment
};

// Builds the table (the fit). Not on the audio thread.
PitchTable fitPitchTable();

// The process-wide table, fitted on first use (thread-safe), never changed
// afterwards. Any thread; the first call must not be on the audio thread.
const PitchTable& pitchTable();

// The largest pitch inside the range (the float just below 192); its index
// float stays below 2, whereas 192 itself would give 2 and wrap to the lowest
// octave.
constexpr float kMaxTablePitch = 191.99998f;

// The index float: the float nearest to 1 + q / 192 (one rounding; the sum in
// double precision is exact to far below a float step). Any thread.
inline float pitchTableIndex(float pitch)
{
    return float(1.0 + double(pitch) * (1.0 / double(kPitchRange)));
}

// Clamps a pitch into the table's range [0, kMaxTablePitch]; NaN gives 0.
// Any thread, real-time safe.
inline float clampTablePitch(float pitch)
{
    pitch = pitch > 0.0f ? pitch : 0.0f;
    return pitch < kMaxTablePitch ? pitch : kMaxTablePitch;
}

// F(q) in Hz by the table method, the pitch clamped into [0, 192) first
// (outside that range the table's indices would select the wrong octave).
// Any thread, real-time safe once pitchTable() has been called.
float pitchToFrequency(const PitchTable& table, float pitch);

} // namespace synthdsp
