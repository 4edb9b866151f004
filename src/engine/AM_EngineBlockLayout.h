#pragma once
// Where the audio manager's init carves each area of the engine block.
//
// The block starts with the process context (16-byte aligned); the areas
// follow it in this order, each where the previous one ends:
//   control rows         S x 16 floats (row 0 unused, rows from 1)
//   output carry area    B x 128 floats: carried output of channels 0..B-1,
//                        then pending input of channels 0..B-1, 64 each
//   bus buffer           (B + C) x 64 floats; the stereo bus is rows 0, 1
//   second bus area      B x 256 floats (the circuits' fade scratch rows)
//   modulation records   M x 64 bytes
//   indexed-object module indices, per-object record counts: X u32 each
//   per-object record lists: X x M u32; second counts X u32; second lists
//   X x M u32
//   row-active flags     S u32
// then, rounded up to 16 bytes, the module voice memory, and behind it (the
// voice size rounded down to 4 bytes) the module global memory.
//
// C is the main circuit's channel capacity, B the channels per bus, M the
// modulation slots, S the control rows and X the indexed objects (circuits).

#include <cstddef>
#include <cstdint>

struct AM_EngineBlockCounts {
    uint32_t channelCapacity;   // C
    uint32_t channelsPerBus;    // B
    uint32_t modulationSlots;   // M
    uint32_t controlRows;       // S
    uint32_t indexedObjects;    // X
    uint32_t moduleVoiceBytes;  // the main circuit's subtree voice memory
    uint32_t moduleGlobalBytes; // and global memory
};

// Byte offsets from the start of the process context.
struct AM_EngineBlockLayout {
    size_t controlRows;
    size_t carryArea;
    size_t busBuffer;
    size_t fadeRows;
    size_t modulationRecords;
    size_t indexedModuleIndices;
    size_t applyCounts;
    size_t applyLists;
    size_t restoreCounts;
    size_t restoreLists;
    size_t rowActiveFlags;
    size_t areasEnd;
    size_t moduleVoice;
    size_t moduleGlobal;
    size_t moduleEnd;
    // Bytes to allocate: (M + 4 x (C + 10 x B) + 10) x 64 + 68 x S
    // + 4 x (2 x X x M + 3 x X) + module memory + 256 bytes of slack, which
    // always covers moduleEnd plus the alignment of the start.
    size_t blockBytes;
};

constexpr size_t k_engineBlockAlignment = 16;
constexpr size_t k_engineBlockSlack = 256;

// Any thread.
AM_EngineBlockLayout AM_layoutEngineBlock(const AM_EngineBlockCounts& counts);
