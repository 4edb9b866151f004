#pragma once
// The low/high-pass filter stage for several voices at once, one voice per
// vector lane: 4 lanes with SSE2 (every x86-64 processor), 8 with AVX2 where
// the processor has it. Each lane performs the operations of
// processFilterLPHP for its voice in the same order, so its samples and
// states are those of the one-voice kernel, bit for bit.
//
// A voice's frames are prepared first, apart from the frame-to-frame chain:
// the cutoff coefficient, damping and lane gain of every frame, and the
// stage's input before the feedback is added (mix, noise and ring modulator
// through the input soft clip). The lanes then run the chain: feedback
// biquads, feedback soft clip, the four sections and the output.
//
// A voice goes into lanes when its block runs the low/high-pass kernel and
// its ring modulator does not read the feedback ("VCF"); the voices of one
// lane group share the pole count, the resonance boost (on or off) and
// whether the feedback is used.

#include "synth/dsp/FilterStage.h"
#include "synth/dsp/StateVariableHighpass.h"

#include <cstdint>

namespace synthdsp {

constexpr int32_t kMaxFilterLanes = 8;
// Floats per frame in a prepared control row: coefficient g, damping k,
// outer damping 0.5 k + 1, lane gain s.
constexpr int32_t kLaneControlFloats = 4;

// Whether a voice's block can run in lanes, and the key it shares with the
// other voices of its group (equal keys run together).
bool filterRunsInLanes(const FilterBlock& block);
uint32_t filterLaneKey(const FilterBlock& block);

// One voice of a lane group.
struct FilterLane {
    FilterState* state;
    const FilterBlock* block;
    float* work; // the voice's work buffer (two floats per frame)
};

// The prepared rows of a group, one column per lane (kMaxFilterLanes
// columns): input value v of frame n at input[n x kMaxFilterLanes + lane],
// control value f of frame n at control[(kLaneControlFloats x n + f) x
// kMaxFilterLanes + lane]. Columns without a voice must hold finite values.
// perFrameSteps: per control step of 16 frames, non-zero when a voice of the
// group changes its controls frame by frame there (filter FM); in the other
// steps only the step's first frame holds the controls.
struct FilterLaneRows {
    const float* input;
    const float* control;
    const uint8_t* perFrameSteps;
};

// Marks (sets to 1) the steps in which the voice's controls change frame by
// frame; the group's marks are those of all its voices. Any thread.
void markPerFrameSteps(const FilterBlock& block, const FilterRows& rows, int32_t frames,
                       uint8_t* steps);

// Fills a voice's column of the prepared rows for `frames` frames (`input`
// and `control` point at the column's first value; the controls of a step
// at every frame where the group's perFrameSteps mark it, else at its first
// frame) and leaves the last
// frame's coefficient and damping in the state, for the response plot. The
// input values still lack the input soft clip: clipLaneInputs runs over all
// columns at once. Any thread owning the buffers.
void prepareFilterLane(FilterState& state, const FilterBlock& block, const FilterRows& rows,
                       int32_t frames, const FilterBuffers& buffers, float* input, float* control,
                       const uint8_t* perFrameSteps);

// Runs `count` voices (1 to kMaxFilterLanes, all with the same lane key, the
// voice of lane l in column l of the rows) over `frames` frames: their work
// buffers receive the output in both floats of every frame, their states
// move on. More than 4 voices run in 8 lanes (one AVX2 vector where the
// processor has it, else two SSE2 vectors side by side), up to 4 in 4 SSE2
// lanes. Allocates nothing. Audio thread.
void processFilterLanes(const FilterLane* lanes, int32_t count, int32_t frames,
                        const FilterLaneRows& rows);

// The key-tracked high-pass (stateVariableHighpassProcess, its ramp set)
// for `count` voices (1 to kMaxFilterLanes) at once, every `stride`-th float
// of each voice's samples; bit for bit the one-voice filter. Runs lanes of
// 4 doubles (one AVX2 vector where the processor has it, else two SSE2
// vectors), a group of 2 in one SSE2 vector. Audio thread.
void processHighpassLanes(StateVariableHighpass* const* filters, float* const* samples,
                          int32_t count, int32_t frames, int32_t stride);
void processHighpassLanes2(StateVariableHighpass* const* filters, float* const* samples,
                           int32_t count, int32_t frames, int32_t stride);
void processHighpassLanes4(StateVariableHighpass* const* filters, float* const* samples,
                           int32_t count, int32_t frames, int32_t stride);
// The same 4 lanes as two SSE2 vectors.
void processHighpassLanes4Sse2(StateVariableHighpass* const* filters, float* const* samples,
                               int32_t count, int32_t frames, int32_t stride);

// The stage's input soft clip and trim (softClipAboveKnee at the input knee)
// over `count` values in place, four at a time. Any thread.
void clipLaneInputs(float* values, int32_t count);

// The kernels by width, for tests and benchmarks (the AVX2 one only where
// the processor has AVX2).
// The 4-lane kernel runs the columns from firstColumn (0 or 4), the 8-lane
// one all columns (firstColumn 0).
void processFilterLanes4(const FilterLane* lanes, int32_t count, int32_t frames,
                         const FilterLaneRows& rows, int32_t firstColumn);
void processFilterLanes8(const FilterLane* lanes, int32_t count, int32_t frames,
                         const FilterLaneRows& rows, int32_t firstColumn);
// The same 8 lanes as two SSE2 vectors side by side.
void processFilterLanes8Sse2(const FilterLane* lanes, int32_t count, int32_t frames,
                             const FilterLaneRows& rows, int32_t firstColumn);
bool processorHasAvx2();

// Process-wide: whether AVX2 kernels may be chosen (on by default when the
// processor has AVX2 and the environment variable KESTAN_SIMD is not
// "sse2"). Tests switch it off to force the SSE2 path. Any thread.
void setWideLanesAllowed(bool allowed);
bool wideLanesInUse();

} // namespace synthdsp
