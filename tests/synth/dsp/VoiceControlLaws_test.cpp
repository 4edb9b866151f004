#include "synth/dsp/VoiceControlLaws.h"

#include "synth/dsp/OscillatorWavetables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace synthdsp;

TEST(VoiceControlLaws, LevelToGain)
{
    struct Case {
        float level;
        double gain;
    };
    // Linear up to 0, then about half a decibel per step: 2^(0.16562499 v /
    // 2), the factor standing in for log2(10) / 20 (25 gives +12.4 dB).
    const auto above = [](double v) { return std::exp2(0.16562499 * v / 2.0); };
    const Case cases[] = {{-100.0f, 0.0},       {-150.0f, 0.0},      {-50.0f, 0.5},
                          {-30.0f, 0.7},        {0.0f, 1.0},         {0.5f, above(0.5)},
                          {12.0f, above(12.0)}, {25.0f, above(25.0)}};
    for (const Case& c : cases)
        EXPECT_NEAR(levelToGain(c.level), c.gain, 2e-4 * c.gain + 1e-7) << c.level;
}

TEST(VoiceControlLaws, ShapeWeightsCrossfadeNeighbours)
{
    struct Case {
        float shape;
        float weights[4];
    };
    const Case cases[] = {{1.0f, {1, 0, 0, 0}},
                          {2.5f, {0, 0.5f, 0.5f, 0}},
                          {3.25f, {0, 0, 0.75f, 0.25f}},
                          {4.0f, {0, 0, 0, 1}}};
    for (const Case& c : cases)
        for (int32_t wave = 1; wave <= 4; ++wave)
            EXPECT_FLOAT_EQ(shapeWeight(c.shape, wave), c.weights[wave - 1])
                << c.shape << " wave " << wave;
}

TEST(VoiceControlLaws, TriangleLevelDoublesItsLimitPerLevel)
{
    const float unit = 1.5f / 2048.0f;
    struct Case {
        float increment;
        int32_t level;
    };
    const Case cases[] = {{0.0f, 0},          {unit, 0},         {std::nextafter(unit, 1.0f), 1},
                          {2.0f * unit, 1},   {2.01f * unit, 2}, {256.0f * unit, 8},
                          {256.5f * unit, 9}, {0.5f, 9}};
    for (const Case& c : cases)
        EXPECT_EQ(triangleLevelForIncrement(c.increment), c.level) << c.increment;
}

} // namespace
