// The key-tracked high-pass: the frozen response of the biquad design it
// replaced, a glide onto its target, and no energy gained however its
// tuning moves (a direct-form biquad with poles near 1 blew up under a
// square LFO on Osc1's pitch).

#include "synth/dsp/StateVariableHighpass.h"

#include "synth/dsp/BiquadDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace synthdsp;

// Energy this small is rounding among denormals, not gain.
constexpr double kRoundingFloor = 1e-300;

// The direct form I of the biquad design, with fixed coefficients.
std::vector<float> throughBiquad(const BiquadCoefficients<double>& c, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t n = 0; n < in.size(); ++n) {
        const double x = in[n];
        const double y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        out[n] = float(y);
    }
    return out;
}

std::vector<float> noise(size_t length, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> out(length);
    for (float& x : out)
        x = value(random);
    return out;
}

TEST(StateVariableHighpass, FrozenTuningFiltersAsTheBiquadDesign)
{
    struct Case {
        double pitch, q, rate;
    };
    // The lowest corner at the highest oversampled rate, typical ones, and a
    // corner held at a quarter of a low rate.
    const Case cases[] = {{0.0, 2.0, 768000.0},
                          {18.4, 2.0, 176400.0},
                          {60.0, 0.0, 192000.0},
                          {110.0, 10.0, 88200.0},
                          {150.0, 2.0, 32000.0}};
    const std::vector<float> in = noise(8192, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pitch);
        const double period = 1.0 / c.rate;
        StateVariableHighpass filter{};
        stateVariableHighpassRamp(filter, stateVariableHighpassTuning(c.pitch, c.q, period), 1.0,
                                  true);
        std::vector<float> out = in;
        stateVariableHighpassProcess(filter, out.data(), int32_t(out.size()), 1);
        const std::vector<float> reference =
            throughBiquad(highpassBiquadDouble(c.pitch, c.q, period), in);
        for (size_t n = 0; n < in.size(); ++n)
            ASSERT_NEAR(out[n], reference[n], 2e-5f) << n;
    }
}

TEST(StateVariableHighpass, GlidesOntoItsTargetAcrossTheBlockAndJumpsOnReset)
{
    const double period = 1.0 / 192000.0;
    const HighpassTuning from = stateVariableHighpassTuning(10.0, 2.0, period);
    const HighpassTuning to = stateVariableHighpassTuning(40.0, 5.0, period);
    StateVariableHighpass filter{};
    stateVariableHighpassRamp(filter, from, 1.0, true);
    std::vector<float> block = noise(256, 3);
    stateVariableHighpassProcess(filter, block.data(), 128, 2);
    stateVariableHighpassRamp(filter, to, 1.0 / 128.0, false);
    EXPECT_NEAR(filter.increment[0] * 128.0, to.g - from.g, 1e-15);
    stateVariableHighpassProcess(filter, block.data(), 128, 2);
    EXPECT_NEAR(filter.tuning[0], to.g, 1e-12);
    EXPECT_NEAR(filter.tuning[1], to.damping, 1e-12);
    EXPECT_NE(filter.state[0], 0.0);

    stateVariableHighpassRamp(filter, from, 1.0 / 128.0, true);
    EXPECT_EQ(filter.tuning[0], from.g);
    EXPECT_EQ(filter.increment[0], 0.0);
    EXPECT_EQ(filter.state[0], 0.0);
    EXPECT_EQ(filter.state[1], 0.0);
}

// Whatever the tuning does (corners jumping between the lowest and the
// highest every few samples, blocks of any length), the states without
// input never gain energy, so a bounded input keeps a bounded output.
TEST(StateVariableHighpass, NoEnergyGainedUnderAnyModulation)
{
    const double period = 1.0 / 192000.0;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> pitch(0.0, 150.0);
    std::uniform_real_distribution<double> q(0.0, 10.0);
    std::uniform_int_distribution<int32_t> frames(1, 256);
    StateVariableHighpass filter{};
    stateVariableHighpassRamp(filter, stateVariableHighpassTuning(0.0, 2.0, period), 1.0, true);
    filter.state[0] = 0.5;
    filter.state[1] = -1.0;
    double energy = 0.25 + 1.0;
    std::vector<float> silence(256);
    for (int32_t block = 0; block < 2000; ++block) {
        const int32_t n = frames(random);
        const double target = block % 2 == 0 ? 0.0 : pitch(random);
        stateVariableHighpassRamp(filter, stateVariableHighpassTuning(target, q(random), period),
                                  1.0 / double(n), false);
        for (int32_t i = 0; i < n; ++i) {
            silence[0] = 0.0f;
            stateVariableHighpassProcess(filter, silence.data(), 1, 1);
            const double now =
                filter.state[0] * filter.state[0] + filter.state[1] * filter.state[1];
            ASSERT_LE(now, energy * (1.0 + 1e-12) + kRoundingFloor)
                << "block " << block << " frame " << i;
            energy = now;
        }
    }

    const std::vector<float> in = noise(256 * 400, 5);
    std::vector<float> out = in;
    StateVariableHighpass driven{};
    stateVariableHighpassRamp(driven, stateVariableHighpassTuning(0.0, 2.0, period), 1.0, true);
    float peak = 0.0f;
    for (size_t at = 0; at < out.size(); at += 256) {
        const double target = (at / 256) % 2 == 0 ? 0.0 : 42.0;
        stateVariableHighpassRamp(driven, stateVariableHighpassTuning(target, 2.0, period),
                                  1.0 / 256.0, false);
        stateVariableHighpassProcess(driven, out.data() + at, 256, 1);
        for (size_t i = at; i < at + 256; ++i)
            peak = std::max(peak, std::fabs(out[i]));
    }
    EXPECT_LT(peak, 4.0f);
}

} // namespace
