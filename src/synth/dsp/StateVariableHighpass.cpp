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
    HighpassRun run(filter);
    for (int32_t n = 0; n < frames; ++n) {
        float& sample = samples[static_cast<size_t>(n) * static_cast<size_t>(stride)];
        sample = run.tick(sample);
    }
    run.store(filter);
}

} // namespace synthdsp
