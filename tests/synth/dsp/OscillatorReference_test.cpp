// The oscillator core's events against a plain scalar model of its laws:
// phases and increments, wraps, pulse rises and falls, the sub oscillator's
// steps, soft sync, the pulse thresholds with their limits, the latching of
// the saw and pulse weights, and the raw signals that these events shape.
// The step corrections are left out of the model (their placement has tests
// of its own); the model takes the first oscillator's value, which drives the
// cross modulation, from the core's output.

#include "synth/dsp/Oscillators.h"

#include "synth/dsp/PitchTable.h"
#include "synth/dsp/VoiceControlLaws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using synthdsp::OscillatorSettings;

constexpr float kPeriod = 1.0f / 44100.0f;
constexpr int32_t kFrames = 256;
constexpr int32_t kSteps = kFrames / synthdsp::kFramesPerControlStep;

struct Rows {
    float key1 = 0.3f, key2 = 0.3f, pulseWidth = 1.0f, fm = 0.0f, pwm = 0.0f;
};

float increment(float pitch)
{
    return std::fmin(synthdsp::pitchToFrequency(synthdsp::pitchTable(), pitch) * kPeriod * 0.25f,
                     synthdsp::kMaxOscillatorIncrement);
}

float threshold(float widthTerm, float inc)
{
    float w = (0.5f - widthTerm) * 0.999f + 0.001f;
    if (!(w >= inc))
        w = inc;
    if (!(1.0f - inc >= w))
        w = 1.0f - inc;
    return w;
}

struct Model {
    float P1 = 0, W1 = 0, I1 = 0, A1 = 0, a1 = 0, b1 = 0;
    float P2 = 0, W2 = 0, A2 = 0, a2 = 0, b2 = 0;
    bool high = false;
    float sub = 0;
    uint32_t steps = 0;

    // One block of the core with these settings and rows; o1 is the core's
    // first oscillator per frame.
    void block(const OscillatorSettings& s, const Rows& rows, const float* o1)
    {
        using synthdsp::shapeWeight;
        const float w3 = shapeWeight(s.shape1, 3), w4 = shapeWeight(s.shape1, 4);
        const float x1 = shapeWeight(s.shape2, 1), x2 = shapeWeight(s.shape2, 2);
        const float Ks = s.keyScale * 0.64f;
        const float detune = s.detune * 0.02f * s.voiceRow;
        const float B1 = detune + 76.0f;
        const float B2 = s.tune2 + s.fineTune2 * 0.02f + detune + 76.0f;
        const float Kp =
            s.pulseWidthSourceSet ? s.pulseWidthDepth * 0.01f : 0.5f - s.pulseWidthDepth * 0.01f;
        const float D = s.xModDepth * (s.audioRateDest == 1 ? 0.005f : 0.36f);
        const float Rf = s.audioRateDest == 0 ? rows.fm : 0.0f;
        const float Rp = s.audioRateDest == 1 ? rows.pwm : 0.0f;
        const float sw = s.softSync * 0.01f * 0.5f;
        bool pending = false;
        float r = 0.0f;
        for (int32_t step = 0; step < kSteps; ++step) {
            I1 = increment(Ks * rows.key1 + B1);
            const float base2 = Ks * rows.key2 + B2;
            for (int32_t k = 0; k < synthdsp::kFramesPerControlStep; ++k) {
                const float o = o1[step * synthdsp::kFramesPerControlStep + k];
                const float old1 = P1;
                P1 += I1;
                A1 += 2.0f * I1 * a1;
                if (P1 >= 1.0f) {
                    P1 -= 1.0f;
                    r = P1;
                    pending = true;
                    A1 = (2.0f * P1 - 1.0f) * a1 - w4;
                    W1 = threshold(std::fabs(rows.pulseWidth) * Kp, I1);
                    a1 = w3;
                    b1 = w4;
                }
                if (P1 >= 0.5f && old1 < 0.5f) {
                    ++steps;
                    sub = 2.0f * float(steps % 2) - 1.0f;
                }
                if (P1 >= W1 && old1 < W1)
                    A1 += 2.0f * b1;

                const float I2 = increment(D * Rf * o + base2);
                P2 += I2;
                A2 += 2.0f * I2 * a2;
                W2 = threshold(std::fabs(Kp * rows.pulseWidth - D * Rp * o), I2);
                if (P2 >= 1.0f) {
                    P2 -= 1.0f;
                    pending = false;
                    A2 = (2.0f * P2 - 1.0f) * a2 - x2;
                    a2 = x1;
                    b2 = x2;
                    high = false;
                }
                if (P2 >= W2 && !high) {
                    high = true;
                    A2 += 2.0f * b2;
                }
                if (W2 > P2 && high) {
                    high = false;
                    A2 -= 2.0f * b2;
                }
                if (pending && (P2 < sw || 1.0f - P2 < sw)) {
                    const float before = (2.0f * P2 - 1.0f) * a2 + (high ? b2 : -b2);
                    P2 = r;
                    high = P2 >= W2;
                    const float after = (2.0f * P2 - 1.0f) * x1 + (high ? x2 : -x2);
                    A2 += after - before;
                    pending = false;
                    a2 = x1;
                    b2 = x2;
                }
            }
        }
    }
};

