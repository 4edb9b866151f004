// CPU time per voice as a share of one core at 44.1 kHz, for the default
// patch and a heavy one, with 1, 4 and 8 notes held. One iteration is one
// host block of 64 samples through the whole engine, with flush-to-zero as
// the plug-in sets it:
//   Instrument:  the synth's audio manager (parameter manager, voice circuit,
//                envelopes, LFOs, voice module, voice mixer);
//   VoiceModule: the voice module alone in the voice circuit (with a bus
//                tap in place of the mixer).
// percent_per_voice = block time / (notes x 64 / 44100 s) x 100: the engine's
// own per-block work is shared among the notes.

#include "SynthFixture.h"
#include "VoiceModuleEngine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

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

void renderNotes(benchmark::State& state, std::unique_ptr<SynthHost> host, Patch patch)
{
    const int32_t notes = static_cast<int32_t>(state.range(0));
    if (patch == Patch::heavy)
        applyHeavyPatch(*host);
    host->render(kBlock);
    for (int32_t i = 0; i < notes; ++i)
        host->noteOn(kFirstKey + kKeyStep * i);
    host->render(int64_t(kWarmUpBlocks) * kBlock);

    std::vector<float> left(kBlock), right(kBlock);
    AM_ProcessContext* ctx = host->ctx();
    ctx->sampleFrames = kBlock;
    ctx->outputChannels[0] = left.data();
    ctx->outputChannels[1] = right.data();
    FlushToZeroScope flush;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        host->engine().processBlock();
        benchmark::DoNotOptimize(left.data());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double audio = double(state.iterations()) * double(notes) * kBlock / double(kRate);
    state.counters["percent_per_voice"] = 100.0 * seconds / audio;
}

void BM_InstrumentDefaultPatch(benchmark::State& state)
{
    renderNotes(state, makeSynth(), Patch::standard);
}
BENCHMARK(BM_InstrumentDefaultPatch)->Arg(1)->Arg(4)->Arg(8);

void BM_InstrumentHeavyPatch(benchmark::State& state)
{
    renderNotes(state, makeSynth(), Patch::heavy);
}
BENCHMARK(BM_InstrumentHeavyPatch)->Arg(1)->Arg(4)->Arg(8);

void BM_VoiceModuleDefaultPatch(benchmark::State& state)
{
    renderNotes(state, makeVoiceEngine(), Patch::standard);
}
BENCHMARK(BM_VoiceModuleDefaultPatch)->Arg(1)->Arg(4)->Arg(8);

void BM_VoiceModuleHeavyPatch(benchmark::State& state)
{
    renderNotes(state, makeVoiceEngine(), Patch::heavy);
}
BENCHMARK(BM_VoiceModuleHeavyPatch)->Arg(1)->Arg(4)->Arg(8);

} // namespace

BENCHMARK_MAIN();
