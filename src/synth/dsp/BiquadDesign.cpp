#include "synth/dsp/BiquadDesign.h"

#include <bit>
#include <cmath>

namespace synthdsp {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kQOffset = 0.707;
constexpr double kReferenceFrequency = 110.0;
constexpr double kReferencePitch = 69.0;
constexpr double kSemitonesPerOctave = 12.0;
// The angular frequency stays at or below pi/2, where the polynomials hold:
// beyond it (a corner above a quarter of the rate, as at very low host
// rates) their values run away and the poles leave the unit circle.
constexpr double kMaxAngle = 1.5707963267948966;

// sin x = x (1 + s1 x^2 + s2 x^4 + s3 x^6 + s4 x^8)
constexpr double kSin1 = -0.1666666716;
constexpr double kSin2 = 0.008333333768;
constexpr double kSin3 = -0.00019841270;
constexpr double kSin4 = 2.7557319e-6;
// cos x = 1 + c1 x^2 + c2 x^4 + c3 x^6 + c4 x^8 + c5 x^10
constexpr double kCos1 = -0.4999999963;
constexpr double kCos2 = 0.0416666418;
constexpr double kCos3 = -0.0013888397;
constexpr double kCos4 = 2.47609e-5;
constexpr double kCos5 = -2.605e-7;

// 2^f for f in [0, 1].
constexpr float kPow3 = 0.079440236f;
constexpr float kPow2 = 0.22449434f;
constexpr float kPow1 = 0.69606566f;
// Adding 1.5 * 2^23 leaves the nearest integer in the low mantissa bits.
constexpr float kRoundingBias = 12582912.0f;
constexpr int32_t kMantissaBits = 23;

template <typename T> T sineOf(T x)
{
    const T x2 = x * x;
    return x * (T(1) + x2 * (T(kSin1) + x2 * (T(kSin2) + x2 * (T(kSin3) + x2 * T(kSin4)))));
}

template <typename T> T cosineOf(T x)
{
    const T x2 = x * x;
    return T(1) +
           x2 * (T(kCos1) + x2 * (T(kCos2) + x2 * (T(kCos3) + x2 * (T(kCos4) + x2 * T(kCos5)))));
}

template <typename T> BiquadCoefficients<T> design(T frequency, T q, T samplePeriod, bool highpass)
{
    T w = T(kTwoPi) * frequency * samplePeriod;
    if (w > T(kMaxAngle))
        w = T(kMaxAngle);
    const T s = sineOf(w);
    const T c = cosineOf(w);
    const T alpha = s / (q + T(kQOffset));
    const T a0 = T(1) + alpha;
    const T edge = highpass ? (T(1) + c) : (T(1) - c);
    BiquadCoefficients<T> out;
    out.b0 = edge / T(2) / a0;
    out.b2 = out.b0;
    out.b1 = (highpass ? -edge : edge) / a0;
    out.a1 = T(-2) * c / a0;
    out.a2 = (T(1) - alpha) / a0;
    return out;
}

template <typename T>
void ramp(BiquadRecord<T>& record, const BiquadCoefficients<T>& target, T k, bool reset)
{
    const T values[5] = {target.b0, target.b1, target.b2, target.a1, target.a2};
    const bool jump = reset || !(k > T(kRampThreshold));
    for (int i = 0; i < 5; ++i) {
        if (jump) {
            record.coefficient[i] = values[i];
            record.increment[i] = T(0);
        } else {
            record.increment[i] = (values[i] - record.coefficient[i]) * k;
        }
    }
    if (reset) {
        for (T& s : record.state)
            s = T(0);
    }
}

} // namespace

float sinePolynomial(float x)
{
    return sineOf(x);
}
float cosinePolynomial(float x)
{
    return cosineOf(x);
}
double sinePolynomial(double x)
{
    return sineOf(x);
}
double cosinePolynomial(double x)
{
    return cosineOf(x);
}

float cubicPowerOfTwo(float x)
{
    const float biased = (x - 0.5f) + kRoundingBias;
    const int32_t n = std::bit_cast<int32_t>(biased) - std::bit_cast<int32_t>(kRoundingBias);
    const float f = x - float(n);
    const float mantissa = ((kPow3 * f + kPow2) * f + kPow1) * f + 1.0f;
    return std::bit_cast<float>(std::bit_cast<uint32_t>(mantissa) +
                                (static_cast<uint32_t>(n) << kMantissaBits));
}

BiquadCoefficients<double> highpassBiquadDouble(double pitch, double q, double samplePeriod)
{
    const double octaves = (pitch - kReferencePitch) / kSemitonesPerOctave;
    const double frequency = kReferenceFrequency * double(cubicPowerOfTwo(float(octaves)));
    return design(frequency, q, samplePeriod, true);
}

BiquadCoefficients<float> lowpassBiquadFloat(const PitchTable& table, float pitch, float q,
                                             float samplePeriod)
{
    return design(pitchToFrequency(table, pitch), q, samplePeriod, false);
}

void biquadRampDouble(BiquadRecord<double>& record, const BiquadCoefficients<double>& target,
                      double k, bool reset)
{
    ramp(record, target, k, reset);
}

void biquadRampFloat(BiquadRecord<float>& record, const BiquadCoefficients<float>& target, float k,
                     bool reset)
{
    ramp(record, target, k, reset);
    for (float& s : record.state) {
        if (!std::isnormal(s))
            s = 0.0f;
    }
}

} // namespace synthdsp
