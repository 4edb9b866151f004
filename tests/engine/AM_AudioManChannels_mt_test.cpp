// The audio thread renders multi-channel blocks while another thread reads
// the "Levels" data (which restarts the metering count) and changes the
// channel layout and surround options, as an editor does. Run under
// ThreadSanitizer in CI.

#include "ChannelHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

using namespace enginetest;

TEST(AudioManChannelsThreads, RenderingWhileTheEditorReadsLevelsAndChangesTheLayout)
{
    auto engine = makeChannelEngine(6, k_layoutAutoSurround, k_surroundNoLfe);
    const AM_ParamInfo* levels = engine->findParameter("PCore", "Levels");
    const AM_ParamInfo* layout = engine->findParameter("PCore", "ChLay");
    const AM_ParamInfo* surround = engine->findParameter("PCore", "SurrO");
    ASSERT_NE(levels, nullptr);
    ASSERT_NE(layout, nullptr);
    ASSERT_NE(surround, nullptr);
    const int32_t levelsId = static_cast<int32_t>(levels->index);
    const int32_t layoutId = static_cast<int32_t>(layout->index);
    const int32_t surroundId = static_cast<int32_t>(surround->index);

    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::atomic<int> badSamples{0};
    std::thread audio([&] {
        // Rendering starts once the editor's side has begun, so the two
        // overlap however the threads are scheduled.
        while (!started.load(std::memory_order_acquire))
            std::this_thread::yield();
        std::vector<std::vector<float>> in(6, std::vector<float>(512, 0.5f));
        std::vector<std::vector<float>> out(6, std::vector<float>(512));
        ChannelPointers inputs{}, outputs{};
        for (uint32_t c = 0; c < 6; ++c) {
            inputs[c] = in[c].data();
            outputs[c] = out[c].data();
        }
        for (int b = 0; b < 3000; ++b) {
            const uint32_t n = 1 + static_cast<uint32_t>(b * 37 % 512);
            runChannelBlock(*engine, n, inputs, outputs);
            for (const auto& channel : out) {
                for (uint32_t i = 0; i < n; ++i) {
                    if (channel[i] != 0.0f && channel[i] != 0.5f)
                        badSamples.fetch_add(1, std::memory_order_relaxed);
                }
            }
        }
        done.store(true, std::memory_order_release);
    });
    int rounds = 0;
    do {
        EXPECT_NE(engine->getBinaryParameterData(levelsId), nullptr);
        engine->setParameter(layoutId, static_cast<float>(rounds % 8), false);
        engine->setParameter(surroundId, static_cast<float>(rounds % 3), false);
        ++rounds;
        started.store(true, std::memory_order_release);
        std::this_thread::yield();
    } while (!done.load(std::memory_order_acquire));
    audio.join();
    EXPECT_EQ(badSamples.load(), 0);
    EXPECT_GT(rounds, 0);
    // A read of the levels (re)starts the metering, whatever the blocks
    // rendered since the last one counted down.
    EXPECT_NE(engine->getBinaryParameterData(levelsId), nullptr);
    EXPECT_GT(engine->getMeteringCount(), 0u);
}

} // namespace
