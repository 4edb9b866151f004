#include "synth/dsp/PitchTableLookup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace synthdsp;

// The inline lookup of the per-frame loops gives the table method's result bit
// for bit, inside and outside the range.
TEST(PitchTableLookup, MatchesPitchToFrequency)
{
    const PitchTable& table = pitchTable();
    for (float pitch = -20.0f; pitch < 220.0f; pitch += 0.0037f)
        ASSERT_EQ(lookUpPitchFrequency(table, pitch), pitchToFrequency(table, pitch)) << pitch;
    const float inf = std::numeric_limits<float>::infinity();
    for (float pitch : {kMaxTablePitch, 192.0f, inf, -inf, std::nanf("")})
        EXPECT_EQ(lookUpPitchFrequency(table, pitch), pitchToFrequency(table, pitch)) << pitch;
}

} // namespace
