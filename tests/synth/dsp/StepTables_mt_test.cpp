// The process-wide tables are built once, by whichever thread asks first,
// while other threads may already be asking too.

#include "synth/dsp/BandLimitedStep.h"
#include "synth/dsp/PitchTable.h"
#include "synth/dsp/StepCorrectionTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(StepTables, ConcurrentFirstUseBuildsOneTableThatEveryoneSees)
{
    constexpr int kThreads = 8;
    std::atomic<bool> go{false};
    std::vector<const float*> corrections(kThreads);
    std::vector<const float*> steps(kThreads);
    std::vector<float> sums(kThreads);
    std::vector<float> frequencies(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load())
                std::this_thread::yield();
            corrections[size_t(t)] = synthdsp::stepCorrectionTable();
            steps[size_t(t)] = synthdsp::bandLimitedStep();
            frequencies[size_t(t)] = synthdsp::pitchToFrequency(synthdsp::pitchTable(), 93.0f);
            float sum = 0.0f;
            for (int32_t i = 0; i < synthdsp::kCorrectionTableFloats; ++i)
                sum += corrections[size_t(t)][i];
            sums[size_t(t)] = sum;
        });
    }
    go.store(true);
    for (std::thread& t : threads)
        t.join();
    for (int t = 1; t < kThreads; ++t) {
        EXPECT_EQ(corrections[size_t(t)], corrections[0]);
        EXPECT_EQ(steps[size_t(t)], steps[0]);
        EXPECT_EQ(sums[size_t(t)], sums[0]);
        EXPECT_EQ(frequencies[size_t(t)], frequencies[0]);
    }
    EXPECT_NE(sums[0], 0.0f);
}

} // namespace
