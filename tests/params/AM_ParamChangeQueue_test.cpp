#include "params/AM_ParamChangeQueue.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <tuple>
#include <vector>

namespace {

struct Queue {
    explicit Queue(uint32_t parameters, uint32_t ring = 0)
        : memory(AM_ParamChangeQueue::bytesFor(parameters, ring) / 8 + 1)
    {
        queue.attach(reinterpret_cast<uint8_t*>(memory.data()), parameters, ring);
    }
    std::vector<std::tuple<uint32_t, float, bool>> drain()
    {
        std::vector<std::tuple<uint32_t, float, bool>> out;
        queue.drain([&out](uint32_t id, float value, bool immediate) {
            out.emplace_back(id, value, immediate);
        });
        return out;
    }
    std::vector<uint64_t> memory;
    AM_ParamChangeQueue queue;
};

using Changes = std::vector<std::tuple<uint32_t, float, bool>>;

TEST(AM_ParamChangeQueue, HandsChangesOverInTheOrderTheyCame)
{
    Queue q(8);
    EXPECT_EQ(q.queue.getRingCapacity(), 8u);
    q.queue.post(3, 1.5f, false);
    q.queue.post(1, -2.0f, true);
    q.queue.post(7, 0.0f, false);
    EXPECT_EQ(q.drain(), (Changes{{3, 1.5f, false}, {1, -2.0f, true}, {7, 0.0f, false}}));
    EXPECT_TRUE(q.drain().empty());
}

TEST(AM_ParamChangeQueue, KeepsOnlyTheNewestValueOfAParameter)
{
    Queue q(4);
    q.queue.post(2, 1.0f, true);
    q.queue.post(0, 5.0f, false);
    q.queue.post(2, 3.0f, false);
    EXPECT_EQ(q.drain(), (Changes{{2, 3.0f, false}, {0, 5.0f, false}}));
    q.queue.post(2, 4.0f, false);
    EXPECT_EQ(q.drain(), (Changes{{2, 4.0f, false}}));
}

TEST(AM_ParamChangeQueue, IgnoresIdsOutsideIt)
{
    Queue q(4);
    q.queue.post(4, 1.0f, false);
    q.queue.post(UINT32_MAX, 1.0f, false);
    EXPECT_TRUE(q.drain().empty());
    AM_ParamChangeQueue unattached;
    unattached.post(0, 1.0f, false);
    EXPECT_EQ(unattached.drain([](uint32_t, float, bool) {}), 0u);
}

TEST(AM_ParamChangeQueue, AFullRingLosesNothingAndCountsTheOverflow)
{
    Queue q(6, 2);
    for (uint32_t id = 0; id < 6; ++id)
        q.queue.post(id, static_cast<float>(id) + 0.5f, false);
    EXPECT_EQ(q.queue.overflowCount(), 4u);
    Changes all = q.drain();
    std::sort(all.begin(), all.end());
    Changes expected;
    for (uint32_t id = 0; id < 6; ++id)
        expected.emplace_back(id, static_cast<float>(id) + 0.5f, false);
    EXPECT_EQ(all, expected);
    EXPECT_TRUE(q.drain().empty());
    q.queue.post(5, 9.0f, true);
    EXPECT_EQ(q.drain(), (Changes{{5, 9.0f, true}}));
}

TEST(AM_ParamChangeQueue, WrapsRoundItsRingManyTimes)
{
    Queue q(3);
    for (int round = 0; round < 1000; ++round) {
        q.queue.post(static_cast<uint32_t>(round % 3), static_cast<float>(round), false);
        q.queue.post(static_cast<uint32_t>((round + 1) % 3), static_cast<float>(-round), false);
        ASSERT_EQ(q.drain().size(), 2u) << round;
    }
    EXPECT_EQ(q.queue.overflowCount(), 0u);
}

} // namespace
