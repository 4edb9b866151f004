#include "synth/dsp/BiquadDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

namespace {

using namespace synthdsp;

constexpr double kPi = 3.14159265358979323846;

TEST(BiquadDesign, PolynomialsFollowSineAndCosineUpToHalfPi)
{
    // The truncated series are good to a few 1e-6 at pi/2, far better below.
    for (double x = -kPi / 2; x <= kPi / 2; x += 0.001) {
        const double tolerance = std::fabs(x) < 1.0 ? 1e-7 : 5e-6;
        ASSERT_NEAR(sinePolynomial(x), std::sin(x), tolerance) << x;
        ASSERT_NEAR(cosinePolynomial(x), std::cos(x), tolerance) << x;
        ASSERT_NEAR(sinePolynomial(float(x)), std::sin(x), tolerance + 2e-7) << x;
        ASSERT_NEAR(cosinePolynomial(float(x)), std::cos(x), tolerance + 2e-7) << x;
    }
}

TEST(BiquadDesign, CubicPowerOfTwo)
{
    // A cubic per octave: within about 1.5e-4 relative.
    for (float x = -20.0f; x <= 20.0f; x += 0.01f)
        ASSERT_NEAR(cubicPowerOfTwo(x) / std::exp2(double(x)), 1.0, 2e-4) << x;
    for (int n = -10; n <= 10; ++n)
        EXPECT_NEAR(cubicPowerOfTwo(float(n)), std::ldexp(1.0, n), std::ldexp(1.0, n) * 1e-4) << n;
}

template <typename T>
double gainAt(const BiquadCoefficients<T>& c, double frequency, double samplePeriod)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * frequency * samplePeriod);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((double(c.b0) + double(c.b1) * z1 + double(c.b2) * z2) /
                    (1.0 + double(c.a1) * z1 + double(c.a2) * z2));
}

