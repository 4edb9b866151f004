#pragma once
// The hand-over of parameter changes from any thread to the audio thread.
//
// Every parameter has one pending slot: a 64-bit atomic word holding the
// newest value (its float bits), an immediate bit and a pending bit. A
// producer writes its change into the slot; when the slot was not pending
// yet, it also pushes the parameter id into a bounded lock-free ring with
// several producers and one consumer (per-cell sequence numbers). The audio
// thread pops ids, takes each slot's newest value and clears its pending
// bit in one atomic step, and applies the change.
//
// Overflow policy: a parameter changed again before the audio thread took
// its earlier change keeps only the newest value (coalescing), so an id is
// in the ring at most once and a ring with room for every parameter never
// overflows. Should a push fail all the same, the change stays pending, the
// failure is counted (overflowCount) and the audio thread sweeps every
// pending slot at its next drain: no change is lost.
//
// post: any thread, lock-free, allocates nothing. drain: the audio thread
// only (one consumer), allocates nothing. attach: before any other call.

#include <atomic>
#include <bit>
#include <cstdint>

class AM_ParamChangeQueue {
public:
    AM_ParamChangeQueue() = default;
    AM_ParamChangeQueue(const AM_ParamChangeQueue&) = delete;
    AM_ParamChangeQueue& operator=(const AM_ParamChangeQueue&) = delete;

    // Bytes of memory attach needs (16-byte aligned). A ring capacity of 0
    // takes the smallest power of two that holds every parameter.
    static uint32_t bytesFor(uint32_t parameterCount, uint32_t ringCapacity = 0);
    // Lays the slots and the ring out in memory (not owned). Not while other
    // threads use the queue.
    void attach(uint8_t* memory, uint32_t parameterCount, uint32_t ringCapacity = 0);
    bool isAttached() const { return slots_ != nullptr; }
    uint32_t getParameterCount() const { return parameterCount_; }
    uint32_t getRingCapacity() const { return ringMask_ + 1; }

    // Hands a change over. Ids outside the queue are ignored. Any thread.
    void post(uint32_t id, float value, bool immediate);
    // Calls apply(id, value, immediate) for every pending change and returns
    // how many it applied. Audio thread.
    template <class Apply> uint32_t drain(Apply&& apply);

    // Pushes that found the ring full. Any thread.
    uint64_t overflowCount() const { return overflows_.load(std::memory_order_relaxed); }

private:
    struct Cell {
        std::atomic<uint32_t> sequence;
        uint32_t id;
    };
    static constexpr uint64_t kValueMask = 0xffffffffull;
    static constexpr uint64_t kImmediate = 1ull << 32;
    static constexpr uint64_t kPending = 1ull << 33;

    static uint32_t ringCapacityFor(uint32_t parameterCount, uint32_t ringCapacity);
    bool push(uint32_t id);
    bool pop(uint32_t* id);
    template <class Apply> bool take(uint32_t id, Apply& apply);

    std::atomic<uint64_t>* slots_ = nullptr;
    Cell* cells_ = nullptr;
    uint32_t parameterCount_ = 0;
    uint32_t ringMask_ = 0;
    alignas(64) std::atomic<uint32_t> tail_{0}; // producers
    alignas(64) uint32_t head_ = 0;             // the consumer
    std::atomic<bool> sweepNeeded_{false};
    std::atomic<uint64_t> overflows_{0};
};

template <class Apply> bool AM_ParamChangeQueue::take(uint32_t id, Apply& apply)
{
    const uint64_t word = slots_[id].fetch_and(~kPending, std::memory_order_acq_rel);
    if ((word & kPending) == 0)
        return false;
    apply(id, std::bit_cast<float>(static_cast<uint32_t>(word & kValueMask)),
          (word & kImmediate) != 0);
    return true;
}

template <class Apply> uint32_t AM_ParamChangeQueue::drain(Apply&& apply)
{
    if (!slots_)
        return 0;
    uint32_t applied = 0;
    if (sweepNeeded_.exchange(false, std::memory_order_acq_rel)) {
        for (uint32_t id = 0; id < parameterCount_; ++id)
            applied += take(id, apply) ? 1 : 0;
    }
    // At most one ring's worth per drain, so producers that keep posting
    // cannot hold the audio thread here.
    const uint32_t limit = ringMask_ + 1;
    uint32_t id = 0;
    for (uint32_t n = 0; n < limit && pop(&id); ++n)
        applied += take(id, apply) ? 1 : 0;
    return applied;
}
