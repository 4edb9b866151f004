#pragma once
// The voice's key-tracked high-pass as a state-variable filter in double
// precision (trapezoidal integrators, so its frozen response is the
// bilinear one of highpassBiquadDouble for the same pitch, q and period).
//
// Its tuning glides across each block while its corner follows the key and
// the tune modulation. A direct-form biquad with poles this close to 1 gains
// energy when its coefficients move under a signal (a corner jumping up and
// down a few octaves, as a square LFO on Osc1's pitch does, pumps it until it
// blows up); the integrator states here hold the signal's energy whatever
// the tuning does, so the filter stays bounded under any modulation.
//
// Tuning: g = tan(w / 2) = sin w / (1 + cos w) with w = 2 pi f T (at most
// pi / 2, as the biquad design holds it) and damping k = 2 / (q + 0.707).

#include <cstdint>

namespace synthdsp {

struct HighpassTuning {
    double g;
    double damping;
};

// A filter's memory: the two integrator states, the running tuning (g,
// damping) and its per-sample increments.
struct StateVariableHighpass {
    double state[2];
    double tuning[2];
    double increment[2];
};

// The tuning of a corner at `pitch` (semitones, 69 = 110 Hz) with q at a
// rate of 1 / samplePeriod. Pure function; any thread.
HighpassTuning stateVariableHighpassTuning(double pitch, double q, double samplePeriod);

// Sets the glide toward `target` over 1/k samples from the running tuning.
// On reset, or when k <= kRampThreshold, the target applies at once; reset
// also clears the states. Audio thread (the filter's owner).
void stateVariableHighpassRamp(StateVariableHighpass& filter, const HighpassTuning& target,
                               double k, bool reset);

// The filter's loop values for a run of samples: one sample at a time with
// tick, then store. Audio thread (the filter's owner).
class HighpassRun {
public:
    explicit HighpassRun(const StateVariableHighpass& f)
        : s1_(f.state[0]), s2_(f.state[1]), g_(f.tuning[0]), damping_(f.tuning[1]),
          dg_(f.increment[0]), dDamping_(f.increment[1])
    {
    }
    // The trapezoidal integrators in the form whose sample-to-sample chain
    // is shortest: the tuning's divisions lie off the chain through the two
    // states, so they overlap with it.
    [[gnu::always_inline]] float tick(float sample)
    {
        const double a1 = 1.0 / (1.0 + g_ * (g_ + damping_));
        const double a2 = g_ * a1;
        const double a3 = g_ * a2;
        const double input = double(sample);
        const double v3 = input - s2_;
        const double band = a1 * s1_ + a2 * v3;
        const double low = s2_ + a2 * s1_ + a3 * v3;
        s1_ = 2.0 * band - s1_;
        s2_ = 2.0 * low - s2_;
        const float out = float(input - damping_ * band - low);
        g_ += dg_;
        damping_ += dDamping_;
        return out;
    }
    void store(StateVariableHighpass& f) const
    {
        f.state[0] = s1_;
        f.state[1] = s2_;
        f.tuning[0] = g_;
        f.tuning[1] = damping_;
    }

private:
    double s1_, s2_, g_, damping_;
    const double dg_, dDamping_;
};

// Filters `frames` samples in place, every `stride`-th float of `samples`,
// moving the tuning by its increments after each. Audio thread.
void stateVariableHighpassProcess(StateVariableHighpass& filter, float* samples, int32_t frames,
                                  int32_t stride);

} // namespace synthdsp
