// Parameter changes from several threads while the audio thread runs the
// parameter manager's per-block routine.

#include "ParamEngine.h"
#include "TraceCapture.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace testfixture;

TEST(ParaManThreads, EveryParameterHoldsTheLastValueItsThreadWrote)
{
    constexpr uint32_t kThreads = 4;
    constexpr uint32_t kPerThread = 12;
    constexpr int kWrites = 20000;
    testsupport::TraceCapture trace; // immediate changes during ramps are reported
    ParamEngine engine(0, 0, 2);
    ModulePlan s;
    s.name = "MT: Threads";
    for (uint32_t i = 0; i < kThreads * kPerThread; ++i) {
        switch (i % 3) {
        case 0:
            s.params.push_back(makeParam("S", "Smoothed", k_kindFloat, -10, 10, 0, 0x2));
            break;
        case 1:
            s.params.push_back(makeParam("P", "Plain", k_kindFloat, -10, 10, 0, 0));
            break;
        default:
            s.params.push_back(makeParam("I", "Integer", k_kindInteger, -10, 10, 0, 0));
            break;
        }
    }
    auto* module = new FixtureModule(&engine, s);
    engine.addModule(module);
    engine.init();
    AM_ParaMan& man = *engine.paraMan;
    engine.runBlock(); // from here on changes go through the queue

    std::atomic<bool> producing{true};
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        while (producing.load(std::memory_order_acquire))
            engine.runBlock();
    });
    std::thread reader([&] {
        float sum = 0.0f;
        while (producing.load(std::memory_order_acquire)) {
            for (uint32_t i = 0; i < kThreads * kPerThread; ++i)
                sum += man.getValue(engine.idOf(module, i), false);
        }
        EXPECT_TRUE(sum == sum);
    });
    std::vector<std::vector<float>> last(kThreads, std::vector<float>(kPerThread, 0.0f));
    std::vector<std::thread> writers;
    for (uint32_t w = 0; w < kThreads; ++w) {
        writers.emplace_back([&, w] {
            std::mt19937 random(1234 + w);
            std::uniform_real_distribution<float> values(-12.0f, 12.0f);
            for (int n = 0; n < kWrites; ++n) {
                const uint32_t k = random() % kPerThread;
                int32_t id = engine.idOf(module, w * kPerThread + k);
                float value = values(random);
                man.setParam(&id, &value, engine.ctx(), n % 11 == 0);
                last[w][k] = value; // clamped in place
            }
        });
    }
    for (auto& t : writers)
        t.join();
    producing.store(false, std::memory_order_release);
    audio.join();
    reader.join();
    for (int block = 0; block <= AM_ParaMan::kRampBlocks; ++block)
        engine.runBlock();
    platform::flushTrace();

    EXPECT_EQ(man.getQueueOverflowCount(), 0u);
    for (uint32_t w = 0; w < kThreads; ++w) {
        for (uint32_t k = 0; k < kPerThread; ++k) {
            const uint32_t local = w * kPerThread + k;
            const int32_t id = engine.idOf(module, local);
            const float value = last[w][k];
            if (local % 3 == 2) {
                const float rounded = std::floor(value + 0.5f);
                EXPECT_EQ(man.getValue(id, false), rounded) << local;
                EXPECT_EQ(storedInt(module->storage[local]), static_cast<int32_t>(rounded))
                    << local;
            } else {
                EXPECT_EQ(man.getValue(id, false), value) << local;
                EXPECT_EQ(man.getCurrentValue(id), value) << local;
                EXPECT_EQ(module->storage[local], value) << local;
            }
        }
    }
}

} // namespace
