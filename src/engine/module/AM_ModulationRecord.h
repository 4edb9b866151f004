#pragma once
// One row of the modulation matrix, 64 bytes, in the process context's
// record array. The matrix parameters write source, target, depth, via source
// and via depth; the audio manager's routing rebuild writes the target
// pointer, the range and the scale; the circuits apply and restore it.

#include <cstdint>

struct AM_ModulationRecord {
    int32_t source;       // control row of the source (0 = none)
    int32_t target;       // global id of the target parameter, -1 for none
    float depth;          // percent, -100..100
    int32_t viaSource;    // control row of the via source (0 = none)
    float viaDepth;       // via amount in percent
    float scale;          // (maximum - minimum) x 0.01
    float* targetValue;   // the target's storage
    float savedValue;     // the plain value before the apply
    float modulatedValue; // the value the apply wrote
    uint32_t applied;     // 1 while applied
    float minimum;
    float maximum;
    uint32_t reserved[3];
};

static_assert(sizeof(AM_ModulationRecord) == 64, "AM_ModulationRecord is a 64-byte record");
