#pragma once
// The voice circuit's store for a batched pass (AM_VoiceBatch.h): what each
// taken voice left in the shared context when its routine took it, so that
// the rest of its block runs later as if nothing had come in between.
//
// Threads: sized on the thread that builds the engine (prepare); used on the
// audio thread only.

#include "engine/voice/AM_VoiceCircuitMin.h"

#include <cstdint>
#include <memory>

struct AM_VoiceCircuitMin::BatchStore {
    // Sizes for a context of `rows` control rows and `slots` modulation
    // slots, and up to `voices` taken voices.
    BatchStore(uint32_t voices, uint32_t rows, uint32_t slots);

    // Whether the store holds what this context needs of a voice.
    bool fits(const AM_ProcessContext* context) const;

    uint32_t capacity;
    uint32_t rowCount;
    uint32_t slotCount;
    std::unique_ptr<float[]> rows;      // capacity x rowCount x 16 values
    std::unique_ptr<uint32_t[]> flags;  // capacity x rowCount row flags
    std::unique_ptr<float[]> modulated; // capacity x slotCount values
    std::unique_ptr<VoiceRun[]> runs;   // the taken voices, in their order
    std::unique_ptr<int32_t[]> present; // capacity x {key, velocity}
    uint32_t waiting = 0;
    AM_VoiceBatch batch;
};
