#include "synth/dsp/StepCorrectionTable.h"

#include "synth/dsp/BandLimitedStep.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace synthdsp;

TEST(StepCorrectionTable, EachCopyHoldsTheCorrectionRowsAtItsOffset)
{
    const float* table = stepCorrectionTable();
    const float* step = bandLimitedStep();
    ASSERT_EQ(reinterpret_cast<uintptr_t>(table) % 16, 0u);
    for (int32_t copy = 0; copy < kCorrectionCopies; ++copy) {
        const float* rows = table + copy * kCorrectionCopyOffset;
        // The copy starts `copy` floats past a 16-byte boundary.
        EXPECT_EQ(reinterpret_cast<uintptr_t>(rows) % 16, uintptr_t(copy) * sizeof(float));
        for (int32_t j = 0; j < kStepPhases; ++j)
            for (int32_t n = 0; n < kStepTaps; ++n)
                ASSERT_EQ(rows[kStepTaps * j + n], 2.0f * (1.0f - step[kStepPhases * n + j]))
                    << "copy " << copy << " phase " << j << " tap " << n;
    }
}

TEST(StepCorrectionTable, AlignedRunsOfFourTapsReadFromTheMatchingCopy)
{
    // A correction placed at ring position p reads taps n - c .. n - c + 3
    // of row j from copy c = p mod 4 at an aligned address; before row 0 it
    // reads zeros, and the last taps of every row are zero.
    const float* table = stepCorrectionTable();
    for (int32_t c = 0; c < kCorrectionCopies; ++c) {
        const float* rows = table + c * kCorrectionCopyOffset;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(rows - c) % 16, 0u);
        for (int32_t lane = 1; lane <= c; ++lane)
            EXPECT_EQ(rows[-lane], 0.0f) << "copy " << c;
    }
    for (int32_t j = 0; j < kStepPhases; ++j)
        for (int32_t n = 120; n < kStepTaps; ++n)
            ASSERT_EQ(table[kStepTaps * j + n], 0.0f) << "phase " << j << " tap " << n;
    // Just after a jump the correction is nearly the whole jump of 2.
    EXPECT_NEAR(table[0], 2.0f, 1e-3f);
}

TEST(StepCorrectionTable, EverythingOutsideTheRowsIsZero)
{
    const float* table = stepCorrectionTable();
    for (int32_t copy = 0; copy < kCorrectionCopies; ++copy) {
        const int32_t start = copy * kCorrectionCopyOffset + kStepPhases * kStepTaps;
        const int32_t end = copy + 1 < kCorrectionCopies ? (copy + 1) * kCorrectionCopyOffset
                                                         : kCorrectionTableFloats;
        for (int32_t i = start; i < end; ++i)
            ASSERT_EQ(table[i], 0.0f) << "entry " << i;
    }
}

} // namespace
