// The notification ring with several producers and a consumer on threads
// of their own: every notification pushed is popped exactly once, and each
// producer's notifications keep their order.

#include "plugin/AM_EditorNotificationQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(EditorNotificationQueueThreads, ProducersAndAConsumerLoseNothingTheyDoNotCount)
{
    constexpr int32_t kProducers = 3;
    constexpr int32_t kEach = 20000;
    AM_EditorNotificationQueue queue;
    std::atomic<int32_t> producing{kProducers};
    std::vector<std::thread> producers;
    std::vector<int32_t> pushed(kProducers, 0);
    for (int32_t p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (int32_t i = 0; i < kEach; ++i) {
                if (queue.push({AM_EditorNotification::kParameterChanged, p, static_cast<float>(i),
                                false}))
                    ++pushed[static_cast<size_t>(p)];
            }
            --producing;
        });
    }
    std::vector<int32_t> popped(kProducers, 0);
    std::vector<float> last(kProducers, -1.0f);
    bool ordered = true;
    AM_EditorNotification got;
    const auto record = [&] {
        ++popped[static_cast<size_t>(got.index)];
        ordered = ordered && got.value > last[static_cast<size_t>(got.index)];
        last[static_cast<size_t>(got.index)] = got.value;
    };
    for (;;) {
        if (queue.pop(got)) {
            record();
            continue;
        }
        if (producing.load() == 0) {
            while (queue.pop(got))
                record();
            break;
        }
    }
    for (std::thread& t : producers)
        t.join();

    int64_t total = 0;
    for (int32_t p = 0; p < kProducers; ++p) {
        EXPECT_EQ(popped[static_cast<size_t>(p)], pushed[static_cast<size_t>(p)]);
        total += pushed[static_cast<size_t>(p)];
    }
    EXPECT_EQ(total + static_cast<int64_t>(queue.overflowCount()), int64_t{kProducers} * kEach);
    EXPECT_TRUE(ordered);
}

} // namespace
