// Cost of the audio manager's own work per host block on the multi-channel
// and no-latency paths: channel tables, routing, carry and dry delay lines,
// level metering and the gain ramp (no instrument modules).

#include "ChannelHarness.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace enginetest;

struct BenchHost {
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    ChannelPointers inputs{};
    ChannelPointers outputs{};

    BenchHost(uint32_t channels, uint32_t frames)
        : in(channels, std::vector<float>(frames, 0.25f)), out(channels, std::vector<float>(frames))
    {
        for (uint32_t c = 0; c < channels; ++c) {
            inputs[c] = in[c].data();
            outputs[c] = out[c].data();
        }
    }
};

// Six channels in "auto/surround" with a dry LFE, metering on.
void BM_MultiChannelBlock(benchmark::State& state)
{
    const uint32_t frames = static_cast<uint32_t>(state.range(0));
    auto engine = makeChannelEngine(6, k_layoutAutoSurround, k_surroundNoLfe);
    BenchHost host(6, frames);
    int toggle = 0;
    for (auto _ : state) {
        engine->outputValue() = (++toggle & 1) ? 90.0f : 100.0f;
        engine->setMeteringCount(2000);
        runChannelBlock(*engine, frames, host.inputs, host.outputs);
        benchmark::DoNotOptimize(host.out[0].data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_MultiChannelBlock)->Arg(64)->Arg(100)->Arg(512)->Arg(4096);

// The instrument's two channels with block latency off.
void BM_NoLatencyStereoBlock(benchmark::State& state)
{
    const uint32_t frames = static_cast<uint32_t>(state.range(0));
    auto engine = makeChannelEngine(2, k_layoutAutoSurround, k_surroundNoLfe);
    engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 1);
    BenchHost host(2, frames);
    int toggle = 0;
    for (auto _ : state) {
        engine->outputValue() = (++toggle & 1) ? 90.0f : 100.0f;
        runChannelBlock(*engine, frames, host.inputs, host.outputs);
        benchmark::DoNotOptimize(host.out[0].data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_NoLatencyStereoBlock)->Arg(64)->Arg(512)->Arg(4096);

} // namespace

BENCHMARK_MAIN();