TEST(OscillatorReference, EventsFollowTheirLaws)
{
    struct Case {
        std::string name;
        OscillatorSettings settings;
        Rows rows;
    };
    const auto with = [](auto change, Rows rows = {}) {
        OscillatorSettings s;
        s.tune2 = 7.0f;
        s.fineTune2 = 13.0f;
        s.detune = 20.0f;
        s.voiceRow = 0.5f;
        change(s);
        return std::make_pair(s, rows);
    };
    std::vector<Case> cases;
    const auto add = [&](std::string name, std::pair<OscillatorSettings, Rows> c) {
        cases.push_back({std::move(name), c.first, c.second});
    };
    add("defaults", with([](auto&) {}));
    add("pulses, width from the depth", with([](auto& s) {
            s.shape1 = 4.0f;
            s.pulseWidthSourceSet = false;
            s.pulseWidthDepth = 20.0f;
        }));
    add("pulses, width from a row", with(
                                        [](auto& s) {
                                            s.shape1 = 3.6f;
                                            s.shape2 = 1.4f;
                                            s.pulseWidthDepth = 30.0f;
                                        },
                                        Rows{0.3f, 0.35f, -0.7f}));
    add("narrowest pulse", with([](auto& s) {
            s.shape1 = 4.0f;
            s.pulseWidthSourceSet = false;
        }));
    for (float sync : {0.0f, 30.0f, 50.0f, 100.0f})
        add("soft sync " + std::to_string(int(sync)), with([sync](auto& s) {
                s.softSync = sync;
                s.shape2 = 1.5f;
            }));
    add("audio-rate FM", with(
                             [](auto& s) {
                                 s.xModDepth = 60.0f;
                                 s.softSync = 40.0f;
                             },
                             Rows{0.3f, 0.3f, 1.0f, 0.8f}));
    add("audio-rate PWM", with(
                              [](auto& s) {
                                  s.audioRateDest = 1;
                                  s.xModDepth = 100.0f;
                                  s.pulseWidthDepth = 10.0f;
                              },
                              Rows{0.5f, 0.1f, 1.0f, 0.0f, 1.0f}));

    const synthdsp::OscillatorTables tables = synthdsp::oscillatorTables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> key1(kSteps, c.rows.key1), key2(kSteps, c.rows.key2),
            width(kSteps, c.rows.pulseWidth), fm(kSteps, c.rows.fm), pwm(kSteps, c.rows.pwm),
            zero(kSteps, 0.0f);
        const synthdsp::OscillatorRows rows{key1.data(), key2.data(),  zero.data(), zero.data(),
                                            zero.data(), width.data(), fm.data(),   pwm.data()};
        synthdsp::OscillatorState state;
        alignas(16) float work[2 * kFrames];
        float osc1[kFrames], osc2[kFrames], sub[kFrames];
        Model model;
        for (int32_t b = 0; b < 40; ++b) {
            // Halfway, new shapes: the saw and pulse weights follow at the
            // next wraps.
            OscillatorSettings settings = c.settings;
            if (b >= 20) {
                settings.shape1 = 5.0f - settings.shape1 * 0.5f;
                settings.shape2 = 3.0f - settings.shape2;
            }
            synthdsp::renderOscillators(state, synthdsp::makeOscillatorBlock(settings, kPeriod),
                                        rows, tables, kFrames, {work, osc1, osc2, sub});
            model.block(settings, c.rows, osc1);
            SCOPED_TRACE(testing::Message() << "block " << b);
            ASSERT_EQ(state.osc1Phase, model.P1);
            ASSERT_EQ(state.osc1Increment, model.I1);
            ASSERT_EQ(state.osc1Threshold, model.W1);
            ASSERT_EQ(state.osc1Raw, model.A1);
            ASSERT_EQ(state.osc1SawWeight, model.a1);
            ASSERT_EQ(state.osc1PulseWeight, model.b1);
            ASSERT_EQ(state.osc2Phase, model.P2);
            ASSERT_EQ(state.osc2Threshold, model.W2);
            ASSERT_EQ(state.osc2PulseHigh != 0, model.high);
            ASSERT_NEAR(state.osc2Raw, model.A2, 1e-5f);
            ASSERT_EQ(state.osc2SawWeight, model.a2);
            ASSERT_EQ(state.osc2PulseWeight, model.b2);
            ASSERT_EQ(state.subValue, model.sub);
            ASSERT_EQ(state.subSteps, model.steps);
        }
    }
}

} // namespace
