#pragma once
// The memory layouts of a circuit: the header of its global memory, the
// switch list, and its voice memory (the four smoothed controllers).

#include "engine/module/AM_ChildRecord.h"

#include <cstdint>

// One on/off switch of a child with class flag 0x800000. The value is the
// "Active %s" parameter's storage (a list parameter, stored as an integer).
struct AM_SwitchEntry {
    int32_t value;
    uint32_t recordNumber;
};

// The start of a circuit's global memory. Behind it: the switch list, the
// child records and the run list.
struct AM_CircuitHeader {
    int32_t recordCount;
    int32_t runCount; // entries of the run list
    AM_ChildRecord* records;
    uint32_t* runList;    // record numbers in run order
    int32_t circuitIndex; // selects the circuit's modulation lists
    int32_t routingValue; // "Circuit Routing"
    int32_t switchCount;
    float outputValue;        // "Output", percent
    float randomValue;        // "Random", percent
    int32_t randomizeValue;   // "Randomize"
    int32_t syncTriggerValue; // "Sync Trigger"
    uint32_t firstControlRow; // the 4 controllers use rows r to r+3
    AM_SwitchEntry* switches; // null without switches
    uint32_t* runListEnd;
    uint8_t reserved[24];
};

static_assert(sizeof(AM_CircuitHeader) == 96, "the circuit header takes 96 bytes");

constexpr int32_t k_circuitControllers = 4;
// Controllers: mod wheel, pitch wheel, breath, expression.
enum AM_CircuitController : int32_t {
    k_controllerModWheel = 0,
    k_controllerPitchWheel = 1,
    k_controllerBreath = 2,
    k_controllerExpression = 3,
};

// A circuit's voice memory, one per copy and voice; a derived circuit keeps
// its own voice block right behind it (ownBlock points there).
struct AM_CircuitVoice {
    float target[k_circuitControllers];
    float current[k_circuitControllers];
    float increment[k_circuitControllers]; // per control step; 0 = to compute
    void* ownBlock;
};

static_assert(sizeof(AM_CircuitVoice) == 56, "a circuit's voice memory takes 56 bytes");

// Bytes of global memory: the header, then per child record 48 bytes of
// record and 4 of run list, then per switch 8 bytes.
constexpr uint32_t k_circuitHeaderBytes = 96;
constexpr uint32_t k_circuitBytesPerRecord = 52;
constexpr uint32_t k_circuitBytesPerSwitch = 8;
