#include "synth/dsp/PitchTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

namespace {

using synthdsp::kMaxTablePitch;
using synthdsp::pitchTable;
using synthdsp::pitchToFrequency;

double law(double pitch)
{
    return 110.0 * std::exp2((pitch - 69.0) / 12.0);
}

double relativeError(float pitch)
{
    const double expected = law(double(pitch));
    return std::fabs(double(pitchToFrequency(pitchTable(), pitch)) - expected) / expected;
}

TEST(PitchTable, FollowsTheLawWithinOnePartPerMillionOverTheWholeRange)
{
    // A dense regular sweep, every segment boundary (0.75 semitones apart)
    // with its neighbours, and random pitches.
    double worst = 0.0;
    float worstAt = 0.0f;
    double worstOfTheCubics = 0.0; // against the pitch the index float stands for
    const auto check = [&](float q) {
        const double e = relativeError(q);
        if (e > worst) {
            worst = e;
            worstAt = q;
        }
        const double indexed = (double(synthdsp::pitchTableIndex(q)) - 1.0) * 192.0;
        const double f = pitchToFrequency(pitchTable(), q);
        worstOfTheCubics = std::max(worstOfTheCubics, std::fabs(f - law(indexed)) / law(indexed));
    };
    constexpr int kSweep = 1 << 20;
    for (int i = 0; i < kSweep; ++i)
        check(float(192.0 * i / kSweep));
    for (int b = 0; b <= 256; ++b) {
        const float edge = std::fmin(0.75f * float(b), kMaxTablePitch);
        check(edge);
        check(std::nextafter(edge, 0.0f));
        check(std::fmin(std::nextafter(edge, 200.0f), kMaxTablePitch));
    }
    std::mt19937 rng(1234u);
    std::uniform_real_distribution<float> dist(0.0f, kMaxTablePitch);
    for (int i = 0; i < 200000; ++i)
        check(dist(rng));
    std::printf("pitch table: largest relative error %.3g at pitch %.6f; the cubics alone, "
                "against the pitch the index float stands for: %.3g\n",
                worst, double(worstAt), worstOfTheCubics);
    EXPECT_LT(worst, 1e-6) << "at pitch " << worstAt;
}

TEST(PitchTable, ReferencePitches)
{
    struct Case {
        float pitch;
        double hertz;
    };
    const Case cases[] = {{69.0f, 110.0},
                          {93.0f, 440.0},
                          {81.0f, 220.0},
                          {0.0f, 110.0 * std::exp2(-69.0 / 12.0)},
                          {180.0f, 110.0 * std::exp2(111.0 / 12.0)}};
    for (const Case& c : cases)
        EXPECT_NEAR(pitchToFrequency(pitchTable(), c.pitch), c.hertz, c.hertz * 1e-6) << c.pitch;
}

TEST(PitchTable, PitchesOutsideTheRangeAreClampedToItsEnds)
{
    const float bottom = pitchToFrequency(pitchTable(), 0.0f);
    const float top = pitchToFrequency(pitchTable(), kMaxTablePitch);
    EXPECT_NEAR(top, law(kMaxTablePitch), law(kMaxTablePitch) * 1e-6);
    const float inf = std::numeric_limits<float>::infinity();
    for (float low : {-0.001f, -12.0f, -1e30f, -inf, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(pitchToFrequency(pitchTable(), low), bottom) << low;
    for (float high : {192.0f, std::nextafter(kMaxTablePitch, 200.0f), 250.0f, 1e30f, inf})
        EXPECT_EQ(pitchToFrequency(pitchTable(), high), top) << high;
}

TEST(PitchTable, TheTopPitchIsTheLastOneInsideTheOctaveTable)
{
    // The index float must stay below 2; one step further up it is 2 and
    // would wrap to the lowest octave.
    EXPECT_LT(synthdsp::pitchTableIndex(kMaxTablePitch), 2.0f);
    EXPECT_EQ(std::nextafter(kMaxTablePitch, 200.0f), synthdsp::kPitchRange);
    EXPECT_EQ(synthdsp::pitchTableIndex(synthdsp::kPitchRange), 2.0f);
}

TEST(PitchTable, OctaveFactorsArePowersOfTwoFromOneOver128To256)
{
    const synthdsp::PitchTable& table = pitchTable();
    for (int o = 0; o < synthdsp::kPitchOctaves; ++o)
        EXPECT_EQ(table.octaveFactor[o], std::ldexp(1.0f, o - 7)) << o;
}

} // namespace
