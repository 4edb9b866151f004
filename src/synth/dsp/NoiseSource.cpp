#include "synth/dsp/NoiseSource.h"

#include <bit>
#include <cmath>

namespace synthdsp {

namespace {

constexpr uint32_t kMultiplier = 1645983751u;
constexpr uint32_t kIncrement = 483207709u; // subtracted
constexpr uint32_t kTwoBits = 0x40000000u;  // the float 2.0
constexpr uint32_t kMantissaMask = 0x7FFFFFu;
constexpr float kWhiteOffset = 3.0f;

constexpr double kRedCorner = 10.0; // Hz
constexpr float kRedGain = 16.0f;
constexpr uint32_t kPinkCycle = 256;
constexpr int32_t kFirstPinkRow = 2;
constexpr float kPinkGain = 0.125f;
constexpr float kPinkLeak = 0.99f;

} // namespace

uint32_t nextNoiseState(uint32_t state)
{
    return state * kMultiplier - kIncrement;
}

float whiteFromNoiseState(uint32_t state)
{
    return std::bit_cast<float>(kTwoBits | (state & kMantissaMask)) - kWhiteOffset;
}

void generateNoise(NoiseState& state, uint32_t& generator, float samplePeriod, int32_t count,
                   float* white, float* red, float* pink)
{
    if (count <= 0)
        return;
    // One-pole bilinear low-pass for the red noise.
    const float t = float(std::tan(kRedCorner * std::acos(-1.0) * double(samplePeriod)));
    const float a = t / (t + 1.0f);
    const float b = (t - 1.0f) / (t + 1.0f);

    for (int32_t i = 0; i < count; ++i) {
        generator = nextNoiseState(generator);
        const float w = whiteFromNoiseState(generator);
        white[i] = w;

        state.redLowpass = (w + state.redPreviousWhite) * a - b * state.redLowpass;
        state.redPreviousWhite = w;
        red[i] = kRedGain * state.redLowpass;

        // Row 2 every other sample, row 3 every fourth, ... row 10 once in 256.
        const uint32_t c = state.sampleCounter++;
        const int32_t row = std::countr_zero((c % kPinkCycle) + 1) + kFirstPinkRow;
        float& slot = state.pinkRows[row - kFirstPinkRow];
        state.pinkAccumulator += w - state.pinkPreviousWhite;
        state.pinkPreviousWhite = w;
        state.pinkAccumulator -= slot;
        slot = w;
        pink[i] = state.pinkAccumulator * kPinkGain;
        state.pinkAccumulator *= kPinkLeak;
    }
}

} // namespace synthdsp
