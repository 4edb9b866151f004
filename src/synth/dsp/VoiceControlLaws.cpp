#include "synth/dsp/VoiceControlLaws.h"

#include "synth/dsp/BiquadDesign.h"

#include <cmath>

namespace synthdsp {

namespace {

constexpr float kLevelPercent = 0.01f;
// log2(10) / 20: decibels to octaves of amplitude.
constexpr float kDecibelsToOctaves = 0.16562499f;
constexpr float kDecibelsPerLevelStep = 0.5f;

} // namespace

float levelToGain(float level)
{
    if (level > 0.0f)
        return cubicPowerOfTwo(kDecibelsToOctaves * level * kDecibelsPerLevelStep);
    const float gain = level * kLevelPercent + 1.0f;
    return gain > 0.0f ? gain : 0.0f;
}

float shapeWeight(float shape, int32_t wave)
{
    const float weight = 1.0f - std::fabs(shape - float(wave));
    return weight > 0.0f ? weight : 0.0f;
}

} // namespace synthdsp
