#pragma once
// The --bench measure: the plug-in's CPU time for N held notes, as a share of
// one core, in total and per voice.

#include "HostedPlugin.h"

#include <string>

namespace vsthost {

struct BenchResult {
    int notes = 0;
    double seconds = 0.0;        // audio rendered in each pass
    double idleCpuSeconds = 0.0; // CPU time for the same length without notes
    double cpuSeconds = 0.0;     // CPU time with the notes held

    // CPU time per second of audio (1.0 = one core fully busy).
    double coreShare() const { return seconds > 0.0 ? cpuSeconds / seconds : 0.0; }
    double idleShare() const { return seconds > 0.0 ? idleCpuSeconds / seconds : 0.0; }
    double perVoiceShare() const { return notes > 0 ? coreShare() / notes : 0.0; }
    double perVoiceAboveIdle() const
    {
        return notes > 0 ? (coreShare() - idleShare()) / notes : 0.0;
    }
};

// Largest note count (distinct keys).
constexpr int kMaxBenchNotes = 96;

// The keys held for n notes: distinct, spread over eight octaves.
int benchNote(int i);

// Renders seconds of silence, then holds notes for seconds, through a started
// plug-in; process CPU time (every thread of the plug-in included) is read
// around each pass.
bool runBench(HostedPlugin& plugin, int notes, double seconds, BenchResult& result,
              std::string& error);

} // namespace vsthost
