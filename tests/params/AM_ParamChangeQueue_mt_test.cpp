// Several producers post rising values for parameters of their own while
// one consumer drains: every parameter's values arrive in rising order and
// the last one arrives.

#include "params/AM_ParamChangeQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(AM_ParamChangeQueueThreads, EveryParameterEndsWithItsLastValueInOrder)
{
    constexpr uint32_t kProducers = 4;
    constexpr uint32_t kPerProducer = 8;
    constexpr uint32_t kParameters = kProducers * kPerProducer;
    constexpr int kPosts = 20000;
    for (uint32_t ring : {0u, 4u}) { // a ring for every parameter, and a small one
        SCOPED_TRACE(ring);
        std::vector<uint64_t> memory(AM_ParamChangeQueue::bytesFor(kParameters, ring) / 8 + 1);
        AM_ParamChangeQueue queue;
        queue.attach(reinterpret_cast<uint8_t*>(memory.data()), kParameters, ring);

        std::atomic<uint32_t> running{kProducers};
        std::vector<std::thread> producers;
        for (uint32_t p = 0; p < kProducers; ++p) {
            producers.emplace_back([&queue, &running, p] {
                for (int n = 1; n <= kPosts; ++n)
                    queue.post(p * kPerProducer + static_cast<uint32_t>(n) % kPerProducer,
                               static_cast<float>(n), n % 7 == 0);
                running.fetch_sub(1);
            });
        }
        std::vector<float> last(kParameters, 0.0f);
        bool ordered = true;
        auto apply = [&](uint32_t id, float value, bool) {
            if (value <= last[id])
                ordered = false;
            last[id] = value;
        };
        while (running.load() > 0)
            queue.drain(apply);
        for (auto& t : producers)
            t.join();
        queue.drain(apply);
        EXPECT_TRUE(ordered);
        for (uint32_t id = 0; id < kParameters; ++id) {
            // The last n with n % 8 == id % 8 below or at kPosts.
            int expected = kPosts;
            while (static_cast<uint32_t>(expected) % kPerProducer != id % kPerProducer)
                --expected;
            EXPECT_EQ(last[id], static_cast<float>(expected)) << id;
        }
    }
}

} // namespace
