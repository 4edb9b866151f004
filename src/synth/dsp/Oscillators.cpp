#include "synth/dsp/Oscillators.h"

#include "synth/dsp/PitchTable.h"
#include "synth/dsp/OscillatorLaws.h"
#include "synth/dsp/PitchTableLookup.h"
#include "synth/dsp/VoiceControlLaws.h"

#include <array>
#include <cmath>

namespace synthdsp {

namespace {

using namespace oscillatorlaws;

// Parameter scalings.
constexpr float kKeyScaleFactor = 0.64f;
constexpr float kVibratoFactor = 0.07f;
constexpr float kDetuneFactor = 0.02f;
constexpr float kFineTuneFactor = 0.02f;
constexpr float kBasePitch = 76.0f;
constexpr float kPercent = 0.01f;
constexpr float kFmDepthFactor = 0.36f;     // XModDepth 100: 36 semitones per unit
constexpr float kPwmDepthFactor = 0.005f;   // XModDepth 100: half the width per unit
constexpr float kSyncWindowFactor = 0.005f; // SoftSync 100: half a cycle
constexpr float kDcCorner = 5.0f;
constexpr int32_t kDestOscPwm = 1;

} // namespace

// Constant-initialised, so the first read (on the audio thread) runs no
// initialisation guard.
constexpr std::array<float, kMaxControlSteps> kOnes = [] {
    std::array<float, kMaxControlSteps> ones{};
    ones.fill(1.0f);
    return ones;
}();

const float* onesControlRow()
{
    return kOnes.data();
}

OscillatorTables oscillatorTables()
{
    const OscillatorWavetables& waves = oscillatorWavetables();
    return {waves.sine, waves.triangle[0], interpolatedStepCorrectionTable()};
}

float oscillatorIncrement(float pitch, float incrementScale)
{
    return incrementOf(pitchTable(), pitch, incrementScale);
}

OscillatorBlock makeOscillatorBlock(const OscillatorSettings& s, float samplePeriod)
{
    OscillatorBlock b{};
    b.sineWeight = shapeWeight(s.shape1, 1);
    b.triangleWeight = shapeWeight(s.shape1, 2);
    b.osc1SawWeight = shapeWeight(s.shape1, 3);
    b.osc1PulseWeight = shapeWeight(s.shape1, 4);
    b.osc2SawWeight = shapeWeight(s.shape2, 1);
    b.osc2PulseWeight = shapeWeight(s.shape2, 2);
    b.osc1Gain = levelToGain(s.oscVolume1);
    b.osc2Gain = levelToGain(s.oscVolume2);
    b.subGain = levelToGain(s.subVolume);
    b.keyScale = s.keyScale * kKeyScaleFactor;
    b.vibratoScale = s.vibrato * kVibratoFactor;
    b.tuneModDepth1 = s.tuneModDepth1;
    b.tuneModDepth2 = s.tuneModDepth2;
    const float detune = s.detune * kDetuneFactor * s.voiceRow;
    b.osc1Base = detune + kBasePitch;
    b.osc2Base = s.tune2 + s.fineTune2 * kFineTuneFactor + detune + kBasePitch;
    b.pulseDepth = s.pulseWidthSourceSet ? s.pulseWidthDepth * kPercent
                                         : kHalfWidth - s.pulseWidthDepth * kPercent;
    b.crossModDepth =
        s.xModDepth * (s.audioRateDest == kDestOscPwm ? kPwmDepthFactor : kFmDepthFactor);
    b.syncWindow = s.softSync * kSyncWindowFactor;
    b.dcCoefficient = 1.0f - kDcCorner * samplePeriod;
    b.incrementScale = samplePeriod / float(kOversampling);
    return b;
}

void renderOscillators(OscillatorState& st, const OscillatorBlock& b, const OscillatorRows& rows,
                       const OscillatorTables& tables, int32_t frames, const OscillatorOutput& out)
{
    if (frames <= 0)
        return;
    const float* sine = tables.sine;
    const float* triangle =
        tables.triangle + triangleLevelForIncrement(st.osc1Increment) * kWavetableSize;
    const float* corrections = tables.stepCorrections;
    // Sine and triangle are read only when they sound.
    const bool smooth = b.sineWeight != 0.0f || b.triangleWeight != 0.0f;

    // Copies of the state for the loop.
    uint32_t p = st.ringPosition & kRingMask;
    float a1 = st.osc1SawWeight, b1 = st.osc1PulseWeight;
    float a2 = st.osc2SawWeight, b2 = st.osc2PulseWeight;
    float phase1 = st.osc1Phase, threshold1 = st.osc1Threshold, inc1 = st.osc1Increment;
    float phase2 = st.osc2Phase, threshold2 = st.osc2Threshold;
    bool high2 = st.osc2PulseHigh != 0;
    float raw1 = st.osc1Raw, raw2 = st.osc2Raw;
    float subValue = st.subValue;
    uint32_t subSteps = st.subSteps;
    float dcInput = st.dcInput, dcOutput = st.dcOutput;

    // Both live for this block only.
    bool syncPending = false;
    float remainder = 0.0f; // Osc1's phase just after its latest wrap

    float* const rings[] = {st.osc1Ring, st.subRing, st.osc2Ring};
    const auto place = [&rings, &p, corrections](int32_t ring, float m, float position) {
        placeStepCorrection(rings[ring], p, corrections, m, position);
    };
    const FirstOscillator first1{phase1, raw1, threshold1, a1, b1,
                                 remainder, syncPending, subValue, subSteps};
    const SecondOscillator second{phase2, raw2, a2, b2, high2, syncPending};

    const PitchTable& pitches = pitchTable();
    for (int32_t step = 0, first = 0; first < frames; ++step, first += kFramesPerControlStep) {
        const int32_t last =
            first + kFramesPerControlStep < frames ? first + kFramesPerControlStep : frames;
        const OscillatorStep values = oscillatorStep(b, rows, step, pitches);
        inc1 = values.inc1;
        const float width1 = values.width1;
        const float width2 = values.width2;
        const float fm2 = values.fm2;
        const float pwm2 = values.pwm2;
        const float pitch2Base = values.pitch2Base;
        // Without audio-rate modulation the second increment and threshold hold
        // for the step.
        const bool modulated = fm2 != 0.0f;
        const bool widthModulated = modulated || pwm2 != 0.0f;
        float inc2 = values.inc2;
        threshold2 = values.threshold2;

        for (int32_t n = first; n < last; ++n) {
            // First oscillator.
            const float previous1 = phase1;
            phase1 += inc1;
            raw1 += kSpan * inc1 * a1;
            firstOscillatorJumps(first1, previous1, inc1, width1, b.osc1SawWeight,
                                 b.osc1PulseWeight, place);
            float o1 = raw1 + st.osc1Ring[p];
            if (smooth) {
                o1 += smoothWaves(sine, triangle, b.sineWeight, b.triangleWeight, phase1);
            }
            const float o3 = st.subRing[p] + subValue;
            st.osc1Ring[p] = 0.0f;
            st.subRing[p] = 0.0f;
            if (out.osc1)
                out.osc1[n] = o1;
            if (out.sub)
                out.sub[n] = o3;
            float mix = b.subGain * o3 + b.osc1Gain * o1;

            // Second oscillator.
            if (modulated)
                inc2 = incrementOf(pitches, fm2 * o1 + pitch2Base, b.incrementScale);
            phase2 += inc2;
            raw2 += kSpan * inc2 * a2;
            if (widthModulated)
                threshold2 = pulseThreshold(std::fabs(width2 - pwm2 * o1), inc2);
            secondOscillatorJumps(second, inc2, threshold2, b.syncWindow, remainder,
                                  b.osc2SawWeight, b.osc2PulseWeight, place);
            const float o2 = st.osc2Ring[p] + raw2;
            st.osc2Ring[p] = 0.0f;
            if (out.osc2)
                out.osc2[n] = o2;
            mix += b.osc2Gain * o2;

            // DC blocker.
            dcOutput = (mix - dcInput) + b.dcCoefficient * dcOutput;
            dcInput = mix;
            p = (p + 1) & kRingMask;
            out.work[2 * n] = dcOutput;
            out.work[2 * n + 1] = o1;
        }
    }

    st.ringPosition = p;
    st.osc1SawWeight = a1;
    st.osc1PulseWeight = b1;
    st.osc2SawWeight = a2;
    st.osc2PulseWeight = b2;
    st.osc1Phase = phase1;
    st.osc1Threshold = threshold1;
    st.osc1Increment = inc1;
    st.osc2Phase = phase2;
    st.osc2Threshold = threshold2;
    st.osc2PulseHigh = high2 ? 1u : 0u;
    st.osc1Raw = raw1;
    st.osc2Raw = raw2;
    st.subValue = subValue;
    st.subSteps = subSteps;
    st.dcInput = dcInput;
    st.dcOutput = dcOutput;
}

} // namespace synthdsp
