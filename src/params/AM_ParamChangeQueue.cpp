#include "params/AM_ParamChangeQueue.h"

#include <new>

namespace {

constexpr uint32_t kAlignment = 16;

uint32_t roundUp(uint32_t bytes)
{
    return (bytes + kAlignment - 1) & ~(kAlignment - 1);
}

} // namespace

uint32_t AM_ParamChangeQueue::ringCapacityFor(uint32_t parameterCount, uint32_t ringCapacity)
{
    const uint32_t wanted = ringCapacity ? ringCapacity : parameterCount;
    return std::bit_ceil(wanted < 2 ? 2u : wanted);
}

uint32_t AM_ParamChangeQueue::bytesFor(uint32_t parameterCount, uint32_t ringCapacity)
{
    const uint32_t cells = ringCapacityFor(parameterCount, ringCapacity);
    return roundUp(static_cast<uint32_t>(sizeof(std::atomic<uint64_t>)) * parameterCount) +
           roundUp(static_cast<uint32_t>(sizeof(Cell)) * cells);
}

void AM_ParamChangeQueue::attach(uint8_t* memory, uint32_t parameterCount, uint32_t ringCapacity)
{
    const uint32_t cells = ringCapacityFor(parameterCount, ringCapacity);
    slots_ = reinterpret_cast<std::atomic<uint64_t>*>(memory);
    for (uint32_t i = 0; i < parameterCount; ++i)
        new (&slots_[i]) std::atomic<uint64_t>(0);
    cells_ = reinterpret_cast<Cell*>(
        memory + roundUp(static_cast<uint32_t>(sizeof(std::atomic<uint64_t>)) * parameterCount));
    for (uint32_t i = 0; i < cells; ++i) {
        new (&cells_[i].sequence) std::atomic<uint32_t>(i);
        cells_[i].id = 0;
    }
    parameterCount_ = parameterCount;
    ringMask_ = cells - 1;
    tail_.store(0, std::memory_order_relaxed);
    head_ = 0;
    sweepNeeded_.store(false, std::memory_order_relaxed);
    overflows_.store(0, std::memory_order_relaxed);
}

void AM_ParamChangeQueue::post(uint32_t id, float value, bool immediate)
{
    if (!slots_ || id >= parameterCount_)
        return;
    const uint64_t word =
        std::bit_cast<uint32_t>(value) | kPending | (immediate ? kImmediate : 0ull);
    const uint64_t previous = slots_[id].exchange(word, std::memory_order_acq_rel);
    if ((previous & kPending) != 0)
        return; // the id is on its way already; the audio thread takes the newest value
    if (!push(id)) {
        overflows_.fetch_add(1, std::memory_order_relaxed);
        sweepNeeded_.store(true, std::memory_order_release);
    }
}

bool AM_ParamChangeQueue::push(uint32_t id)
{
    uint32_t position = tail_.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells_[position & ringMask_];
        const uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
        const int32_t difference = static_cast<int32_t>(sequence - position);
        if (difference == 0) {
            if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                cell.id = id;
                cell.sequence.store(position + 1, std::memory_order_release);
                return true;
            }
        } else if (difference < 0) {
            return false; // full
        } else {
            position = tail_.load(std::memory_order_relaxed);
        }
    }
}

bool AM_ParamChangeQueue::pop(uint32_t* id)
{
    Cell& cell = cells_[head_ & ringMask_];
    const uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
    if (static_cast<int32_t>(sequence - (head_ + 1)) < 0)
        return false; // empty
    *id = cell.id;
    cell.sequence.store(head_ + ringMask_ + 1, std::memory_order_release);
    ++head_;
    return true;
}
