#pragma once
// Biquad coefficient designs for the voice (high-pass in double precision,
// low-pass in single precision) and their per-block coefficient ramps.
//
// Both designs take a pitch in semitones (69 = 110 Hz) and a q; with
// w = 2 pi f T and alpha = sin w / (q + 0.707), a0 = 1 + alpha:
//   high-pass: b0 = b2 = (1 + cos w) / 2 / a0, b1 = -(1 + cos w) / a0
//   low-pass:  b0 = b2 = (1 - cos w) / 2 / a0, b1 = (1 - cos w) / a0
//   both:      a1 = -2 cos w / a0, a2 = (1 - alpha) / a0
// Sine and cosine come from polynomials, the high-pass frequency from the
// cubic power-of-two approximation, the low-pass frequency from the pitch
// table.

#include "synth/dsp/PitchTable.h"

#include <cstdint>

namespace synthdsp {

template <typename T> struct BiquadCoefficients {
    T b0, b1, b2, a1, a2; // normalised by a0
};

// A biquad's memory: 4 state values, the per-sample increments of the 5
// coefficients and the 5 running coefficients (b0, b1, b2, a1, a2).
template <typename T> struct BiquadRecord {
    T state[4];
    T increment[5];
    T coefficient[5];
};

// sin x and cos x by the voice's polynomials (accurate for |x| up to pi/2).
float sinePolynomial(float x);
float cosinePolynomial(float x);
double sinePolynomial(double x);
double cosinePolynomial(double x);

// 2^x by a cubic within each octave (relative error up to about 1.5e-4). Finite x
// in [-126, 127].
float cubicPowerOfTwo(float x);

// samplePeriod: seconds per sample at the rate the biquad runs at. Pure
// functions; any thread. The low-pass clamps its pitch into the pitch
// table's range. A corner above a quarter of the rate is held there (w at
// most pi/2), so the filter stays stable at any rate.
BiquadCoefficients<double> highpassBiquadDouble(double pitch, double q, double samplePeriod);
BiquadCoefficients<float> lowpassBiquadFloat(const PitchTable& table, float pitch, float q,
                                             float samplePeriod);

// Sets the ramp toward `target`: the running coefficients are the start, the
// increments (target - start) * k move them onto the target in 1/k samples.
// On reset, or when k <= kRampThreshold, the target applies at once with zero
// increments; reset also clears the state. The float variant also sets state
// values that are denormal, infinite or NaN to 0. Audio thread (the record's
// owner).
constexpr double kRampThreshold = 0.00001;
void biquadRampDouble(BiquadRecord<double>& record, const BiquadCoefficients<double>& target,
                      double k, bool reset);
void biquadRampFloat(BiquadRecord<float>& record, const BiquadCoefficients<float>& target, float k,
                     bool reset);

} // namespace synthdsp
