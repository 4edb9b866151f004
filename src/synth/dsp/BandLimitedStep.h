#pragma once
// The band-limited step that the oscillators use to correct their jumps.
//
// S is a minimum-phase band-limited unit step as a function of the time
// since the jump, sampled at kStepPhases points per sample over kStepTaps
// samples (samples of the oversampled voice rate): entry
// kStepPhases * n + j is S(n + j / kStepPhases). It starts at 0, overshoots
// once, rings down and is exactly 1 over its last samples, so a correction
// 1 - S is exactly zero there.
//
// Its frequency response (that of the step's derivative) is flat within
// 0.001 dB up to a quarter of the oversampled rate (the host rate itself), is
// -6 dB at 0.45 of the oversampled rate and at least 115 dB down from the
// oversampled Nyquist on: an oscillator corrected with it is free of aliases
// already at the oversampled rate, before the saturating filter stage and
// the decimator. The table rounds the design to single precision.

#include <cstdint>
#include <vector>

namespace synthdsp {

constexpr int32_t kStepPhases = 128;
constexpr int32_t kStepTaps = 128;
constexpr int32_t kStepTableSize = kStepPhases * kStepTaps;

// Parameters of the design: a Kaiser-windowed sinc low-pass, made minimum
// phase by the real cepstrum, integrated and normalised to end at 1.
struct StepDesign {
    double cutoff;         // -6 dB point, fraction of the oversampled rate
    int32_t prototypeTaps; // length of the linear-phase prototype in samples
    double kaiserBeta;     // window shape
    int32_t settledFrom;   // first sample at which the step is exactly 1
    int32_t taperSamples;  // the ringing is faded out over these samples before it
};

// The design used for the process-wide table.
StepDesign defaultStepDesign();

// Computes a step table of kStepTableSize values (double-precision design,
// rounded to float). Takes tens of milliseconds; the program does not run it
// (see bandLimitedStep). Any thread.
std::vector<float> designBandLimitedStep(const StepDesign& design);

// The step table of the default design, held as constants in the program's
// data: written by the project's tool kk-steptable from
// designBandLimitedStep(defaultStepDesign()) into BandLimitedStepTable.cpp,
// so that no process pays for the design. Any thread.
const float* bandLimitedStep();

} // namespace synthdsp
