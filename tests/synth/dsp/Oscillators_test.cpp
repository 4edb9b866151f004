#include "synth/dsp/Oscillators.h"
#include "synth/dsp/VoiceControlLaws.h"

#include "SignalMeasures.h"
#include "TraceCapture.h"
#include "VoiceKernelRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

using namespace voicerig;
using signalmeasures::zeroCrossingFrequency;
using synthdsp::OscillatorSettings;

constexpr double kCentsPerOctave = 1200.0;

double cents(double measured, double expected)
{
    return kCentsPerOctave * std::log2(measured / expected);
}

// Only the first oscillator, at unity gain.
OscillatorSettings firstOscillatorOnly(float shape1)
{
    OscillatorSettings s;
    s.shape1 = shape1;
    s.oscVolume1 = 0.0f;
    s.oscVolume2 = -100.0f;
    return s;
}

// Keys as the voice plays them with Transpose 0: key 69 is 440 Hz, pitch
// key + 24. Measured on the decimated output of a sine.
TEST(Oscillators, EveryKeyFrom24To108SoundsAtItsEqualTemperedPitch)
{
    constexpr int32_t kSettle = 22050; // the DC blocker's start-up has died away
    constexpr int32_t kMeasure = 44100;
    double worst = 0.0;
    int32_t worstKey = 0;
    for (int32_t key = 24; key <= 108; ++key) {
        RowValues rows;
        rows.key1 = keyRowForPitch(key + 24);
        VoiceRig rig(firstOscillatorOnly(1.0f), rows);
        rig.render(kSettle + kMeasure);
        const double expected = 440.0 * std::exp2((key - 69) / 12.0);
        const double measured =
            zeroCrossingFrequency(rig.host, kSettle, rig.host.size(), rig.hostRate());
        const double error = cents(measured, expected);
        const double tolerance = expected < 40.0 ? 2.0 : 1.0;
        EXPECT_LT(std::fabs(error), tolerance) << "key " << key << " measured " << measured;
        if (std::fabs(error) > std::fabs(worst)) {
            worst = error;
            worstKey = key;
        }
    }
    std::printf("keys 24..108: worst pitch error %.4f cents (key %d)\n", worst, worstKey);
}

// Every pitch term of both oscillators, measured on each oscillator's own
// buffer (a sine for the first, a saw for the second).
TEST(Oscillators, PitchTermsOfBothOscillators)
{
    struct Case {
        const char* name;
        OscillatorSettings settings;
        RowValues rows;
        double pitch1, pitch2;
    };
    const float a440 = keyRowForPitch(93.0);
    const auto with = [](auto change) {
        OscillatorSettings s;
        s.shape1 = 1.0f;
        s.shape2 = 1.0f;
        change(s);
        return s;
    };
    const auto rowsWith = [a440](auto change) {
        RowValues r;
        r.key1 = a440;
        r.key2 = a440;
        change(r);
        return r;
    };
    const auto none = [](auto&) {};
    const Case cases[] = {
        {"key row 17/64 is 440 Hz", with(none), rowsWith(none), 93, 93},
        {"Tune2 12 is an octave", with([](auto& s) { s.tune2 = 12; }), rowsWith(none), 93, 105},
        {"FineTune2 50 is a semitone", with([](auto& s) { s.fineTune2 = 50; }), rowsWith(none), 93,
         94},
        {"Detune 50 with voice row 1", with([](auto& s) { s.detune = 50, s.voiceRow = 1; }),
         rowsWith(none), 94, 94},
        {"tune modulation depths",
         with([](auto& s) { s.tuneModDepth1 = 24, s.tuneModDepth2 = -24; }),
         rowsWith([](auto& r) { r.tuneMod1 = 0.5f, r.tuneMod2 = 0.25f; }), 105, 87},
        {"vibrato 100 moves both by 7 per unit", with([](auto& s) { s.vibrato = 100; }),
         rowsWith([](auto& r) { r.vibrato = -1; }), 86, 86},
        {"KeyScale -200", with([](auto& s) { s.keyScale = -200; }), rowsWith(none), 42, 42},
        {"second key row", with(none), rowsWith([](auto& r) { r.key2 = keyRowForPitch(60); }), 93,
         60},
        {"cross modulation with the reserved row 0 does nothing",
         with([](auto& s) { s.xModDepth = 100; }), rowsWith(none), 93, 93},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VoiceRig rig(c.settings, c.rows);
        rig.render(16384);
        const size_t begin = 4 * 2048;
        const double f1 =
            zeroCrossingFrequency(rig.osc1, begin, rig.osc1.size(), rig.oversampledRate());
        const double f2 =
            zeroCrossingFrequency(rig.osc2, begin, rig.osc2.size(), rig.oversampledRate());
        EXPECT_NEAR(cents(f1, hertzOfPitch(c.pitch1)), 0.0, 1.0) << f1;
        EXPECT_NEAR(cents(f2, hertzOfPitch(c.pitch2)), 0.0, 1.0) << f2;
    }
}

