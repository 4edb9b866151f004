#pragma once
// The memory layouts of the LFO: its global block (parameter values and the
// state all voices share) and its per-voice record.

#include "engine/module/AM_ProcessContext.h"

#include <cstddef>
#include <cstdint>

// Global block. The first 18 words are the parameter values and shared
// words in their fixed order; the single-trigger row follows them.
struct AM_LfoGlobal {
    int32_t sync;              // "Sync": -3 to -1 free, 0 to 23 note values
    int32_t trigger;           // "Trig"
    int32_t wave;              // "Wave" 0-7
    float phaseOffset;         // "Phse", percent of a cycle
    uint32_t ownRow;           // the LFO's control row (prepare)
    float meter;               // "VMet": the last value written
    float smoothing;           // two-pole smoother coefficient (per-block routine)
    uint32_t sharedParameters; // 1 in the shared-parameter form (prepare)
    float delay;               // "Dly" 0-100
    float depth;               // "DMD1" 0-100
    int32_t depthSource;       // "DMS1"
    float rate;                // "Rate", octaves
    float rateDepth;           // "FMD1", octaves per unit of the source
    int32_t rateSource;        // "FMS1"
    float depth2;              // a second depth modulation no parameter
    int32_t depthSource2;      // addresses; both stay 0
    uint32_t blockStamp;       // single trigger: block of the shared row
    uint32_t restartFlag;      // 1 after the first voice started (message 52)
    // Single trigger: control steps of the sub-block computed so far, and
    // the values every voice receives.
    uint32_t sharedSteps;
    uint32_t reserved[3];
    float sharedRow[k_controlRowSteps];
};

static_assert(offsetof(AM_LfoGlobal, sharedSteps) == 72, "the parameter words take 72 bytes");

// Bits of AM_LfoVoice::restartPending.
enum AM_LfoRestart : uint32_t {
    k_lfoSyncPending = 0x1, // align the phase with the song at the next run
    k_lfoFreshRamp = 0x2,   // per-block routine: the ramp starts at the new value
};

// One voice, 56 bytes.
struct AM_LfoVoice {
    double phase;    // 0 to 1
    float delayRamp; // 0 to 1
    int32_t barCounter;
    float rampTarget; // per-block routine: the value the last ramp reached
    float band;       // smoother states
    float low;
    float randomPrevious;
    float randomNext;
    uint32_t halfCycle;      // 1 in the second half of the cycle
    uint32_t restartPending; // AM_LfoRestart bits
    uint32_t barStamp;       // block counter of the last bar count
    double offsetPhase;      // phase + "Phse" at the end of the last run
};

static_assert(sizeof(AM_LfoVoice) == 56, "an LFO voice takes 56 bytes");
