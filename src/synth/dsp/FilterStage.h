#pragma once
// The voice's filter stage at four times the host rate.
//
// Per frame: a ring modulator and a feedback of the stage's own previous
// output (through three low-pass biquads and a soft clip) join the
// oscillators' mix; an input soft clip; then four saturating two-pole
// state-variable sections in the four lanes of one vector. Two kernels:
//   low/high-pass: the sections morph from low-pass (MixSpread 0) through a
//     notch (50) to high-pass (100); 12, 24 or 36 dB per octave run one, two
//     or three sections in a chain (one frame apart);
//   band-pass: three sections side by side on the same input, at the cutoff,
//     up to two octaves above and up to two below (MixSpread), summed by the
//     pole setting.
// The cutoff follows the pitch law of the oscillators (the corner lies at
// twice the frequency of the pitch, 220 * 2^((Cutoff - 69) / 12) Hz), with
// key follow, two frequency modulations per control step and audio-rate
// cross modulation by the first oscillator per frame.
//
// A block is `frames` frames; control rows give one value per 16 frames.
//
// The feedback biquads run only in blocks whose frames use their output
// (FilterBlock::feedbackUsed); otherwise they stand still, and the voice
// starts them from cleared state when they are used again.

#include "synth/dsp/BiquadDesign.h"
#include "synth/dsp/StateVariableHighpass.h"

#include <cstdint>

namespace synthdsp {

constexpr int32_t kFilterSections = 4;
constexpr int32_t kFeedbackBiquads = 3;
// The cutoff's sine argument stays below pi/2, so that low host rates never
// fold a high cutoff back down.
constexpr float kMaxCutoffArgument = 1.57f;
constexpr float kMinFilterPitch = 10.0f;
constexpr float kMaxFilterPitch = 160.0f;

// The per-voice filter memory. Both kernels keep their sections' band and low
// states in the same vectors, so a change of kernel carries them over. The
// feedback biquads are designed and ramped by the voice once per block
// (lowpassBiquadFloat, biquadRampFloat); the kernels run them and add their
// coefficient increments once per frame.
struct alignas(16) FilterState {
    float band[kFilterSections] = {};       // A of each section
    float low[kFilterSections] = {};        // B of each section
    float laneOutput[kFilterSections] = {}; // low/high-pass kernel: the lanes' previous outputs
    BiquadRecord<float> feedbackLowpass[kFeedbackBiquads] = {};
    float feedback = 0.0f; // the previous output sample
    // 1 while the feedback biquads stand still (their output unused): the
    // block that uses them again starts them from cleared state.
    uint32_t feedbackIdle = 0;
    // The cutoff coefficient g and damping k of the latest frame (for the
    // response plot).
    float lastCoefficient = 0.0f;
    float lastDamping = 0.0f;
};

// The module parameters the stage reads, in their own units (defaults are
// the parameters' defaults), plus the first value of the voice row (control
// row 12) of the block, which scales Detune in the key follow.
struct FilterSettings {
    int32_t mode = 0;       // VCFMode: 0 low/high-pass, 1 band-pass, others bypass
    int32_t poles = 1;      // VCFPoles: 0 12 dB, 1 24 dB, 2 36 dB per octave
    int32_t ringModIn1 = 0; // 0 Osc1, 1 Osc2, 2 Sub, 3 Osc1+2, 4 Osc1+Sub, 5 feedback + 1
    int32_t ringModIn2 = 1; // 0 Osc1, 1 Osc2, 2 Sub
    float ringModVolume = -100.0f;
    float feedbackVolume = -100.0f;
    float cutoff = 150.0f; // 30 .. 150
    float fmDepth1 = 0.0f; // semitones per unit of FreqModSrc1's row
    float fmDepth2 = 0.0f;
    float keyFollow = 0.0f;    // 0 .. 100
    float resonance = 0.0f;    // 0 .. 100
    float mixSpread = 0.0f;    // 0 .. 100
    int32_t audioRateDest = 0; // 2: filter FM by the first oscillator
    float xModDepth = 0.0f;
    float headroom1 = 50.0f; // 1 .. 100
    float clipping1 = 0.2f;  // the saturators' knee; held at 0 or above
    float detune = 0.0f;
    float voiceRow = 0.0f;
};

// Block constants derived from the settings.
struct FilterBlock {
    int32_t mode, poles, ringModIn1, ringModIn2;
    // Whether the frames read the feedback biquads' output: a feedback gain
    // above 0, or the ring modulator's "VCF" input at a gain above 0.
    bool feedbackUsed;
    float ringModGain, feedbackGain;
    float crossModDepth; // semitones per unit of (row value * Osc1 value)
    float inputGain, outputGain;
    float knee;
    float resonance;      // r, at most 2
    float extraGain;      // e: the self-oscillation boost above Res 80
    float basePitch;      // B
    float keyFollowScale; // semitones per unit of the key row
    float fmDepth1, fmDepth2;
    float highpassWeight, lowpassWeight;
    float spreadUp, spreadDown; // the band-pass kernel's outer section factors
    float argumentScale;        // sine argument per Hz of the doubled frequency
};

// Any thread. samplePeriod: seconds per host sample.
FilterBlock makeFilterBlock(const FilterSettings& settings, float samplePeriod);

// Control rows, one value per control step from the block's start (at least
// ceil(frames / 16) values each). How the module fills them:
//   key        the row of KeySource
//   fm1, fm2   the rows of FreqModSrc1 and FreqModSrc2
//   crossMod   AudioRateDest 2: the row of AudioRateModSrc (ones when it is
//              0); otherwise the reserved row 0
struct FilterRows {
    const float* key;
    const float* fm1;
    const float* fm2;
    const float* crossMod;
};

// The frames the stage reads and writes. work: two floats per frame (the mix,
// the first oscillator's value), overwritten with the output in both floats;
// osc1, osc2, sub: one float per frame (the ring modulator's inputs);
// pinkNoise: the host-rate pink noise of the block (frames / 4 values), added
// at a tiny level.
struct FilterBuffers {
    float* work;
    const float* osc1;
    const float* osc2;
    const float* sub;
    const float* pinkNoise;
    // When set, the stage runs this high-pass (its ramp set) over the mix of
    // each frame before the frame is filtered.
    StateVariableHighpass* highpass = nullptr;
};

// Whether the block's mode runs a kernel at all (0 or 1).
bool filterStageRuns(const FilterBlock& block);

// The two kernels, and the choice by the block's mode (mode 0 low/high-pass,
// 1 band-pass, any other value leaves the work buffer as it is). frames <= 0
// does nothing. Allocate nothing. Audio thread (the state's owner).
void processFilterLPHP(FilterState& state, const FilterBlock& block, const FilterRows& rows,
                       int32_t frames, const FilterBuffers& buffers);
void processFilterBP(FilterState& state, const FilterBlock& block, const FilterRows& rows,
                     int32_t frames, const FilterBuffers& buffers);
void processFilterStage(FilterState& state, const FilterBlock& block, const FilterRows& rows,
                        int32_t frames, const FilterBuffers& buffers);

} // namespace synthdsp