// Pitches beyond the table's range are held at its ends, so no modulation
// reads the wrong octave; the increment stops at half the oversampled rate.
TEST(Oscillators, IncrementsHoldPitchesWithinTheTable)
{
    const float scale192k = 1.0f / (192000.0f * 4.0f);
    const float top = synthdsp::pitchToFrequency(synthdsp::pitchTable(), synthdsp::kMaxTablePitch);
    const float bottom = synthdsp::pitchToFrequency(synthdsp::pitchTable(), 0.0f);
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float pitch;
        float scale;
        float increment;
    };
    const Case cases[] = {
        {192.0f, scale192k, top * scale192k},
        {250.0f, scale192k, top * scale192k},
        {1e9f, scale192k, top * scale192k},
        {inf, scale192k, top * scale192k},
        {-0.5f, scale192k, bottom * scale192k},
        {-1e9f, scale192k, bottom * scale192k},
        {std::nanf(""), scale192k, bottom * scale192k},
        {69.0f, scale192k, 110.0f * scale192k},
        // At 44.1 kHz the top of the table lies above half the oversampled rate.
        {191.0f, 1.0f / 176400.0f, synthdsp::kMaxOscillatorIncrement},
        {0.0f, 1.0f / 176400.0f, bottom / 176400.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(synthdsp::oscillatorIncrement(c.pitch, c.scale), c.increment,
                    c.increment * 2e-6)
            << c.pitch;

    // The same through the oscillator: a key row far above the range.
    RowValues rows;
    rows.key1 = 10.0f;
    VoiceRig rig(firstOscillatorOnly(1.0f), rows, 192000.0);
    rig.render(kHostBlock);
    EXPECT_NEAR(rig.oscState.osc1Increment, top * scale192k, top * scale192k * 2e-6);
}

// Replays an oscillator's phase as the core accumulates it (in float) and
// gives the ideal value of a wave there.
struct PhaseReplay {
    float phase = 0.0f;
    int32_t sinceEvent = 0; // frames since the last jump (wrap or pulse edge)
    int32_t wraps = 0;

    // The first wrap latches the shape weights, and the raw signal restarts
    // from the weights latched before (none): the waves hold from the second
    // wrap on.
    bool settled() const { return wraps >= 2; }

    void advance(float increment, float threshold)
    {
        const float before = phase;
        phase += increment;
        ++sinceEvent;
        if (phase >= 1.0f) {
            phase -= 1.0f;
            sinceEvent = 0;
            ++wraps;
        }
        if (phase >= threshold && before < threshold)
            sinceEvent = 0;
    }
};

double idealWave(float phase, double sine, double triangle, double saw, double pulse,
                 float threshold)
{
    const double p = phase;
    return sine * -std::cos(2.0 * signalmeasures::kPi * p) +
           triangle * (1.0 - 4.0 * std::fabs(p - 0.5)) + saw * (2.0 * p - 1.0) +
           pulse * (p >= threshold ? 1.0 : -1.0);
}

// Away from their jumps (once the corrections have played out) the waves are
// the ideal shapes, each weighted by the shape value.
TEST(Oscillators, ShapesAwayFromTheirJumps)
{
    constexpr int32_t kCorrectionFrames = 128;
    constexpr float kSquare = 0.5005f; // PWDepth 50 with PWSrc 0
    struct Case {
        float shape1, shape2;
    };
    const Case cases[] = {{1.0f, 1.0f}, {2.0f, 1.5f}, {2.5f, 2.0f},
                          {3.0f, 1.0f}, {3.5f, 2.0f}, {4.0f, 2.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Shape1 " << c.shape1 << " Shape2 " << c.shape2);
        OscillatorSettings s;
        s.shape1 = c.shape1;
        s.shape2 = c.shape2;
        s.pulseWidthSourceSet = false;
        s.pulseWidthDepth = 50.0f;
        RowValues rows;
        rows.key1 = keyRowForPitch(45.0); // 27.5 Hz: the unfiltered triangle
        rows.key2 = keyRowForPitch(52.0);
        VoiceRig rig(s, rows);
        rig.render(6 * 1600);
        const float inc1 = rig.oscState.osc1Increment;
        const float inc2 = synthdsp::oscillatorIncrement(52.0f, float(1.0 / rig.oversampledRate()));
        const auto w = [](float shape, int wave) { return synthdsp::shapeWeight(shape, wave); };
        PhaseReplay one;
        PhaseReplay two;
        int32_t compared = 0;
        for (size_t n = 0; n < rig.osc1.size(); ++n) {
            one.advance(inc1, kSquare);
            two.advance(inc2, kSquare);
            if (one.settled() && one.sinceEvent >= kCorrectionFrames) {
                const double expected = idealWave(one.phase, w(c.shape1, 1), w(c.shape1, 2),
                                                  w(c.shape1, 3), w(c.shape1, 4), kSquare);
                ASSERT_NEAR(rig.osc1[n], expected, 1e-3) << "frame " << n;
                ++compared;
            }
            if (two.settled() && two.sinceEvent >= kCorrectionFrames) {
                const double expected =
                    idealWave(two.phase, 0.0, 0.0, w(c.shape2, 1), w(c.shape2, 2), kSquare);
                ASSERT_NEAR(rig.osc2[n], expected, 1e-3) << "frame " << n;
            }
        }
        EXPECT_GT(compared, 10000);
    }
}

// Fraction of frames in which the signal is above 0, over [begin, end).
double dutyCycle(const std::vector<float>& x, size_t begin, size_t end)
{
    size_t high = 0;
    for (size_t n = begin; n < end; ++n)
        high += x[n] > 0.0f ? 1 : 0;
    return double(high) / double(end - begin);
}

// The pulse threshold law of both oscillators: with PWSrc 0 the depth alone
// sets the width (50 a square, 0 the narrowest pulse); with a source the
// row's magnitude times the depth narrows it.
TEST(Oscillators, PulseWidths)
{
    struct Case {
        bool sourceSet;
        float depth;
        float row;
        double threshold; // 0: the increment (the narrowest pulse)
    };
    const Case cases[] = {
        {false, 50.0f, 1.0f, 0.5005}, {false, 25.0f, 1.0f, 0.25075}, {false, 0.0f, 1.0f, 0.0},
        {true, 40.0f, 0.5f, 0.3007},  {true, 40.0f, -0.5f, 0.3007},  {true, 0.0f, 1.0f, 0.5005},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "source " << c.sourceSet << " depth " << c.depth << " row " << c.row);
        OscillatorSettings s;
        s.shape1 = 4.0f;
        s.shape2 = 2.0f;
        s.pulseWidthSourceSet = c.sourceSet;
        s.pulseWidthDepth = c.depth;
        RowValues rows;
        rows.key1 = keyRowForPitch(57.0); // 55 Hz, 3207 frames per cycle
        rows.key2 = keyRowForPitch(57.0);
        rows.pulseWidth = c.row;
        VoiceRig rig(s, rows);
        rig.render(44100);
        const double increment = rig.oscState.osc1Increment;
        const double threshold = c.threshold > 0.0 ? c.threshold : increment;
        const size_t cycle = size_t(std::lround(1.0 / increment));
        // Whole cycles after the first (whose threshold is not latched yet).
        const size_t begin = 2 * cycle;
        const size_t end = begin + 40 * cycle;
        EXPECT_NEAR(dutyCycle(rig.osc1, begin, end), 1.0 - threshold, 2e-3);
        EXPECT_NEAR(dutyCycle(rig.osc2, begin, end), 1.0 - threshold, 2e-3);
    }
}

// The sub oscillator is a square an octave below the first oscillator, also
// when mixed alone into the output.
TEST(Oscillators, SubOscillatorSoundsAnOctaveBelow)
{
    for (double pitch : {45.0, 69.0, 93.0, 117.0}) {
        SCOPED_TRACE(testing::Message() << "pitch " << pitch);
        OscillatorSettings s;
        s.oscVolume1 = -100.0f;
        s.oscVolume2 = -100.0f;
        s.subVolume = 0.0f;
        RowValues rows;
        rows.key1 = keyRowForPitch(pitch);
        VoiceRig rig(s, rows);
        rig.render(22050 + 44100);
        const double expected = hertzOfPitch(pitch) / 2.0;
        const double measured =
            zeroCrossingFrequency(rig.host, 22050, rig.host.size(), rig.hostRate());
        EXPECT_NEAR(cents(measured, expected), 0.0, 1.0) << measured;
        // Between its edges, once the corrections have played out, it is
        // exactly +-1.
        if (pitch <= 69.0) {
            int32_t levels = 0;
            for (size_t n = 4096; n < rig.sub.size(); ++n)
                levels += std::fabs(rig.sub[n]) == 1.0f ? 1 : 0;
            EXPECT_GT(levels, int32_t(rig.sub.size() / 2));
        }
    }

    // At SubVolume -100 it still runs for the ring modulator, unmixed.
    RowValues rows;
    rows.key1 = keyRowForPitch(69.0);
    VoiceRig quiet(firstOscillatorOnly(3.0f), rows);
    quiet.render(4096);
    EXPECT_GT(signalmeasures::rms(quiet.sub, 0, quiet.sub.size()), 0.9);
}

// Share of a signal's energy in the harmonics of f0 (DC included).
double harmonicShare(const std::vector<float>& x, double f0, double rate)
{
    constexpr int32_t kLength = 1 << 17;
    constexpr int32_t kGuard = 12;
    const std::vector<double> mag = signalmeasures::spectrum(x, x.size() - kLength, kLength);
    const double binHz = rate / kLength;
    double total = 0.0;
    double harmonic = 0.0;
    for (size_t k = 0; k < mag.size(); ++k) {
        const double e = mag[k] * mag[k];
        total += e;
        const double h = std::round(double(k) * binHz / f0);
        if (std::fabs(double(k) - h * f0 / binHz) <= kGuard)
            harmonic += e;
    }
    return harmonic / total;
}

// Sync ties the second oscillator to the first one's cycle: 0 never does,
// 100 resets it at every wrap of the first.
TEST(Oscillators, SyncLocksTheSecondOscillatorToTheFirst)
{
    struct Case {
        float sync;
        bool locked;
    };
    for (const Case c : {Case{0.0f, false}, Case{100.0f, true}}) {
        SCOPED_TRACE(testing::Message() << "SoftSync " << c.sync);
        OscillatorSettings s;
        s.shape1 = 3.0f;
        s.shape2 = 1.0f;
        s.softSync = c.sync;
        RowValues rows;
        rows.key1 = keyRowForPitch(69.0);
        rows.key2 = keyRowForPitch(76.3);
        VoiceRig rig(s, rows);
        rig.render(44100);
        const double share = harmonicShare(rig.osc2, hertzOfPitch(69.0), rig.oversampledRate());
        if (c.locked)
            EXPECT_GT(share, 0.99);
        else
            EXPECT_LT(share, 0.5);
    }
}

// Frequency measured on the second oscillator in the middle of each half
// cycle of a slow square on the first.
TEST(Oscillators, AudioRateFrequencyModulationMovesTheSecondOscillator36SemitonesPerUnit)
{
    OscillatorSettings s;
    s.shape1 = 4.0f; // square: -1 in the first half cycle, +1 in the second
    s.shape2 = 1.0f;
    s.pulseWidthSourceSet = false;
    s.pulseWidthDepth = 50.0f;
    s.audioRateDest = 0;
    s.xModDepth = 100.0f;
    RowValues rows;
    rows.key1 = keyRowForPitch(10.0); // 3.5 Hz
    rows.key2 = keyRowForPitch(90.0);
    rows.osc2Fm = 1.0f;
    VoiceRig rig(s, rows);
    rig.render(3 * 12600);
    const double rate = rig.oversampledRate();
    const size_t cycle = size_t(std::lround(1.0 / rig.oscState.osc1Increment));
    // The second cycle of the first oscillator (the first latches its weights).
    const size_t start = cycle + 64;
    const size_t half = cycle / 2;
    const double low =
        zeroCrossingFrequency(rig.osc2, start + half / 10, start + half * 9 / 10, rate);
    const double high = zeroCrossingFrequency(rig.osc2, start + half + half / 10,
                                              start + half + half * 9 / 10, rate);
    EXPECT_NEAR(cents(low, hertzOfPitch(90.0 - 36.0)), 0.0, 2.0) << low;
    EXPECT_NEAR(cents(high, hertzOfPitch(90.0 + 36.0)), 0.0, 2.0) << high;
}

// Pulse-width modulation at audio rate: W2 = (0.5 - 0.5 |Osc1|) * 0.999 +
// 0.001 for XModDepth 100 with the depth row at ones and PWDepth 0.
TEST(Oscillators, AudioRatePulseWidthModulation)
{
    OscillatorSettings s;
    s.shape1 = 1.0f; // a slow sine on the first oscillator
    s.shape2 = 2.0f;
    s.pulseWidthSourceSet = true;
    s.pulseWidthDepth = 0.0f;
    s.audioRateDest = 1;
    s.xModDepth = 100.0f;
    RowValues rows;
    rows.key1 = keyRowForPitch(0.0); // 2 Hz
    rows.key2 = keyRowForPitch(117.0);
    rows.osc2Pwm = 1.0f;
    VoiceRig rig(s, rows);
    rig.render(44100);
    const double rate = rig.oversampledRate();
    const size_t cycle2 = size_t(std::lround(rate / hertzOfPitch(117.0)));
    for (float target : {0.0f, 0.6f, -0.9f}) {
        SCOPED_TRACE(testing::Message() << "Osc1 at " << target);
        size_t at = 0;
        for (size_t n = 1; n < rig.osc1.size(); ++n) {
            if ((rig.osc1[n - 1] < target) != (rig.osc1[n] < target)) {
                at = n;
                break;
            }
        }
        ASSERT_GT(at, 0u);
        const size_t begin = at - 5 * cycle2;
        const size_t end = at + 5 * cycle2;
        const double threshold = (0.5 - 0.5 * std::fabs(target)) * 0.999 + 0.001;
        EXPECT_NEAR(dutyCycle(rig.osc2, begin, end), 1.0 - threshold, 0.02);
    }
}

// The DC blocker takes the offset of a narrow pulse out of the mix.
TEST(Oscillators, MixIsFreeOfDC)
{
    OscillatorSettings s = firstOscillatorOnly(4.0f);
    s.pulseWidthSourceSet = false;
    s.pulseWidthDepth = 0.0f;
    RowValues rows;
    rows.key1 = keyRowForPitch(69.0);
    VoiceRig rig(s, rows);
    rig.render(3 * 44100);
    const size_t begin = rig.mix.size() / 2;
    double osc = 0.0;
    double mix = 0.0;
    for (size_t n = begin; n < rig.mix.size(); ++n) {
        osc += rig.osc1[n];
        mix += rig.mix[n];
    }
    EXPECT_GT(osc / double(rig.mix.size() - begin), 0.9);
    EXPECT_NEAR(mix / double(rig.mix.size() - begin), 0.0, 2e-3);
}

// Rendering in blocks of one control step gives the same frames as whole
// blocks: every field the core keeps is carried over.
TEST(Oscillators, BlockSizeDoesNotChangeTheSound)
{
    OscillatorSettings s;
    s.shape1 = 3.5f;
    s.shape2 = 1.5f;
    s.subVolume = 0.0f;
    s.audioRateDest = 0;
    s.xModDepth = 20.0f;
    s.pulseWidthDepth = 30.0f;
    const synthdsp::OscillatorBlock block = synthdsp::makeOscillatorBlock(s, 1.0f / 44100.0f);
    const Row key1(keyRowForPitch(81.0)), key2(keyRowForPitch(70.0)), zero(0.0f), width(0.7f),
        fm(1.0f);
    const synthdsp::OscillatorRows rows{key1.values, key2.values,  zero.values, zero.values,
                                        zero.values, width.values, fm.values,   zero.values};
    const synthdsp::OscillatorTables tables = synthdsp::oscillatorTables();
    constexpr int32_t kBlocks = 40;

    struct Frames {
        std::vector<float> work, osc2, sub;
    };
    const auto render = [&](int32_t blockFrames) {
        synthdsp::OscillatorState state;
        Frames frames;
        alignas(16) float work[2 * kFrames];
        float o1[kFrames], o2[kFrames], sub[kFrames];
        for (int32_t done = 0; done < kBlocks * kFrames; done += blockFrames) {
            synthdsp::renderOscillators(state, block, rows, tables, blockFrames,
                                        {work, o1, o2, sub});
            frames.work.insert(frames.work.end(), work, work + 2 * blockFrames);
            frames.osc2.insert(frames.osc2.end(), o2, o2 + blockFrames);
            frames.sub.insert(frames.sub.end(), sub, sub + blockFrames);
        }
        return frames;
    };
    const Frames whole = render(kFrames);
    const Frames steps = render(synthdsp::kFramesPerControlStep);
    EXPECT_EQ(whole.work, steps.work);
    EXPECT_EQ(whole.osc2, steps.osc2);
    EXPECT_EQ(whole.sub, steps.sub);
}

// The diagnostics of a runaway raw signal on the second oscillator.
TEST(Oscillators, RunawayRawSignalIsReportedAtWrapAndSync)
{
    struct Case {
        const char* name;
        float osc1Phase, osc2Phase, sync;
        const char* line;
    };
    const Case cases[] = {
        {"wrap", 0.0f, 0.9999f, 0.0f, "Accumulator2 - 5.00"},
        {"sync", 0.9999f, 0.3f, 100.0f, "Accumulator2 5.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OscillatorSettings s;
        s.softSync = c.sync;
        VoiceRig rig(s);
        rig.oscState.osc1Phase = c.osc1Phase;
        rig.oscState.osc2Phase = c.osc2Phase;
        rig.oscState.osc2Raw = 5.0f;
        testsupport::TraceCapture trace;
        rig.render(kHostBlock);
        EXPECT_TRUE(trace.contains(c.line)) << trace.text();
    }

    // An ordinary run says nothing.
    OscillatorSettings s;
    s.shape2 = 1.5f;
    s.softSync = 60.0f;
    RowValues rows;
    rows.key1 = keyRowForPitch(80.0);
    rows.key2 = keyRowForPitch(91.0);
    VoiceRig rig(s, rows);
    testsupport::TraceCapture trace;
    rig.render(44100);
    EXPECT_FALSE(trace.contains("Accumulator2")) << trace.text();
}

} // namespace