TEST(BiquadDesign, ResponsesAtTheirCorners)
{
    constexpr double kPeriod = 1.0 / 176400.0; // four times 44.1 kHz
    // q 0.7 gives a quality of (0.7 + 0.707) / 2: nearly Butterworth.
    const double cornerGain = (0.7 + 0.707) / 2.0;
    struct Case {
        float pitch;
        double hertz;
    };
    const auto hertzOf = [](double pitch) { return 110.0 * std::exp2((pitch - 69.0) / 12.0); };
    // The single-precision low-pass serves high corners (the voice uses pitch
    // 125); far below, its rounded coefficients lose the DC gain.
    for (float pitch : {105.0f, 125.0f, 140.0f}) {
        SCOPED_TRACE(testing::Message() << "low-pass pitch " << pitch);
        const auto low = lowpassBiquadFloat(pitchTable(), pitch, 0.7f, float(kPeriod));
        EXPECT_NEAR(gainAt(low, 0.0, kPeriod), 1.0, 1e-4);
        EXPECT_NEAR(gainAt(low, hertzOf(pitch), kPeriod), cornerGain, 1e-3);
        EXPECT_LT(gainAt(low, 16.0 * hertzOf(pitch), kPeriod), 0.01);
    }
    const Case cases[] = {
        {30.0f, hertzOf(30.0)}, {69.0f, 110.0}, {93.0f, 440.0}, {125.0f, hertzOf(125.0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "high-pass pitch " << c.pitch);
        const auto high = highpassBiquadDouble(c.pitch, 0.7, kPeriod);
        EXPECT_NEAR(gainAt(high, 0.0, kPeriod), 0.0, 1e-12);
        // The frequency comes from the cubic power of two (1e-4).
        EXPECT_NEAR(gainAt(high, c.hertz, kPeriod), cornerGain, 2e-3);
        EXPECT_NEAR(gainAt(high, 0.5 / kPeriod, kPeriod), 1.0, 1e-9);
        EXPECT_LT(gainAt(high, c.hertz / 16.0, kPeriod), 0.01);
    }
    // Resonance raises the corner: q 10 gives a gain of (10 + 0.707) / 2 there.
    const auto resonant = highpassBiquadDouble(93.0, 10.0, kPeriod);
    EXPECT_NEAR(gainAt(resonant, 440.0, kPeriod), (10.0 + 0.707) / 2.0, 0.05);
}

// At low host rates the voice's corners (the high-pass up to pitch 150, the
// feedback low-pass at 125) lie above a quarter of the oversampled rate; they
// are held there, so both poles stay inside the unit circle.
TEST(BiquadDesign, CornersAboveAQuarterOfTheRateStayStable)
{
    const auto stable = [](double a1, double a2) {
        return std::fabs(a2) < 1.0 && std::fabs(a1) < 1.0 + a2;
    };
    for (double hostRate : {1000.0, 2000.0, 4000.0, 8000.0, 11025.0}) {
        const double period = 1.0 / (4.0 * hostRate);
        for (double q : {0.0, 2.0, 10.0}) {
            SCOPED_TRACE(testing::Message() << hostRate << " Hz, q " << q);
            const auto high = highpassBiquadDouble(150.0, q, period);
            EXPECT_TRUE(stable(high.a1, high.a2)) << high.a1 << " " << high.a2;
            const auto low = lowpassBiquadFloat(pitchTable(), 125.0f, float(q), float(period));
            EXPECT_TRUE(stable(low.a1, low.a2)) << low.a1 << " " << low.a2;
            // Held at a quarter of the rate: the high-pass passes the top,
            // the low-pass keeps DC.
            EXPECT_NEAR(gainAt(high, 0.5 / period, period), 1.0, 1e-9);
            EXPECT_NEAR(gainAt(low, 0.0, period), 1.0, 1e-5);
        }
    }
}

TEST(BiquadDesign, RampsMoveTowardTheNewCoefficients)
{
    BiquadRecord<float> record{{0.1f, -0.2f, 0.3f, -0.4f}, {}, {1.0f, 2.0f, 3.0f, 4.0f, 5.0f}};
    const BiquadCoefficients<float> target{2.0f, 0.0f, 5.0f, 4.0f, -3.0f};
    constexpr int kSamples = 64;
    biquadRampFloat(record, target, 1.0f / kSamples, false);
    const float values[5] = {target.b0, target.b1, target.b2, target.a1, target.a2};
    const float start[5] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(record.coefficient[i], start[i]) << "the ramp starts where it was, " << i;
        EXPECT_FLOAT_EQ(record.coefficient[i] + kSamples * record.increment[i], values[i]) << i;
    }
    EXPECT_EQ(record.state[0], 0.1f) << "a ramp keeps the filter's memory";

    // A voice reset jumps and clears the memory; so does a vanishing k, but
    // it keeps the memory.
    BiquadRecord<double> d{
        {1.0, 2.0, 3.0, 4.0}, {9.0, 9.0, 9.0, 9.0, 9.0}, {1.0, 2.0, 3.0, 4.0, 5.0}};
    biquadRampDouble(d, {0.5, 0.25, 0.125, -1.0, 0.5}, 1e-6, false);
    EXPECT_EQ(d.coefficient[3], -1.0);
    EXPECT_EQ(d.increment[3], 0.0);
    EXPECT_EQ(d.state[2], 3.0);
    biquadRampDouble(d, {0.5, 0.25, 0.125, -1.0, 0.5}, 0.01, true);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.state[i], 0.0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(d.increment[i], 0.0);
}

TEST(BiquadDesign, FloatRampClearsUnusableMemory)
{
    const float inf = std::numeric_limits<float>::infinity();
    BiquadRecord<float> record{
        {std::numeric_limits<float>::quiet_NaN(), inf, 1e-40f, 0.25f}, {}, {}};
    biquadRampFloat(record, {1.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 0.01f, false);
    EXPECT_EQ(record.state[0], 0.0f);
    EXPECT_EQ(record.state[1], 0.0f);
    EXPECT_EQ(record.state[2], 0.0f);
    EXPECT_EQ(record.state[3], 0.25f);
}

} // namespace
