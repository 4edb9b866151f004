// The filter stage against a plain scalar model of its per-frame laws (block
// setup, pitch and resonance blend, feedback path through the three biquads
// and its soft clip, input soft clip, the four saturating sections of either
// kernel and their lane routing, the output mix). The model shares only the
// pitch table, the sine polynomial and the biquad designs with the stage; the
// stage's vector form and its rearranged saturator differ from it by rounding
// alone.

#include "synth/dsp/FilterStage.h"

#include "VoiceKernelRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace voicerig;
using synthdsp::FilterSettings;

float pade(float x)
{
    return x * (27.0f + x * x) / (27.0f + 9.0f * x * x);
}

float softClip(float v, float knee)
{
    const float magnitude = std::fabs(v);
    if (magnitude <= knee)
        return v;
    return std::copysign(knee + pade(magnitude - knee), v);
}

float saturate(float v, float knee)
{
    const float magnitude = std::fabs(v);
    if (magnitude <= knee)
        return v;
    return std::copysign(knee + pade(std::clamp(magnitude - knee, -3.2825f, 3.2825f)), v);
}

float levelGain(float level)
{
    return level <= 0.0f ? level / 100.0f + 1.0f : std::exp2(0.16562499f * level / 2.0f);
}

struct Model {
    Model(const FilterSettings& s, double hostRate) : s(s), period(float(1.0 / hostRate))
    {
        // The feedback biquads as the voice sets them after a note on.
        const auto c = synthdsp::lowpassBiquadFloat(synthdsp::pitchTable(), 125.0f, 0.7f,
                                                    float(1.0 / (hostRate * kOversampling)));
        const float values[5] = {c.b0, c.b1, c.b2, c.a1, c.a2};
        for (auto& biquad : coefficient)
            std::copy(values, values + 5, biquad);
    }

    float frame(float mix, float o1, float o2, float sub)
    {
        const float knee = std::max(s.clipping1, 0.0f);
        const float inputGain = (knee + 1.0f) / (s.headroom1 * 0.1f);
        const float outputGain = (s.headroom1 * 0.1f) / (knee + 1.0f);
        float r = s.resonance / 40.0f;
        float e = 0.0f;
        if (r > 2.0f) {
            r = 2.0f;
            e = (s.resonance / 100.0f - 0.8f) * 4.0f * 0.0005f;
        }
        const float base = s.cutoff + 12.0f - 0.72f * s.keyFollow;               // Detune 0
        float p = std::clamp(s.keyFollow * 0.64f + base - 12.0f, 10.0f, 160.0f); // rows 0
        float blended = r;
        if (p > 80.0f)
            blended = (1.0f - (p - 80.0f) * 0.00625f) * r + (p - 80.0f) * 0.00625f * 2.0f;
        const float k = 2.0f - blended;
        const float f2 = 2.0f * synthdsp::pitchToFrequency(synthdsp::pitchTable(), p);
        const float x = std::min(f2 * period * 1.5707963f, synthdsp::kMaxCutoffArgument);
        const float g = synthdsp::sinePolynomial(x);
        const float rolloff = f2 * 2e-5f;
        const float laneGain = 1.0f + (1.0f - rolloff * rolloff) * e;

        float y = feedbackSample;
        for (int32_t b = 0; b < 3; ++b) {
            const float* c = coefficient[b];
            const float out = c[0] * y + 0.99999f * z[b][0];
            z[b][0] = c[1] * y - c[3] * out + z[b][1];
            z[b][1] = c[2] * y - c[4] * out;
            y = out;
        }
        const float f = softClip(y * levelGain(s.feedbackVolume) * 1.5f, 0.5f) * (2.0f / 3.0f);
        const float first[] = {o1, o2, sub, o1 + o2, o1 + sub, y + 1.0f};
        const float second[] = {o1, o2, sub};
        const float ring = first[s.ringModIn1] * second[s.ringModIn2] * levelGain(s.ringModVolume);
        const float u = softClip((mix + ring) * 0.875f, 0.75f) * (8.0f / 7.0f);
        const float input = (u + f) * inputGain;

        float out = 0.0f;
        if (s.mode == 0) {
            const float in[4] = {input, laneOut[0],
                                 s.poles == 0   ? input
                                 : s.poles == 1 ? laneOut[0]
                                                : laneOut[1],
                                 laneOut[3]};
            const float damping[4] = {0.5f * k + 1.0f, 0.5f * k + 1.0f, k, k};
            const float gain[4] = {1.0f, 1.0f, laneGain, 1.0f};
            const float hp = std::min(s.mixSpread / 50.0f, 1.0f);
            const float lp = std::min(2.0f - s.mixSpread / 50.0f, 1.0f);
            for (int32_t l = 0; l < 4; ++l) {
                const float h = in[l] - gain[l] * saturate(damping[l] * A[l] + B[l], knee);
                A[l] = gain[l] * saturate(A[l] + g * h, knee);
                B[l] = gain[l] * saturate(B[l] + g * A[l], knee);
                laneOut[l] = hp * h + lp * B[l];
            }
            out = laneOut[2] * outputGain;
        } else {
            const float m = s.mixSpread / 100.0f;
            const float up = float(std::pow(2.0, 2.0 * m));
            const float down = float(std::pow(2.0, -2.0 * m));
            const float coefficients[4] = {g, synthdsp::sinePolynomial(std::min(x * up, 1.0f)),
                                           synthdsp::sinePolynomial(x * down), g};
            for (int32_t l = 0; l < 4; ++l) {
                const float h = input - laneGain * saturate(k * A[l] + B[l], knee);
                A[l] = laneGain * saturate(A[l] + coefficients[l] * h, knee);
                B[l] = laneGain * saturate(B[l] + coefficients[l] * A[l], knee);
            }
            out = (A[0] + (s.poles >= 1 ? A[1] : 0.0f) + (s.poles >= 2 ? A[2] : 0.0f)) * outputGain;
        }
        feedbackSample = out;
        return out;
    }

