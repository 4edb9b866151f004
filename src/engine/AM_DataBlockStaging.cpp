#include "engine/AM_DataBlockStaging.h"

#include <algorithm>
#include <cstring>
#include <thread>

void AM_DataBlockStaging::build(std::span<const Block> blocks, int32_t idLimit)
{
    slotOfId_.assign(static_cast<size_t>(std::max(idLimit, 0)), -1);
    size_t total = 0;
    uint32_t count = 0;
    for (const Block& block : blocks) {
        if (block.id < 0 || block.id >= idLimit || slotOfId_[block.id] >= 0)
            continue;
        slotOfId_[block.id] = static_cast<int32_t>(count++);
        total += block.size;
    }
    slots_ = std::make_unique<Slot[]>(count);
    bytes_ = std::make_unique<uint8_t[]>(total);
    slotCount_ = count;
    anyReady_.store(false, std::memory_order_relaxed);
    uint8_t* cursor = bytes_.get();
    uint32_t s = 0;
    for (const Block& block : blocks) {
        if (block.id < 0 || block.id >= idLimit || slotOfId_[block.id] != static_cast<int32_t>(s))
            continue;
        slots_[s].id = block.id;
        slots_[s].size = block.size;
        slots_[s].bytes = cursor;
        cursor += block.size;
        ++s;
    }
}

AM_DataBlockStaging::Slot* AM_DataBlockStaging::slotOf(int32_t id) const
{
    if (id < 0 || static_cast<size_t>(id) >= slotOfId_.size() || slotOfId_[id] < 0)
        return nullptr;
    return &slots_[slotOfId_[id]];
}

bool AM_DataBlockStaging::write(int32_t id, const void* data, uint32_t size)
{
    Slot* slot = slotOf(id);
    if (!slot)
        return false;
    // Claim the slot: idle, or ready with a write the audio thread has not
    // taken yet (replaced). While the audio thread copies it, or another
    // thread fills or reads it, wait for it to come free.
    uint32_t state = slot->state.load(std::memory_order_relaxed);
    for (;;) {
        if (state != kIdle && state != kReady) {
            std::this_thread::yield();
            state = slot->state.load(std::memory_order_relaxed);
            continue;
        }
        if (slot->state.compare_exchange_weak(state, kWriting, std::memory_order_acquire,
                                              std::memory_order_relaxed))
            break;
    }
    copyPadded(slot->bytes, slot->size, data, size);
    slot->state.store(kReady, std::memory_order_release);
    anyReady_.store(true, std::memory_order_release);
    return true;
}

const uint8_t* AM_DataBlockStaging::pendingBytes(int32_t id) const
{
    const Slot* slot = slotOf(id);
    if (!slot)
        return nullptr;
    const uint32_t state = slot->state.load(std::memory_order_acquire);
    return state == kReady || state == kCopying || state == kReading ? slot->bytes : nullptr;
}

bool AM_DataBlockStaging::copyPending(int32_t id, void* to, uint32_t size)
{
    Slot* slot = slotOf(id);
    if (!slot || !to)
        return false;
    uint32_t state = slot->state.load(std::memory_order_acquire);
    for (;;) {
        if (state == kIdle)
            return false;
        if (state != kReady) {
            // Being written, copied into the module or read by another
            // thread: the outcome decides where the value lies.
            std::this_thread::yield();
            state = slot->state.load(std::memory_order_acquire);
            continue;
        }
        if (slot->state.compare_exchange_weak(state, kReading, std::memory_order_acquire,
                                              std::memory_order_acquire))
            break;
    }
    std::memcpy(to, slot->bytes, std::min(size, slot->size));
    uint32_t expected = kReading;
    if (slot->state.compare_exchange_strong(expected, kReady, std::memory_order_release,
                                            std::memory_order_relaxed)) {
        // The audio thread may have passed the slot over while it was held.
        anyReady_.store(true, std::memory_order_release);
    } else {
        // Dropped by the audio thread meanwhile, which wrote the block itself.
        slot->state.store(kIdle, std::memory_order_release);
    }
    return true;
}

bool AM_DataBlockStaging::discard(int32_t id)
{
    Slot* slot = slotOf(id);
    if (!slot)
        return false;
    uint32_t expected = kReady;
    if (slot->state.compare_exchange_strong(expected, kIdle, std::memory_order_acq_rel,
                                            std::memory_order_relaxed))
        return true;
    // Held by a reader: it lets the slot go idle when it is done.
    expected = kReading;
    return slot->state.compare_exchange_strong(expected, kDropped, std::memory_order_acq_rel,
                                               std::memory_order_relaxed);
}

void AM_DataBlockStaging::copyPadded(void* to, uint32_t capacity, const void* data, uint32_t size)
{
    if (!to)
        return;
    const uint32_t copied = data ? std::min(size, capacity) : 0;
    if (copied > 0)
        std::memcpy(to, data, copied);
    if (copied < capacity)
        std::memset(static_cast<uint8_t*>(to) + copied, 0, capacity - copied);
}
