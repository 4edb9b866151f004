#include "plugin/AM_EditorNotificationQueue.h"

AM_EditorNotificationQueue::AM_EditorNotificationQueue()
{
    for (uint32_t i = 0; i < kCapacity; ++i)
        cells_[i].sequence.store(i, std::memory_order_relaxed);
}

bool AM_EditorNotificationQueue::push(const AM_EditorNotification& notification)
{
    uint32_t position = enqueuePosition_.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells_[position & kMask];
        const uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
        const auto difference = static_cast<int32_t>(sequence - position);
        if (difference == 0) {
            if (enqueuePosition_.compare_exchange_weak(position, position + 1,
                                                       std::memory_order_relaxed)) {
                cell.notification = notification;
                cell.sequence.store(position + 1, std::memory_order_release);
                return true;
            }
        } else if (difference < 0) {
            overflows_.fetch_add(1, std::memory_order_relaxed);
            return false;
        } else {
            position = enqueuePosition_.load(std::memory_order_relaxed);
        }
    }
}

bool AM_EditorNotificationQueue::pop(AM_EditorNotification& notification)
{
    uint32_t position = dequeuePosition_.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells_[position & kMask];
        const uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
        const auto difference = static_cast<int32_t>(sequence - (position + 1));
        if (difference == 0) {
            if (dequeuePosition_.compare_exchange_weak(position, position + 1,
                                                       std::memory_order_relaxed)) {
                notification = cell.notification;
                cell.sequence.store(position + kCapacity, std::memory_order_release);
                return true;
            }
        } else if (difference < 0) {
            return false;
        } else {
            position = dequeuePosition_.load(std::memory_order_relaxed);
        }
    }
}

void AM_EditorNotificationQueue::clear()
{
    AM_EditorNotification dropped;
    while (pop(dropped)) {
    }
}
