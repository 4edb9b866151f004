#include "synth/dsp/StateVariableHighpass.h"

#include "synth/dsp/BiquadDesign.h"

#include <cstddef>

namespace synthdsp {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kQOffset = 0.707;
constexpr double kReferenceFrequency = 110.0;
constexpr double kReferencePitch = 69.0;
constexpr double kSemitonesPerOctave = 12.0;
constexpr double kMaxAngle = 1.5707963267948966;

} // namespace

HighpassTuning stateVariableHighpassTuning(double pitch, double q, double samplePeriod)
{
    const double octaves = (pitch - kReferencePitch) / kSemitonesPerOctave;
    const double frequency = kReferenceFrequency * double(cubicPowerOfTwo(float(octaves)));
    double w = kTwoPi * frequency * samplePeriod;
    if (w > kMaxAngle)
        w = kMaxAngle;
    HighpassTuning t;
    t.g = sinePolynomial(w) / (1.0 + cosinePolynomial(w));
    t.damping = 2.0 / (q + kQOffset);
    return t;
}

void stateVariableHighpassRamp(StateVariableHighpass& filter, const HighpassTuning& target,
                               double k, bool reset)
{
    const double values[2] = {target.g, target.damping};
    const bool jump = reset || !(k > kRampThreshold);
    for (int i = 0; i < 2; ++i) {
        if (jump) {
            filter.tuning[i] = values[i];
            filter.increment[i] = 0.0;
        } else {
            filter.increment[i] = (values[i] - filter.tuning[i]) * k;
        }
    }
    if (reset) {
        filter.state[0] = 0.0;
        filter.state[1] = 0.0;
    }
}

void stateVariableHighpassProcess(StateVariableHighpass& filter, float* samples, int32_t frames,
                                  int32_t stride)
{
    // The trapezoidal integrators in the form whose sample-to-sample chain
    // is shortest: the tuning's divisions lie off the chain through the two
    // states, so they overlap with it.
    double s1 = filter.state[0], s2 = filter.state[1];
    double g = filter.tuning[0], damping = filter.tuning[1];
    const double dg = filter.increment[0], dDamping = filter.increment[1];
    for (int32_t n = 0; n < frames; ++n) {
        float& sample = samples[static_cast<size_t>(n) * static_cast<size_t>(stride)];
        const double a1 = 1.0 / (1.0 + g * (g + damping));
        const double a2 = g * a1;
        const double a3 = g * a2;
        const double input = double(sample);
        const double v3 = input - s2;
        const double band = a1 * s1 + a2 * v3;
        const double low = s2 + a2 * s1 + a3 * v3;
        s1 = 2.0 * band - s1;
        s2 = 2.0 * low - s2;
        sample = float(input - damping * band - low);
        g += dg;
        damping += dDamping;
    }
    filter.state[0] = s1;
    filter.state[1] = s2;
    filter.tuning[0] = g;
    filter.tuning[1] = damping;
}

} // namespace synthdsp
