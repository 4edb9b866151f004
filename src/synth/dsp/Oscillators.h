#pragma once
// The voice's oscillator core at four times the host rate: the first
// oscillator (sine, triangle, saw and pulse), the second (saw and pulse, with
// audio-rate frequency or pulse-width modulation by the first and sync to it),
// the sub oscillator (a square an octave below the first) and a DC blocker on
// their mix.
//
// Sine and triangle come from wavetables. Saw, pulse and the sub's square are
// raw piecewise-linear signals; at every jump the difference between the
// band-limited step and the ideal jump is added into a correction ring of the
// oscillator, placed with sub-frame accuracy (InterpolatedStepCorrection.h),
// and played out over the following frames.
//
// Pitches are in semitones, p -> 110 * 2^((p - 69) / 12) Hz, by the pitch
// table; an oscillator pitch is held within the table's range [0, 192), and
// the phase increment at 0.5 cycles per frame (half the oversampled rate), so
// every cycle has each of its jumps once.
//
// A block is `frames` oversampled frames (64 per 16 host samples); control
// rows give one value per 16 frames (one control step).

#include "synth/dsp/InterpolatedStepCorrection.h"
#include "synth/dsp/OscillatorWavetables.h"

#include <cstdint>

namespace synthdsp {

constexpr int32_t kFramesPerControlStep = 16;
constexpr int32_t kOversampling = 4;
// The fastest phase increment, in cycles per frame.
constexpr float kMaxOscillatorIncrement = 0.5f;

// The per-voice oscillator memory. Zero-initialised it is a silent voice at
// phase 0; nothing here is reset between notes (the oscillators run free).
struct alignas(16) OscillatorState {
    float osc1Ring[kCorrectionRingSize] = {}; // pending step corrections
    float osc2Ring[kCorrectionRingSize] = {};
    float subRing[kCorrectionRingSize] = {};
    uint32_t ringPosition = 0; // common read slot of the three rings, 0 .. 255

    float osc1SawWeight = 0.0f; // latched at the first oscillator's last wrap
    float osc1PulseWeight = 0.0f;
    float osc2SawWeight = 0.0f; // latched at the second's last wrap or sync
    float osc2PulseWeight = 0.0f;

    float osc1Phase = 0.0f;     // cycles, 0 .. 1
    float osc1Threshold = 0.0f; // phase at which the pulse goes high
    float osc1Increment = 0.0f; // cycles per frame, set every control step
    float osc2Phase = 0.0f;
    float osc2Threshold = 0.0f;
    uint32_t osc2PulseHigh = 0; // 0 low, 1 high

    float osc1Raw = 0.0f; // saw and pulse part without the corrections
    float osc2Raw = 0.0f;
    float subValue = 0.0f; // -1 or +1 once running
    uint32_t subSteps = 0;

