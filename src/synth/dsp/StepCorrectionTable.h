#pragma once
// The oscillators' step-correction table: for each sub-sample phase j and tap
// n the value 2 * (1 - S[kStepPhases * n + j]) (S the band-limited step) at
// position kStepTaps * j + n, the difference between an ideal jump of height
// 2 and the band-limited one, from the jump onward.
//
// The table is held four times, copy c starting c * kCorrectionCopyOffset
// floats from a 16-byte boundary (c floats past one), so that a run of four
// taps starting at any position is one aligned 4-float load from copy
// (position mod 4). Entries before row 0 of a copy and after its last row are
// zero. Since the step is exactly 1 from sample 120 on, taps 120 to 127 of
// every row are zero.

#include <cstdint>

namespace synthdsp {

constexpr int32_t kCorrectionCopies = 4;
// Floats per copy, as the voice's stride word gives it.
constexpr int32_t kCorrectionCopyStride = 32772;
// Copy c starts at c * kCorrectionCopyOffset (one float past a multiple of 4
// further than the previous copy).
constexpr int32_t kCorrectionCopyOffset = kCorrectionCopyStride + 1;
// Floats in the whole table (the last copy's stride included).
constexpr int32_t kCorrectionTableFloats =
    (kCorrectionCopies - 1) * kCorrectionCopyOffset + kCorrectionCopyStride;

// Fills `table` (kCorrectionTableFloats floats, 16-byte aligned) from the
// step S (kStepTableSize floats). Any thread owning `table`.
void fillStepCorrectionTable(float* table, const float* step);

// The process-wide table from bandLimitedStep(), built on first use
// (thread-safe) and never written again. 16-byte aligned. Any thread; the
// first call must not be on the audio thread.
const float* stepCorrectionTable();

} // namespace synthdsp