    FilterSettings s;
    float period;
    float coefficient[3][5] = {};
    float z[3][2] = {};
    float A[4] = {}, B[4] = {}, laneOut[4] = {};
    float feedbackSample = 0.0f;
};

TEST(FilterStageReference, KernelsFollowTheirLaws)
{
    struct Case {
        std::string name;
        FilterSettings settings;
        float tolerance = 1e-4f; // rounding differences, relative and absolute
    };
    const auto with = [](auto change) {
        FilterSettings s;
        s.cutoff = 70.0f;
        s.resonance = 60.0f;
        s.feedbackVolume = -40.0f;
        s.ringModVolume = -50.0f;
        s.ringModIn1 = 3;
        s.ringModIn2 = 2;
        change(s);
        return s;
    };
    std::vector<Case> cases;
    for (int32_t poles = 0; poles < 3; ++poles) {
        for (float spread : {0.0f, 50.0f, 100.0f}) {
            cases.push_back(
                {"LP/HP poles " + std::to_string(poles) + " spread " + std::to_string(int(spread)),
                 with([&](FilterSettings& s) {
                     s.poles = poles;
                     s.mixSpread = spread;
                 })});
            cases.push_back(
                {"BP poles " + std::to_string(poles) + " spread " + std::to_string(int(spread)),
                 with([&](FilterSettings& s) {
                     s.mode = 1;
                     s.poles = poles;
                     s.mixSpread = spread;
                 })});
        }
    }
    cases.push_back({"resonance 100 above pitch 80", with([](FilterSettings& s) {
                         s.resonance = 100.0f;
                         s.cutoff = 100.0f;
                         s.keyFollow = 30.0f;
                     })});
    cases.push_back({"feedback into the ring modulator, low knee", with([](FilterSettings& s) {
                         s.ringModIn1 = 5;
                         s.feedbackVolume = 10.0f;
                         s.clipping1 = 0.05f;
                         s.headroom1 = 20.0f;
                     }),
                     // Deep in its saturators the stage drifts a little further.
                     1e-3f});

    const size_t frames = 8 * kFrames;
    const std::vector<float> mix = sine(310.0, 0.6, frames, kHostRate * kOversampling);
    const std::vector<float> osc1 = sine(523.0, 0.7, frames, kHostRate * kOversampling);
    const std::vector<float> osc2 = sine(811.0, 0.5, frames, kHostRate * kOversampling);
    const std::vector<float> sub = sine(261.0, 0.9, frames, kHostRate * kOversampling);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilterRig rig(c.settings);
        const std::vector<float> out = rig.run(mix, osc1, osc2, sub);
        Model model(c.settings, kHostRate);
        double peak = 0.0;
        for (size_t n = 0; n < out.size(); ++n) {
            const float expected = model.frame(mix[n], osc1[n], osc2[n], sub[n]);
            ASSERT_NEAR(out[n], expected, c.tolerance * (1.0f + std::fabs(expected)))
                << "frame " << n;
            peak = std::max(peak, double(std::fabs(expected)));
        }
        EXPECT_GT(peak, 0.01);
    }
}

} // namespace
