// The audio thread renders blocks while another thread changes parameters,
// marks the modulation routing dirty and reads the meters, as a host and an
// editor do. Run under ThreadSanitizer in CI.

#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

using namespace enginetest;

TEST(AudioManThreads, RenderingWhileAnotherThreadChangesAndReads)
{
    ParamModule* module = nullptr;
    auto engine = makeEngine({}, [&module](BareAudioMan& e) {
        module = new ParamModule(&e, "PAR: Params");
        e.addModule(module);
    });
    AM_ProcessContext* ctx = engine->getProcessContext();
    ctx->modulationRecords[0].target = engine->idOf(module, ParamModule::kGain);
    ctx->clockSwing = 30.0f;
    const AM_ParamInfo* gate = engine->findParameter("PCore", "SLite");
    const AM_ParamInfo* midi = engine->findParameter("PCore", "MidiLed");
    ASSERT_NE(gate, nullptr);
    ASSERT_NE(midi, nullptr);
    const int32_t gateId = static_cast<int32_t>(gate->index);
    const int32_t midiId = static_cast<int32_t>(midi->index);
    const int32_t output = engine->idOf(engine->getMainCircuit(), 0);
    const int32_t gain = engine->idOf(module, ParamModule::kGain);

    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::atomic<int> badSamples{0};
    std::thread audio([&] {
        // Rendering starts once the other thread has begun, so the two
        // overlap however the threads are scheduled.
        while (!started.load(std::memory_order_acquire))
            std::this_thread::yield();
        std::vector<float> in(512, 0.5f), left(512), right(512);
        for (int b = 0; b < 3000; ++b) {
            const uint32_t n = 1 + static_cast<uint32_t>(b * 37 % 512);
            runHostBlock(*engine, n, in.data(), in.data(), left.data(), right.data());
            for (uint32_t i = 0; i < n; ++i) {
                if (!std::isfinite(left[i]) || left[i] < 0.0f || left[i] > 1.0f)
                    badSamples.fetch_add(1, std::memory_order_relaxed);
            }
        }
        done.store(true, std::memory_order_release);
    });
    float levels[2][AM_AudioMan::kMeterChannels];
    int rounds = 0;
    do {
        engine->setParameter(output, (rounds % 2) ? 60.0f : 100.0f, false);
        engine->setParameter(gain, static_cast<float>(rounds % 3), false);
        engine->invalidateModulationRouting();
        engine->setMeteringCount(2000);
        engine->readLevels(levels[0], levels[1]);
        const float gateValue = engine->getParameter(gateId, false);
        EXPECT_TRUE(gateValue == 0.0f || gateValue == 1.0f) << gateValue;
        EXPECT_GE(engine->getParameter(midiId, false), 0.0f);
        ++rounds;
        started.store(true, std::memory_order_release);
        std::this_thread::yield();
    } while (!done.load(std::memory_order_acquire));
    audio.join();
    EXPECT_EQ(badSamples.load(), 0);
    EXPECT_GT(rounds, 0);
}

} // namespace