    float dcInput = 0.0f; // the DC blocker's previous input and output
    float dcOutput = 0.0f;
};

// The module parameters the oscillators read, in their own units (the
// defaults are the parameters' defaults), plus the first value of the voice
// row (control row 12) of the block, which scales Detune.
struct OscillatorSettings {
    float shape1 = 3.0f;        // 1 sine, 2 triangle, 3 saw, 4 pulse; fractions crossfade
    float shape2 = 2.0f;        // 1 saw, 2 pulse
    float tune2 = 0.0f;         // semitones, 0 .. 24
    float fineTune2 = 0.0f;     // -50 .. 50 (+-1 semitone)
    float tuneModDepth1 = 0.0f; // semitones per unit of the tune-modulation row
    float tuneModDepth2 = 0.0f;
    float pulseWidthDepth = 0.0f;    // 0 .. 50
    bool pulseWidthSourceSet = true; // PWSrc not 0
    float detune = 0.0f;             // -50 .. 50
    float softSync = 0.0f;           // 0 .. 100
    float vibrato = 0.0f;            // 0 .. 100
    float keyScale = 100.0f;         // -200 .. 200
    float oscVolume1 = -30.0f;
    float oscVolume2 = -30.0f;
    float subVolume = -100.0f;
    int32_t audioRateDest = 0; // 0 Osc2 FM, 1 Osc2 PWM, 2 filter FM
    float xModDepth = 0.0f;    // 0 .. 100
    float voiceRow = 0.0f;     // V: first value of control row 12
};

// Block constants derived from the settings.
struct OscillatorBlock {
    float sineWeight, triangleWeight, osc1SawWeight, osc1PulseWeight;
    float osc2SawWeight, osc2PulseWeight;
    float osc1Gain, osc2Gain, subGain;
    float keyScale;     // semitones per unit of the key rows
    float vibratoScale; // semitones per unit of the vibrato row
    float tuneModDepth1, tuneModDepth2;
    float osc1Base, osc2Base; // pitch without rows
    float pulseDepth;         // Kp
    float crossModDepth;      // D: semitones (FM) or width (PWM) per unit of Osc1
    float syncWindow;         // Osc2 resets when its phase is within this of its cycle boundary
    float dcCoefficient;      // pole of the DC blocker
    float incrementScale;     // cycles per frame per Hz: host sample period / 4
};

// Any thread. samplePeriod: seconds per host sample.
OscillatorBlock makeOscillatorBlock(const OscillatorSettings& settings, float samplePeriod);

// Control rows, one value per control step from the block's start (at least
// ceil(frames / 16) values each). How the module fills them:
//   key1, key2    the row of KeySource and the row after it
//   tuneMod1/2    the rows of TuneModSrc1 and TuneModSrc2
//   vibrato       the row of VibratoSrc (row 15 when it is 0)
//   pulseWidth    the row of PWSrc, or a row of ones when PWSrc is 0
//   osc2Fm        Ra when AudioRateDest is 0, else the reserved row 0
//   osc2Pwm       Ra when AudioRateDest is 1, else the reserved row 0
// where Ra is the row of AudioRateModSrc, or a row of ones when it is 0.
struct OscillatorRows {
    const float* key1;
    const float* key2;
    const float* tuneMod1;
    const float* tuneMod2;
    const float* vibrato;
    const float* pulseWidth;
    const float* osc2Fm;
    const float* osc2Pwm;
};

// A row of kMaxControlSteps ones, for the rows above that read ones.
constexpr int32_t kMaxControlSteps = 16;
const float* onesControlRow();

// The shared tables: the sine, the ten triangle levels (one after the other)
// and the step-correction table with its slope blocks.
struct OscillatorTables {
    const float* sine;
    const float* triangle;
    const float* stepCorrections;
};

// The process-wide tables (oscillatorWavetables(),
// interpolatedStepCorrectionTable()). Any thread; the first call must not be
// on the audio thread.
OscillatorTables oscillatorTables();

// Output buffers of `frames` frames each: the work buffer takes two floats per
// frame (the DC-free mix, the first oscillator's value); the three others one
// float per frame (each oscillator's value before its gain). The three may be
// null when nothing reads them (the filter's ring modulator is off).
struct OscillatorOutput {
    float* work;
    float* osc1;
    float* osc2;
    float* sub;
};

// Renders `frames` frames (frames <= 0 renders nothing) and advances the
// state. The triangle level is chosen once, from the increment the previous
// block left. When the second oscillator's raw signal exceeds 4 in magnitude
// at a wrap or a sync, the trace gets "Accumulator2 - %f" or "Accumulator2
// %f". Allocates nothing. Audio thread (the state's owner).
void renderOscillators(OscillatorState& state, const OscillatorBlock& block,
                       const OscillatorRows& rows, const OscillatorTables& tables, int32_t frames,
                       const OscillatorOutput& out);

// The phase increment of a pitch: F(pitch) * incrementScale, the pitch held
// within [0, 192) and the result at most kMaxOscillatorIncrement. Any thread.
float oscillatorIncrement(float pitch, float incrementScale);

} // namespace synthdsp
