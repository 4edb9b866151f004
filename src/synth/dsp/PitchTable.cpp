#include "synth/dsp/PitchTable.h"

#include <bit>
#include <cmath>

namespace synthdsp {

namespace {

constexpr double kReferenceFrequency = 110.0; // Hz at the reference pitch
constexpr double kReferencePitch = 69.0;
constexpr double kSemitonesPerOctave = 12.0;
constexpr int32_t kLowestOctaveExponent = -7; // the first octave factor is 2^-7
constexpr int32_t kMantissaBits = 23;
constexpr int32_t kOctaveShift = kMantissaBits - 4;
constexpr int32_t kSegmentShift = kOctaveShift - 4;
constexpr uint32_t kIndexMask = 0xF;
constexpr uint32_t kPositionMask = (1u << kSegmentShift) - 1;
constexpr float kPositionScale = 1.0f / float(1u << kSegmentShift);

// Within an octave at position u in [0, 1): F = 2^(octave - 7) * base * 2^u,
// where base is the frequency at the bottom of the octave with factor 1.
double octaveBase()
{
    // q = 12 * o + 12 * u  ->  110 * 2^(o - 69/12 + u) = 2^(o - 7) * 110 * 2^(7 - 69/12) * 2^u
    return kReferenceFrequency *
           std::exp2(double(-kLowestOctaveExponent) - kReferencePitch / kSemitonesPerOctave);
}

// Cubic through the segment's function at the four Chebyshev nodes of
// [0, 1], in monomial coefficients (t^3, t^2, t, 1).
void fitSegment(int32_t segment, double base, float* out)
{
    constexpr int kNodes = 4;
    const double pi = std::acos(-1.0);
    double t[kNodes];
    double y[kNodes];
    for (int i = 0; i < kNodes; ++i) {
        t[i] = 0.5 - 0.5 * std::cos(pi * (2.0 * i + 1.0) / (2.0 * kNodes));
        y[i] = base * std::exp2((double(segment) + t[i]) / double(kPitchSegments));
    }
    // Newton divided differences, then expansion into monomials.
    double dd[kNodes];
    for (int i = 0; i < kNodes; ++i)
        dd[i] = y[i];
    for (int level = 1; level < kNodes; ++level)
        for (int i = kNodes - 1; i >= level; --i)
            dd[i] = (dd[i] - dd[i - 1]) / (t[i] - t[i - level]);
    // p(t) = dd0 + dd1 (t - t0) + dd2 (t - t0)(t - t1) + dd3 (t - t0)(t - t1)(t - t2)
    double poly[kNodes] = {dd[kNodes - 1], 0.0, 0.0, 0.0}; // ascending powers
    for (int i = kNodes - 2; i >= 0; --i) {
        // poly := poly * (t - t_i) + dd_i
        for (int p = kNodes - 1; p >= 1; --p)
            poly[p] = poly[p - 1] - t[i] * poly[p];
        poly[0] = -t[i] * poly[0] + dd[i];
    }
    out[0] = float(poly[3]);
    out[1] = float(poly[2]);
    out[2] = float(poly[1]);
    out[3] = float(poly[0]);
}

} // namespace

PitchTable fitPitchTable()
{
    PitchTable table{};
    for (int32_t o = 0; o < kPitchOctaves; ++o)
        table.octaveFactor[o] = std::ldexp(1.0f, o + kLowestOctaveExponent);
    const double base = octaveBase();
    for (int32_t s = 0; s < kPitchSegments; ++s)
        fitSegment(s, base, table.segments + kPitchCoefficientsPerSegment * s);
    return table;
}

const PitchTable& pitchTable()
{
    static const PitchTable table = fitPitchTable();
    return table;
}

float pitchToFrequency(const PitchTable& table, float pitch)
{
    const float x = pitchTableIndex(clampTablePitch(pitch));
    const uint32_t mantissa = std::bit_cast<uint32_t>(x) & ((1u << kMantissaBits) - 1);
    const uint32_t octave = (mantissa >> kOctaveShift) & kIndexMask;
    const uint32_t segment = (mantissa >> kSegmentShift) & kIndexMask;
    const float t = float(mantissa & kPositionMask) * kPositionScale;
    const float* c = table.segments + kPitchCoefficientsPerSegment * segment;
    return (((c[0] * t + c[1]) * t + c[2]) * t + c[3]) * table.octaveFactor[octave];
}

} // namespace synthdsp
