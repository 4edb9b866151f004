#pragma once
// The oscillator core for several voices at once, one voice per vector
// lane: 4 lanes with SSE2, 8 with AVX2 where the processor has it (else two
// groups of 4 SSE2 lanes one after the other). Each lane performs the operations of
// renderOscillators for its voice in the same order, so its frames and its
// state are those of the one-voice loop, bit for bit.
//
// The phases, the raw saw and pulse parts, the correction rings' read-out,
// the mix and the DC blocker run in the lanes; a jump (a wrap, a pulse edge,
// a sub oscillator step, a sync) is rare and is handled for its voice alone,
// with the one-voice code's steps, its corrections placed into the voice's
// own ring. The lanes read the rings four frames at a time (one load per
// voice and ring, turned into one vector per frame); a jump refreshes what
// its voice reads for the rest of the four frames.

#include "synth/dsp/Oscillators.h"

#include <cstdint>

namespace synthdsp {

constexpr int32_t kMaxOscillatorLanes = 8;

// One voice of a lane group: its state, block constants, rows and output
// buffers, as renderOscillators takes them.
struct OscillatorLane {
    OscillatorState* state;
    const OscillatorBlock* block;
    OscillatorRows rows;
    OscillatorOutput out;
};

// Renders `frames` frames of `count` voices (1 to kMaxOscillatorLanes) and advances their states, as renderOscillators would
// for each. Allocates nothing. Audio thread (the owner of the states).
void renderOscillatorLanes(const OscillatorLane* lanes, int32_t count,
                           const OscillatorTables& tables, int32_t frames);

// The kernels by width, for tests and benchmarks: 4 SSE2 lanes (count up to
// 4), 8 lanes as two SSE2 vectors, 8 AVX2 lanes (only where the processor
// has AVX2).
void renderOscillatorLanes4(const OscillatorLane* lanes, int32_t count,
                            const OscillatorTables& tables, int32_t frames);
void renderOscillatorLanes8Sse2(const OscillatorLane* lanes, int32_t count,
                                const OscillatorTables& tables, int32_t frames);
void renderOscillatorLanes8(const OscillatorLane* lanes, int32_t count,
                            const OscillatorTables& tables, int32_t frames);

} // namespace synthdsp
