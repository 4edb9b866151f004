// Several instruments in one process, each rendering on its own audio
// thread while a user-interface thread reads the response plot: they share
// the process-wide tables, the noise generator and the plot's coefficients,
// and must neither race nor disturb each other's sound.

#include "SynthFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace synthtest;

constexpr int32_t kInstances = 3;
constexpr int64_t kSamples = 64 * 300;

TEST(SynthInstances, RenderOnSeparateThreads)
{
    std::vector<std::unique_ptr<SynthHost>> hosts;
    for (int32_t i = 0; i < kInstances; ++i) {
        hosts.push_back(makeSynth());
        hosts.back()->set("Kestan", "NseVol", -20.0f);
        hosts.back()->set("Kestan", "Res", 60.0f);
    }
    auto* plotModule = static_cast<KestanAudio*>(hosts[0]->engine().getModuleByName("Kestan"));
    ASSERT_NE(plotModule, nullptr);

    std::atomic<bool> rendering{true};
    std::thread plotReader([&] {
        while (rendering.load()) {
            const auto* plot = static_cast<const uint32_t*>(
                plotModule->getParameterData(KestanAudio::kPlotDataId));
            ASSERT_NE(plot, nullptr);
            ASSERT_EQ(plot[1], KestanAudio::kPlotPoints);
        }
    });
    std::vector<std::thread> audio;
    for (int32_t i = 0; i < kInstances; ++i) {
        audio.emplace_back([&hosts, i] {
            const std::vector<NoteEvent> notes = {{0, 48 + 7 * i, 100.0f},
                                                  {64 * 20, 55 + 7 * i, 90.0f},
                                                  {64 * 200, 48 + 7 * i, 0.0f}};
            hosts[size_t(i)]->play(notes, kSamples);
        });
    }
    for (std::thread& t : audio)
        t.join();
    rendering.store(false);
    plotReader.join();

    for (int32_t i = 0; i < kInstances; ++i) {
        const std::vector<float>& out = hosts[size_t(i)]->left;
        ASSERT_EQ(out.size(), size_t(kSamples));
        double energy = 0.0;
        for (float v : out) {
            ASSERT_TRUE(std::isfinite(v));
            energy += double(v) * double(v);
        }
        EXPECT_GT(energy, 1.0) << "instance " << i;
    }
}

} // namespace
