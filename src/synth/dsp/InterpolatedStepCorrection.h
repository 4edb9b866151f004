#pragma once
// Placing band-limited step corrections into an oscillator's correction ring,
// with the jump's sub-frame position interpolated between phase rows.
//
// The step-correction table (StepCorrectionTable.h) holds 128 phase rows per
// copy; choosing the row just below a jump's position makes the jump up to
// 1/128 frame late, and when successive jumps alternate between two timing
// errors the saw gets a spur at odd multiples of half its fundamental (about
// -69 dB at 5 kHz). Each copy therefore also holds, behind its rows, a block
// of slopes: slope row j is row j + 1 minus row j, where the row after the
// last is row 0 one tap later (the step one whole frame on). A correction is
// m * (row j + t * slope j) with j and t the integer and fractional parts of
// 128 times the position: linear interpolation between neighbouring rows,
// which brings the saw's alias floor down to that of the step itself.
//
// Layout per copy (copy c starts c * kCorrectionCopyOffset floats from the
// table's 16-byte aligned start): rows at 0 .. 16383 (entry 128 j + n), the
// slope block at kCorrectionSlopeOffset + 128 j + n, zeros behind it.

#include "synth/dsp/BandLimitedStep.h"
#include "synth/dsp/StepCorrectionTable.h"

#include <cstdint>

namespace synthdsp {

constexpr int32_t kCorrectionRingSize = 256;
constexpr int32_t kCorrectionSlopeOffset = kStepTaps * kStepPhases;

// Fills the slope block of every copy of a table whose rows are in place
// (fillStepCorrectionTable). Any thread owning `table`.
void fillStepCorrectionSlopes(float* table);

// The process-wide table with rows and slopes (kCorrectionTableFloats floats,
// 16-byte aligned), built on first use (thread-safe) and never written again.
// Any thread; the first call must not be on the audio thread.
const float* interpolatedStepCorrectionTable();

// Adds m times the correction of a jump `position` frames before the sampling
// point of ring slot p to the ring (kCorrectionRingSize floats, 16-byte
// aligned): tap n lands on slot (p + n) mod 256, for the taps 0 to 123 - (p mod
// 4); the later taps are zero. The slots p - (p mod 4) .. p - 1 receive zeros.
// A position outside [0, 1) is held at its limits (NaN counts as 0). 31
// aligned 4-float multiply-adds from the table's copy p mod 4. Audio thread
// (the ring's owner).
void placeStepCorrection(float* ring, uint32_t p, const float* table, float m, float position);

} // namespace synthdsp
