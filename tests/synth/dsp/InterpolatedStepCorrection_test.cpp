#include "synth/dsp/InterpolatedStepCorrection.h"

#include "synth/dsp/BandLimitedStep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace synthdsp;

// The step at time t samples after the jump, linearly interpolated on its
// grid of 1/128 sample; 1 from the end of the table on.
double stepAt(double t)
{
    const float* step = bandLimitedStep();
    const double position = t * kStepPhases;
    const int32_t index = int32_t(std::floor(position));
    const auto at = [step](int32_t i) { return i < kStepTableSize ? double(step[i]) : 1.0; };
    return at(index) + (at(index + 1) - at(index)) * (position - index);
}

// A correction placed at any ring slot, at any sub-frame position, is m times
// 2 (1 - S) sampled at n + position for the taps n that follow the slot, and
// nothing elsewhere in the ring.
TEST(InterpolatedStepCorrection, PlacesTheInterpolatedStepDifference)
{
    const float* table = interpolatedStepCorrectionTable();
    ASSERT_EQ(reinterpret_cast<uintptr_t>(table) % 16, 0u);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Position {
        float given;
        double used;
    };
    const Position positions[] = {
        {0.0f, 0.0},
        {0.5f / 128, 0.5 / 128},
        {37.25f / 128, 37.25 / 128},
        {127.5f / 128, 127.5 / 128},
        {0.9999999f, 0.9999999},
        {1.0f, 1.0},
        {1.5f, 1.0},
        {-0.2f, 0.0},
        {nan, 0.0},
    };
    constexpr float kM = 0.7f;
    for (uint32_t p : {0u, 1u, 2u, 3u, 126u, 253u, 254u, 255u}) {
        for (const Position& position : positions) {
            SCOPED_TRACE(testing::Message() << "slot " << p << " position " << position.given);
            alignas(16) float ring[kCorrectionRingSize] = {};
            placeStepCorrection(ring, p, table, kM, position.given);
            for (int32_t n = 0; n < kCorrectionRingSize; ++n) {
                const double expected =
                    n < kStepTaps ? kM * 2.0 * (1.0 - stepAt(n + position.used)) : 0.0;
                ASSERT_NEAR(ring[(p + uint32_t(n)) % kCorrectionRingSize], expected, 2e-6)
                    << "tap " << n;
            }
        }
    }
}

// Corrections add up: two placements are the sum of each.
TEST(InterpolatedStepCorrection, CorrectionsAccumulate)
{
    const float* table = interpolatedStepCorrectionTable();
    alignas(16) float both[kCorrectionRingSize] = {};
    alignas(16) float first[kCorrectionRingSize] = {};
    alignas(16) float second[kCorrectionRingSize] = {};
    placeStepCorrection(both, 250, table, 1.0f, 0.3f);
    placeStepCorrection(both, 5, table, -0.5f, 0.8f);
    placeStepCorrection(first, 250, table, 1.0f, 0.3f);
    placeStepCorrection(second, 5, table, -0.5f, 0.8f);
    for (int32_t i = 0; i < kCorrectionRingSize; ++i)
        ASSERT_FLOAT_EQ(both[i], first[i] + second[i]) << i;
}

} // namespace
