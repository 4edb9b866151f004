#pragma once
// The memory the voice module carves from the engine block: one voice record
// per voice copy and one global record per module.

#include "engine/dsp/HalfBandDecimator.h"
#include "engine/module/AM_ProcessContext.h"
#include "synth/dsp/BiquadDesign.h"
#include "synth/dsp/FilterLanes.h"
#include "synth/dsp/FilterStage.h"
#include "synth/dsp/NoiseSource.h"
#include "synth/dsp/Oscillators.h"
#include "synth/dsp/StateVariableHighpass.h"

#include <cstdint>

class KestanAudio;

// Oversampled frames per host sample, and the most frames of one call.
constexpr int32_t k_kestanOversampling = synthdsp::kOversampling;
constexpr int32_t k_kestanMaxFrames = k_kestanOversampling * k_rowSamples;

// Control rows a voice's stretch reads, by role.
enum KestanRowRole : int32_t {
    k_kestanRowVoice,      // the voice circuit's "Voice" row (scales Detune)
    k_kestanRowKey,        // KeySource
    k_kestanRowKey2,       // the row after it
    k_kestanRowTune1,      // TuneModSrc1
    k_kestanRowTune2,      // TuneModSrc2
    k_kestanRowVibrato,    // VibratoSrc, or the default vibrato row
    k_kestanRowPulseWidth, // PWSrc, or ones
    k_kestanRowCrossMod,   // AudioRateModSrc, or ones
    k_kestanRowFm1,        // FreqModSrc1
    k_kestanRowFm2,        // FreqModSrc2
    k_kestanRowRoles,
};

// Voices one module renders together at most; more voices in a block render
// one at a time.
constexpr uint32_t k_kestanBatchVoices = 32;

// A voice taken for a batch (AM_VoiceBatch.h): its parameter words and rows
// as they were when it was taken, its stretch and bus row, and the host-rate
// samples of its output once rendered.
struct alignas(16) KestanVoiceJob {
    uint32_t values[64];
    float rows[k_kestanRowRoles][k_controlRowSteps];
    float output[k_rowSamples]; // the left channel
    float outputRight[k_rowSamples];
    int32_t start;
    int32_t length;
    uint32_t outputRow;
};

// One voice: everything that runs on from block to block (and, apart from
// the biquads, from note to note).
struct alignas(16) KestanVoiceRecord {
    synthdsp::OscillatorState oscillators;
    synthdsp::FilterState filter;
    enginedsp::HalfBandState decimatorA; // the second pass (twice to once the host rate)
    enginedsp::HalfBandState decimatorB; // the first pass (four to twice)
    // The key-tracked high-pass on the oversampled mix.
    synthdsp::StateVariableHighpass highpass;
    // Set by a note on, prepare and reset; the next block restarts the
    // high-pass and the feedback biquads and clears it.
    uint32_t resetFlag;
    KestanVoiceJob job;
};

// One lane of a batch's filter stage: the buffers of a voice's stretch.
struct alignas(16) KestanLaneScratch {
    float work[2 * k_kestanMaxFrames];
    float osc1[k_kestanMaxFrames];
    float osc2[k_kestanMaxFrames];
    float sub[k_kestanMaxFrames];
};

// The module's global memory.
struct alignas(16) KestanGlobalRecord {
    // The parameter values in parameter order: floats, and int32 for the
    // integer kinds (read them through the accessors of the render).
    uint32_t values[64];

    // The shared noise of the sub-block, generated for all voices.
    synthdsp::NoiseState noise;
    // Host samples of the current sub-block generated so far (from 0); the
    // sub-block is the one whose context block counter noise.blockStamp holds.
    int32_t noiseGenerated;
    uint32_t noiseStarted; // 0 until the first generation
    alignas(16) float white[k_rowSamples];
    float red[k_rowSamples];
    float pink[k_rowSamples];

    // Scratch of one call: the work buffer (the mix and Osc1 per frame) and
    // each oscillator's signal.
    alignas(16) float work[2 * k_kestanMaxFrames];
    alignas(16) float osc1[k_kestanMaxFrames];
    alignas(16) float osc2[k_kestanMaxFrames];
    alignas(16) float sub[k_kestanMaxFrames];

    // The voices taken for the present batch, in the order taken, and the
    // module that took them.
    const KestanAudio* batchOwner;
    uint32_t waitingCount;
    KestanVoiceRecord* waiting[k_kestanBatchVoices];
    KestanLaneScratch lanes[synthdsp::kMaxFilterLanes];
    // The lane group's prepared filter rows, one column per lane (the
    // engine block aligns to 16 bytes; the lanes load unaligned), and how
    // many columns hold values of earlier groups (the columns from there on
    // are zero).
    int32_t laneColumnsWritten;
    alignas(16) float laneInput[k_kestanMaxFrames * synthdsp::kMaxFilterLanes];
    alignas(16) float laneControl[synthdsp::kLaneControlFloats * k_kestanMaxFrames *
                                  synthdsp::kMaxFilterLanes];
};
