// Cost of the audio manager's own work per host block: the carry, the
// sub-block cuts, the clock, the parameter manager's block routine, the
// flush and the output with its gain ramp (no instrument modules).

#include "EngineHarness.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace enginetest;

void BM_BareStereoBlock(benchmark::State& state)
{
    const uint32_t frames = static_cast<uint32_t>(state.range(0));
    auto engine = makeEngine();
    std::vector<float> in(frames, 0.25f), left(frames), right(frames);
    int toggle = 0;
    for (auto _ : state) {
        // A changing output value keeps the gain ramp running.
        engine->outputValue() = (++toggle & 1) ? 90.0f : 100.0f;
        runHostBlock(*engine, frames, in.data(), in.data(), left.data(), right.data());
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_BareStereoBlock)->Arg(64)->Arg(100)->Arg(512)->Arg(4096);

} // namespace

BENCHMARK_MAIN();
