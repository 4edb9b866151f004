// CPU time per voice as a share of one core at 44.1 kHz, for the default
// patch and a heavy one, with 1, 4 and 8 notes held: one iteration is one
// host block of 64 samples through the whole engine (parameter manager,
// voice circuit, voice modules and the tap), with flush-to-zero as the
// plug-in sets it. percent_per_voice = block time / (notes x 64 / 44100 s) x
// 100, so the engine's own per-block work is shared among the notes.

#include "VoiceModuleEngine.h"

#include <benchmark/benchmark.h>

namespace {

using namespace synthtest;

constexpr int32_t kWarmUpBlocks = 200;
constexpr int32_t kFirstKey = 48;
constexpr int32_t kKeyStep = 5;

enum class Patch { standard, heavy };

// Both oscillators with sync and FM, sub, ring modulation, feedback, noise,
// 36 dB and high resonance.
void applyHeavyPatch(SynthHost& host)
{
    host.set("Kestan", "Shp1", 3.5f);
    host.set("Kestan", "Shp2", 1.5f);
    host.set("Kestan", "Sync", 100.0f);
    host.set("Kestan", "ARDest", 0.0f);
    host.set("Kestan", "ARDpt", 40.0f);
    host.set("Kestan", "PWDpt", 30.0f);
    host.set("Kestan", "SubVol", -20.0f);
    host.set("Kestan", "NseVol", -20.0f);
    host.set("Kestan", "Noise", 2.5f);
    host.set("Kestan", "RMVol", -20.0f);
    host.set("Kestan", "FBVol", -10.0f);
    host.set("Kestan", "VCFPol", 2.0f);
    host.set("Kestan", "Res", 90.0f);
    host.set("Kestan", "Cutoff", 85.0f);
    host.set("Kestan", "KeyFol", 60.0f);
    host.set("Kestan", "MxSp", 20.0f);
}

void renderNotes(benchmark::State& state, Patch patch)
{
    const int32_t notes = static_cast<int32_t>(state.range(0));
    auto host = makeVoiceEngine();
    if (patch == Patch::heavy)
        applyHeavyPatch(*host);
    for (int32_t i = 0; i < notes; ++i)
        host->noteOn(kFirstKey + kKeyStep * i);
    host->render(int64_t(kWarmUpBlocks) * kBlock);

    std::vector<float> left(kBlock), right(kBlock);
    AM_ProcessContext* ctx = host->ctx();
    ctx->sampleFrames = kBlock;
    ctx->outputChannels[0] = left.data();
    ctx->outputChannels[1] = right.data();
    FlushToZeroScope flush;
    for (auto _ : state) {
        host->engine().processBlock();
        benchmark::DoNotOptimize(left.data());
    }
    const double blockSeconds = double(kBlock) / double(kRate);
    state.counters["percent_per_voice"] = benchmark::Counter(
        double(notes) * blockSeconds / 100.0,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_VoiceModuleDefaultPatch(benchmark::State& state)
{
    renderNotes(state, Patch::standard);
}
BENCHMARK(BM_VoiceModuleDefaultPatch)->Arg(1)->Arg(4)->Arg(8);

void BM_VoiceModuleHeavyPatch(benchmark::State& state)
{
    renderNotes(state, Patch::heavy);
}
BENCHMARK(BM_VoiceModuleHeavyPatch)->Arg(1)->Arg(4)->Arg(8);

} // namespace

BENCHMARK_MAIN();
