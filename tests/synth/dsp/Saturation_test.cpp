#include "synth/dsp/Saturation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace synthdsp;

double reference(double v, double knee)
{
    const double magnitude = std::fabs(v);
    if (magnitude <= knee)
        return v;
    const double x = std::min(magnitude - knee, 3.2825);
    const double p = x * (27.0 + x * x) / (27.0 + 9.0 * x * x);
    return std::copysign(knee + p, v);
}

// The soft clip of the feedback and the input: the identity inside the knee,
// odd, continuous and rising.
TEST(Saturation, SoftClipIsOddContinuousAndRising)
{
    for (float knee : {0.5f, 0.75f}) {
        SCOPED_TRACE(testing::Message() << "knee " << knee);
        float previous = softClipAboveKnee(-20.0f, knee);
        for (float v = -20.0f; v <= 20.0f; v += 0.001f) {
            const float y = softClipAboveKnee(v, knee);
            ASSERT_EQ(softClipAboveKnee(-v, knee), -y) << v;
            ASSERT_GE(y, previous - 1e-6f) << v;   // P is flat at 3: rounding only
            ASSERT_LT(y - previous, 0.0011f) << v; // no jump
            if (std::fabs(v) <= knee) {
                ASSERT_EQ(y, v);
            }
            previous = y;
        }
        // Beyond the knee it follows knee + P(excess).
        EXPECT_NEAR(softClipAboveKnee(knee + 3.0f, knee), knee + 1.0f, 1e-6f);
        EXPECT_NEAR(softClipAboveKnee(-knee - 3.0f, knee), -knee - 1.0f, 1e-6f);
    }
}

// The sections' saturator in four lanes against its definition, and its
// shape: sign-preserving and never falling, for knees from 0 up.
TEST(Saturation, SectionSaturator)
{
    for (float knee : {0.0f, 0.2f, 1.0f, 16.0f}) {
        SCOPED_TRACE(testing::Message() << "knee " << knee);
        const __m128 k = _mm_set1_ps(knee);
        float previous = -1e9f;
        for (float v = -30.0f; v <= 30.0f; v += 0.004f) {
            alignas(16) float out[4];
            _mm_store_ps(out, saturate4(_mm_set_ps(-v, v, v, v), k));
            ASSERT_NEAR(out[0], reference(v, knee), 1e-6 * (1.0 + std::fabs(v))) << v;
            ASSERT_EQ(out[1], out[0]);
            ASSERT_EQ(out[3], -out[0]);
            ASSERT_TRUE(out[0] == 0.0f || std::signbit(out[0]) == std::signbit(v)) << v;
            ASSERT_GE(out[0], previous - 1e-6f) << v;
            previous = out[0];
        }
    }
}

} // namespace
