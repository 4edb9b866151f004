#include "Bench.h"

#include "Renderer.h"

#include <cmath>
#include <ctime>

namespace vsthost {
namespace {

constexpr int kLowestNote = 24;
constexpr int kNoteSpread = 96;
constexpr int kNoteStep = 7; // a fifth apart, coprime with the spread
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kVelocity = 100;

double cpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

int benchNote(int i)
{
    return kLowestNote + (i * kNoteStep) % kNoteSpread;
}

bool runBench(HostedPlugin& plugin, int notes, double seconds, BenchResult& result,
              std::string& error)
{
    if (notes < 1 || notes > kMaxBenchNotes) {
        error = "the bench holds 1 to " + std::to_string(kMaxBenchNotes) + " notes";
        return false;
    }
    if (!(seconds > 0.0)) {
        error = "the bench needs a positive length";
        return false;
    }
    result = BenchResult{};
    result.notes = notes;
    result.seconds = seconds;
    const auto frames = static_cast<int64_t>(std::llround(seconds * plugin.settings().sampleRate));
    Renderer renderer(plugin);

    double start = cpuSeconds();
    if (!renderer.render(frames, nullptr, error))
        return false;
    result.idleCpuSeconds = cpuSeconds() - start;

    MidiSequence chord;
    for (int i = 0; i < notes; ++i)
        chord.push_back(midiMessage(renderer.position(), kNoteOn,
                                    static_cast<uint8_t>(benchNote(i)), kVelocity));
    renderer.schedule(chord);
    start = cpuSeconds();
    if (!renderer.render(frames, nullptr, error))
        return false;
    result.cpuSeconds = cpuSeconds() - start;

    MidiSequence release;
    for (int i = 0; i < notes; ++i)
        release.push_back(
            midiMessage(renderer.position(), kNoteOff, static_cast<uint8_t>(benchNote(i)), 0));
    renderer.schedule(release);
    return renderer.render(plugin.settings().blockSize, nullptr, error);
}

} // namespace vsthost
