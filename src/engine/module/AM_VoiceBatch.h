#pragma once
// Voices rendered together. A voice circuit runs its children voice after
// voice; a module whose per-voice work is cheaper for many voices at once
// (the synth voice renders them side by side in vector lanes) may take the
// voices of a block instead of rendering each when it is called, and render
// them all when the circuit asks for it:
//
//   gather   the circuit calls the routine as usual with the voice's control
//            rows and parameters in place. A module that takes the voice
//            keeps what it needs of them, registers its flush routine and
//            sets `taken`; the circuit then stops running that voice's
//            children and keeps the rest of the voice's block for later.
//            A module that does not take the voice renders it at once.
//   flush    once every voice of the run is gathered (and before anything
//            else can see or change a voice), the circuit calls the flush
//            routine, which renders the taken voices.
//   deliver  the circuit runs each taken voice's remaining block in the
//            original order, with its rows and modulation as they were; the
//            routine that took the voice is called again and writes the
//            voice's output where it would have written it, then the
//            following children run.
//
// The result is bit for bit what rendering each voice at its call gives.
// Routines that know nothing of batches ignore it: the context's pointer is
// null outside a batched run, and in the gather phase a routine that does
// not set `taken` is an ordinary render.
//
// Threads: audio thread only, within one block of the circuit.

#include <cstdint>

struct AM_ProcessContext;

enum AM_VoiceBatchPhase : uint32_t {
    k_voiceBatchRender = 0, // render at once (no batch)
    k_voiceBatchGather = 1,
    k_voiceBatchDeliver = 2,
};

struct AM_VoiceBatch {
    using Flush = void (*)(void* memory, AM_ProcessContext* context);

    uint32_t phase = k_voiceBatchRender;
    // Gather: set by the routine that took the voice.
    uint32_t taken = 0;
    // The one module that holds taken voices, and its memory argument; null
    // while none does. A second module with voices to take renders at once.
    Flush flush = nullptr;
    void* flushMemory = nullptr;

    // Whether a routine with this flush routine and memory may take a voice.
    bool mayTake(Flush routine, void* memory) const
    {
        return phase == k_voiceBatchGather &&
               (flush == nullptr || (flush == routine && flushMemory == memory));
    }
    void take(Flush routine, void* memory)
    {
        flush = routine;
        flushMemory = memory;
        taken = 1;
    }
};
