#pragma once
// The shared parameter block: the parameter manager's arrays, carved from
// the memory it asks for as its voice memory, so they live in the engine
// block. One layout function serves both the sizing and the carving.
//
// Threads: carved on the thread that builds the engine. Once the first
// block has run, values, storage writes, ramps, touch states and the XY
// records belong to the audio thread; the requested values and the change
// queue's slots are atomic and may be touched from any thread.

#include "params/AM_ParamChangeQueue.h"

#include <atomic>
#include <cstdint>

struct AM_ParamInfo;

// A ramp of a smoothed parameter.
struct AM_RampRecord {
    uint32_t parameter; // global id
    float step;         // added to the value once per block
    int32_t stepsLeft;  // -1 when idle
    float target;
};

// One XY assignment (axis, slot).
struct AM_XYAssignment {
    int32_t target; // global id or -1
    float down;     // percent for negative axis values
    float up;       // percent for positive axis values
    float offset;   // what the per-block step adds to the target
};

// Touch states besides a place in the touched list.
constexpr int32_t k_touchIdle = -1;
constexpr int32_t k_touchXYApplied = -3;

struct AM_ParamBlockCounts {
    int32_t parameters = 0;
    int32_t ramps = 0;   // smoothed parameters
    int32_t listed8 = 0; // float parameters with flag 0x8
    int32_t axes = 0;    // XY axes
    int32_t slots = 0;   // XY slots per axis
    int32_t sources = 0; // entries of the modulation-source list
};

struct AM_ParamBlockHeader {
    AM_ParamInfo* table;
    int32_t parameterCount;
    int32_t rampQueueCount; // ramps in the ramp queue (audio thread)
    int32_t touchedCount;
    int32_t xyListCount;
    int32_t listed8Count;
    int32_t xyAxisCount;
    int32_t xySlots;
    float scratch; // storage of parameters whose module gives none
};

struct AM_ParamBlock {
    AM_ParamBlockHeader* header = nullptr;
    float* values = nullptr;        // per parameter, the value on the ramp
    float** storage = nullptr;      // per parameter, its storage
    int32_t* rampIndex = nullptr;   // per parameter, its ramp or -1
    AM_RampRecord* ramps = nullptr; // per smoothed parameter
    uint32_t* rampQueue = nullptr;  // ramp numbers, as many as ramps
    AM_XYAssignment* xy = nullptr;  // axes x slots
    int32_t* touch = nullptr;       // per parameter
    int32_t* touched = nullptr;     // as many as ramps
    int32_t* xyList = nullptr;      // axes x slots
    int32_t* listed8 = nullptr;
    int32_t* publishedMap = nullptr;            // per parameter
    int32_t* xyAxes = nullptr;                  // per axis: its global id
    std::atomic<uint32_t>* requested = nullptr; // per parameter: float bits of the last value set
    int32_t* sourceStarts = nullptr;            // per modulation-source entry
    int32_t* sourceSpans = nullptr;
    int32_t* secondListSources = nullptr; // as many as sources
    uint8_t* queueMemory = nullptr;       // for AM_ParamChangeQueue::attach
    AM_ParamBlockCounts counts;

    // Bytes the block needs for these counts (a multiple of 16).
    static uint32_t bytesFor(const AM_ParamBlockCounts& counts);
    // Lays the block out in memory (16-byte aligned, at least bytesFor
    // bytes), zeroes it and sets every pointer; returns the bytes used.
    uint32_t carve(uint8_t* memory, const AM_ParamBlockCounts& counts);

private:
    static uint32_t layout(const AM_ParamBlockCounts& counts, uint8_t* memory,
                           AM_ParamBlock* block);
};
