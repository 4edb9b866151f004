#pragma once
// The tempo-synced clock that the process paths advance once per sub-block
// and that modules read from the process context: the song position in
// quarter notes, the new-bar flag, and a clock of a chosen note value with
// swing (clock tempo, beat count, gate, phase and shaped phase).
//
// Every function runs on the audio thread, allocates nothing and ends in a
// bounded number of steps whatever the context holds: a tempo that is 0, not
// finite or negative moves nothing; a rate period that is not usable counts
// as 44100 Hz; beats per bar that are not usable count as 4.

#include "engine/module/AM_ProcessContext.h"

#include <cstdint>

// Entries of the note-value table (the "SBase" values).
constexpr int32_t k_clockNoteValues = 24;

// One clock cycle in quarter notes x 2 for a note-value index; an index
// outside the table is clamped to it.
double AM_clockNoteValue(int32_t index);

// The bar line a block starts with: bar start + beats per bar, or, when that
// lies before the song position, the song position + 16.
double AM_firstBarLine(const AM_ProcessContext& context);

// What one sub-block moves: the beats the song position advances and what
// the beat count grows by at the end of the sub-block.
struct AM_ClockStep {
    double beats;
    double beatGrowth;
};

// The beats of a sub-block of `frames` samples, the new-bar flag for it, and
// the next bar line moved past the sub-block's end when it crosses one.
double AM_clockBarStep(AM_ProcessContext& context, int32_t frames, double& nextBarLine);

// Pieces both clock variants share.
// The gate and tempo of the swung clock at `phase` (0..1) of its cycle: the
// shaping bends the phase towards its square as the swing grows, so the
// gate (stored at once) opens later in the cycle; returns the shaped phase.
double AM_shapeClockPhase(AM_ProcessContext& context, double phase);
// The clock tempo that makes the beat count grow by `growth` over `frames`
// samples at `rate` cycles per beat, at least 1 beat per minute (a tempo
// that is not a number counts as 1).
double AM_swungClockTempo(const AM_ProcessContext& context, double growth, int32_t frames,
                          double rate);
// Cycles of the swung clock per beat for the context's note value.
double AM_clockRate(const AM_ProcessContext& context);
// Swing off: clock tempo = tempo (0 when not usable) and the gate open.
void AM_runUnswungClock(AM_ProcessContext& context);

// The clock of the stereo path for one sub-block: bar step, then swing off
// (clock tempo = tempo, gate 1, phases 0.5) or the swung clock.
AM_ClockStep AM_runClock(AM_ProcessContext& context, int32_t frames, double& nextBarLine);

// End of the sub-block: the song position and the beat count advance.
void AM_finishClock(AM_ProcessContext& context, const AM_ClockStep& step);
