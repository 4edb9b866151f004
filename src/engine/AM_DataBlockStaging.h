#pragma once
// The hand-over of data-block parameter writes to the audio thread.
//
// Once the engine processes, a data block that a module reads while it
// renders (a tuning table, a tuning name) must not change under it. A write
// from another thread therefore goes into this block's staging slot, and
// the audio thread copies the slot into the module's storage at the start
// of its next block, before any module runs.
//
// Every slot has a state word that moves
//     idle -> writing (writer) -> ready -> copying (audio thread) -> idle.
// A writer claims an idle or ready slot (a ready one is replaced: the later
// write wins), fills it and marks it ready. A writer that finds the slot
// being copied or written by another thread waits until it is free again;
// the copy takes as long as one memcpy of the block. The audio thread only
// takes ready slots: one that is being written is skipped and taken at a
// later block. It never waits, never allocates and never locks.
//
// While a write waits in its slot, the slot holds the last value written:
// readers are answered from it (pendingBytes, copyPending), so a read-back
// right after a write gives the bytes written without a block having run.
// copyPending holds the slot while it copies (reading), so neither a writer
// nor the audio thread changes the bytes under it; a slot that the audio
// thread drops meanwhile (dropped) goes idle when the reader lets it go.
//
// build: before any other call (allocates). write: any thread except the
// audio thread. applyReady and discard: the audio thread only.
// pendingBytes and copyPending: any thread except the audio thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class AM_DataBlockStaging {
public:
    // A data block that gets a slot: its global id and size in bytes.
    struct Block {
        int32_t id;
        uint32_t size;
    };

    AM_DataBlockStaging() = default;
    AM_DataBlockStaging(const AM_DataBlockStaging&) = delete;
    AM_DataBlockStaging& operator=(const AM_DataBlockStaging&) = delete;

    // Makes one zeroed slot per block; ids must lie in 0 .. idLimit - 1 and
    // appear once (others are left out). Replaces earlier slots. Not while
    // other threads use the staging.
    void build(std::span<const Block> blocks, int32_t idLimit);
    // True when the global id has a slot. Any thread after build.
    bool hasSlot(int32_t id) const { return slotOf(id) != nullptr; }
    uint32_t getSlotCount() const { return slotCount_; }

    // Copies the first min(size, block size) bytes of data into the slot of
    // id and zero-fills the rest, replacing a write still waiting there;
    // the audio thread takes it at its next block. False (nothing done) when
    // the id has no slot. Any thread except the audio thread.
    bool write(int32_t id, const void* data, uint32_t size);
    // The slot's bytes while a write waits in it (or is being copied), else
    // null. Any thread except the audio thread.
    const uint8_t* pendingBytes(int32_t id) const;
    // When a write waits in the slot of id: copies its first size bytes
    // (at most the block size) to `to` and answers true, the slot held all
    // the while. False when the slot is idle (the module's storage holds
    // the value) or id has no slot. Any thread except the audio thread.
    bool copyPending(int32_t id, void* to, uint32_t size);
    // Drops a write that waits in the slot of id, because the audio thread
    // writes the block itself. True when one was dropped. Audio thread.
    bool discard(int32_t id);
    // For every slot holding a write: copy(id, bytes, size) while the slot is
    // marked as being copied, then, once writers may use the slot again,
    // done(id). Returns the blocks applied. Audio thread.
    template <class Copy, class Done> uint32_t applyReady(Copy&& copy, Done&& done);

    // Writes the first min(size, capacity) bytes of data to `to` and zeros
    // the rest of the capacity. Any thread.
    static void copyPadded(void* to, uint32_t capacity, const void* data, uint32_t size);

private:
    enum State : uint32_t {
        kIdle = 0,
        kWriting = 1,
        kReady = 2,
        kCopying = 3,
        kReading = 4,
        kDropped = 5
    };

    struct Slot {
        std::atomic<uint32_t> state{kIdle};
        int32_t id = -1;
        uint32_t size = 0;
        uint8_t* bytes = nullptr;
    };

    Slot* slotOf(int32_t id) const;

    std::unique_ptr<Slot[]> slots_;
    uint32_t slotCount_ = 0;
    std::unique_ptr<uint8_t[]> bytes_;
    // Global id -> slot number, -1 for ids without a slot.
    std::vector<int32_t> slotOfId_;
    // Raised by a writer after it marks a slot ready; the audio thread looks
    // at the slots only when it finds it raised.
    std::atomic<bool> anyReady_{false};
};

template <class Copy, class Done> uint32_t AM_DataBlockStaging::applyReady(Copy&& copy, Done&& done)
{
    if (!anyReady_.exchange(false, std::memory_order_acq_rel))
        return 0;
    uint32_t applied = 0;
    for (uint32_t s = 0; s < slotCount_; ++s) {
        Slot& slot = slots_[s];
        uint32_t expected = kReady;
        if (!slot.state.compare_exchange_strong(expected, kCopying, std::memory_order_acquire,
                                                std::memory_order_relaxed))
            continue;
        copy(slot.id, static_cast<const uint8_t*>(slot.bytes), slot.size);
        slot.state.store(kIdle, std::memory_order_release);
        done(slot.id);
        ++applied;
    }
    return applied;
}
