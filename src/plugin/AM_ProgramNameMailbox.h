#pragma once
// Hands the newest program name from one writer thread (the host's audio
// thread, where MIDI program changes arrive) to one reader thread (the one
// that answers the host's program-name requests), without a lock and without
// allocating: three slots, one the writer fills, one the reader holds, one
// in between that they swap through an atomic index.

#include <atomic>
#include <cstdint>

class AM_ProgramNameMailbox {
public:
    static constexpr uint32_t kNameBytes = 64;

    // Stores a name (cut to kNameBytes - 1 bytes) as the newest one. The
    // writer thread only.
    void post(const char* name);
    // Copies the newest name posted since the last take into out
    // (kNameBytes bytes) and answers true; false, out untouched, when
    // nothing new was posted. The reader thread only.
    bool take(char* out);

private:
    static constexpr uint32_t kIndexMask = 0x3;
    static constexpr uint32_t kFreshBit = 0x4;

    char slots_[3][kNameBytes] = {};
    uint32_t writeSlot_ = 0;
    uint32_t readSlot_ = 1;
    // The slot in between, with kFreshBit while it holds a name not yet taken.
    std::atomic<uint32_t> middle_{2};
};
