// The notification ring: order, capacity with its overflow count, clearing.

#include "plugin/AM_EditorNotificationQueue.h"

#include <gtest/gtest.h>

namespace {

AM_EditorNotification parameter(int32_t index)
{
    return {AM_EditorNotification::kParameterChanged, index, 0.5f * static_cast<float>(index),
            index % 2 == 0};
}

TEST(EditorNotificationQueue, FirstInFirstOutUpToItsCapacityAcrossTheWrap)
{
    AM_EditorNotificationQueue queue;
    AM_EditorNotification got;
    EXPECT_FALSE(queue.pop(got));
    // Several rounds, so positions wrap around the ring.
    for (int32_t round = 0; round < 5; ++round) {
        const auto capacity = static_cast<int32_t>(AM_EditorNotificationQueue::kCapacity);
        for (int32_t i = 0; i < capacity; ++i)
            ASSERT_TRUE(queue.push(parameter(round * 1000 + i)));
        EXPECT_FALSE(queue.push(parameter(-1)));
        for (int32_t i = 0; i < capacity; ++i) {
            ASSERT_TRUE(queue.pop(got));
            EXPECT_EQ(got.index, round * 1000 + i);
            EXPECT_EQ(got.value, parameter(round * 1000 + i).value);
            EXPECT_EQ(got.published, (round * 1000 + i) % 2 == 0);
        }
        EXPECT_FALSE(queue.pop(got));
    }
    EXPECT_EQ(queue.overflowCount(), 5u);
}

TEST(EditorNotificationQueue, ClearDropsEverythingQueued)
{
    AM_EditorNotificationQueue queue;
    queue.push({AM_EditorNotification::kProgramChanged, 0, 0.0f, false});
    queue.push(parameter(3));
    queue.clear();
    AM_EditorNotification got;
    EXPECT_FALSE(queue.pop(got));
    EXPECT_TRUE(queue.push(parameter(4)));
    ASSERT_TRUE(queue.pop(got));
    EXPECT_EQ(got.index, 4);
}

} // namespace
