#include "synth/dsp/FilterStage.h"

#include "SignalMeasures.h"
#include "VoiceKernelRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <vector>

namespace {

using namespace voicerig;
using signalmeasures::decibels;
using synthdsp::FilterSettings;

constexpr double kOversampledRate = kHostRate * kOversampling;
constexpr double kAmplitude = 0.05; // keeps every saturator in its linear range

// The corner frequency of a cutoff: twice the pitch law's frequency.
double cornerOf(double cutoff)
{
    return 220.0 * std::exp2((cutoff - 69.0) / 12.0);
}

size_t roundUpToBlocks(double frames)
{
    return (size_t(frames) / kFrames + 1) * kFrames;
}

// Complex gain of the stage for a sine at `hertz`, once settled.
std::complex<double> response(const FilterSettings& settings, double hertz,
                              double hostRate = kHostRate)
{
    const double rate = hostRate * kOversampling;
    const size_t settle = roundUpToBlocks(0.3 * rate);
    const size_t measure = roundUpToBlocks(std::max(0.1 * rate, 10.0 * rate / hertz));
    FilterRig rig(settings, hostRate);
    const std::vector<float> in = sine(hertz, kAmplitude, settle + measure, rate);
    const std::vector<float> out = rig.run(in);
    return signalmeasures::fitSine(out, settle, in.size(), hertz, rate) /
           signalmeasures::fitSine(in, settle, in.size(), hertz, rate);
}

double gainDb(const FilterSettings& settings, double hertz)
{
    return decibels(std::abs(response(settings, hertz)));
}

FilterSettings lowHighPass(double cutoff, int32_t poles, float mixSpread = 0.0f)
{
    FilterSettings s;
    s.mode = 0;
    s.cutoff = float(cutoff);
    s.poles = poles;
    s.mixSpread = mixSpread;
    return s;
}

// The corner is where the low-pass and the mirrored high-pass meet (the
// sections' natural frequency, whatever their damping; -6 dB for the
// critically damped sections of resonance 0 below pitch 80).
TEST(FilterStage, CornerFollowsTheCutoffLawWithin1Percent)
{
    double worst = 0.0;
    for (int32_t poles : {0, 2}) {
        for (double cutoff : {30.0, 45.0, 60.0, 69.0, 80.0, 100.0, 120.0}) {
            SCOPED_TRACE(testing::Message() << "cutoff " << cutoff << " poles " << poles);
            double f = cornerOf(cutoff);
            for (int i = 0; i < 4; ++i) {
                const double ratio = std::abs(response(lowHighPass(cutoff, poles, 0.0f), f)) /
                                     std::abs(response(lowHighPass(cutoff, poles, 100.0f), f));
                f *= std::pow(ratio, 1.0 / (2.0 * (poles + 1)));
            }
            const double error = f / cornerOf(cutoff) - 1.0;
            EXPECT_LT(std::fabs(error), 0.01) << "corner " << f;
            worst = std::max(worst, std::fabs(error));
        }
    }
    std::printf("filter corner: worst deviation %.3f %% up to cutoff 120\n", 100.0 * worst);
}

// Far from the corner each section adds 12 dB per octave; the passband has
// unit gain (input and output gains cancel).
TEST(FilterStage, SlopesOf12_24And36DecibelsPerOctave)
{
    struct Case {
        int32_t poles;
        float mixSpread;
        double cutoff;
        double octaveFrom; // the octave measured starts at this multiple of the corner
        double slope;      // dB per octave
    };
    const Case cases[] = {
        {0, 0.0f, 40.0, 8.0, -12.0},       {1, 0.0f, 40.0, 8.0, -24.0},
        {2, 0.0f, 40.0, 8.0, -36.0},       {0, 100.0f, 60.0, 1.0 / 16, 12.0},
        {1, 100.0f, 60.0, 1.0 / 16, 24.0}, {2, 100.0f, 60.0, 1.0 / 16, 36.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "poles " << c.poles << " MixSpread " << c.mixSpread);
        const FilterSettings s = lowHighPass(c.cutoff, c.poles, c.mixSpread);
        const double f = cornerOf(c.cutoff) * c.octaveFrom;
        const double measured = gainDb(s, 2.0 * f) - gainDb(s, f);
        EXPECT_NEAR(measured, c.slope, 0.1 * std::fabs(c.slope) / 12.0 + 0.1);
        const double pass =
            c.mixSpread == 0.0f ? cornerOf(c.cutoff) / 32.0 : cornerOf(c.cutoff) * 16.0;
        EXPECT_NEAR(gainDb(s, pass), 0.0, 0.1) << "passband at " << pass;
    }
}

// MixSpread 100 is the low-pass mirrored at the corner; 50 sums both into a
// notch at the corner.
TEST(FilterStage, MixSpreadMirrorsAndNotches)
{
    for (int32_t poles : {0, 1, 2}) {
        SCOPED_TRACE(testing::Message() << "poles " << poles);
        const double corner = cornerOf(60.0);
        for (double r : {1.0, 2.0, 4.0}) {
            EXPECT_NEAR(gainDb(lowHighPass(60.0, poles, 100.0f), corner * r),
                        gainDb(lowHighPass(60.0, poles, 0.0f), corner / r), 0.2)
                << "ratio " << r;
        }
        const FilterSettings notch = lowHighPass(60.0, poles, 50.0f);
        EXPECT_LT(gainDb(notch, corner), -40.0);
        EXPECT_NEAR(gainDb(notch, corner / 32.0), 0.0, 0.1);
        EXPECT_NEAR(gainDb(notch, corner * 32.0), 0.0, 0.1);
    }
}

// After a single kick, resonance 100 keeps ringing at the corner; resonance 0
// dies away.
TEST(FilterStage, FullResonanceSelfOscillatesAtTheCorner)
{
    struct Case {
        int32_t mode, poles;
        double cutoff;
        float resonance;
        bool rings;
    };
    const Case cases[] = {
        {0, 0, 60.0, 100.0f, true}, {0, 1, 90.0, 100.0f, true},  {0, 2, 120.0, 100.0f, true},
        {1, 0, 69.0, 100.0f, true}, {1, 2, 100.0, 100.0f, true}, {0, 1, 90.0, 0.0f, false},
        {1, 0, 69.0, 0.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " poles " << c.poles << " cutoff "
                                        << c.cutoff << " Res " << c.resonance);
        FilterSettings s = lowHighPass(c.cutoff, c.poles);
        s.mode = c.mode;
        s.resonance = c.resonance;
        FilterRig rig(s);
        std::vector<float> in(roundUpToBlocks(kOversampledRate), 0.0f);
        in[0] = 0.1f;
        const std::vector<float> out = rig.run(in);
        const size_t tail = out.size() - size_t(0.2 * kOversampledRate);
        const double level = signalmeasures::rms(out, tail, out.size());
        if (!c.rings) {
            EXPECT_LT(level, 1e-6);
            continue;
        }
        EXPECT_GT(level, 0.05);
        // Steady: the last two tenths of a second have the same level.
        const size_t before = tail - size_t(0.2 * kOversampledRate);
        EXPECT_NEAR(signalmeasures::rms(out, before, tail) / level, 1.0, 0.02);
        const double f =
            signalmeasures::zeroCrossingFrequency(out, tail, out.size(), kOversampledRate);
        EXPECT_NEAR(f / cornerOf(c.cutoff), 1.0, 0.03) << "rings at " << f;
    }
}

// The band-pass kernel: its section at the cutoff peaks there with gain 1/k;
// with MixSpread 0 the sections are identical, so the pole settings sum one,
// two or three of them; with MixSpread 100 the outer sections sit two octaves
// away.
TEST(FilterStage, BandPassSections)
{
    FilterSettings s;
    s.mode = 1;
    s.poles = 0;
    s.cutoff = 60.0f;
    const double corner = cornerOf(60.0);
    EXPECT_NEAR(std::abs(response(s, corner)), 0.5, 0.005);
    EXPECT_LT(std::abs(response(s, corner * 1.1)), std::abs(response(s, corner)));
    EXPECT_LT(std::abs(response(s, corner / 1.1)), std::abs(response(s, corner)));

    const std::vector<float> in = sine(corner * 1.7, 0.3, 4 * kFrames, kOversampledRate);
    std::vector<float> outputs[3];
    for (int32_t poles = 0; poles < 3; ++poles) {
        s.poles = poles;
        outputs[poles] = FilterRig(s).run(in);
    }
    for (size_t n = 0; n < in.size(); ++n) {
        ASSERT_FLOAT_EQ(outputs[1][n], 2.0f * outputs[0][n]) << n;
        ASSERT_FLOAT_EQ(outputs[2][n], 3.0f * outputs[0][n]) << n;
    }

    s.poles = 2;
    s.mixSpread = 100.0f;
    s.resonance = 70.0f;
    const double up = std::abs(response(s, corner * 4.0));
    const double down = std::abs(response(s, corner / 4.0));
    EXPECT_GT(up, 2.0 * std::abs(response(s, corner * 2.0)));
    EXPECT_GT(down, 2.0 * std::abs(response(s, corner / 2.0)));
    EXPECT_GT(std::abs(response(s, corner)), 2.0 * std::abs(response(s, corner * 2.0)));
}

// The ring modulator multiplies its two chosen inputs; "VCF" takes the
// feedback low-pass plus 1, so the second input passes through.
TEST(FilterStage, RingModulatorInputs)
{
    constexpr double f1 = 1000.0, f2 = 1500.0, f3 = 700.0;
    // The fits run over 0.1 s, a whole number of cycles of every component,
    // so that the components do not leak into each other's fits.
    const size_t frames = 80 * kFrames;
    const size_t begin = frames - size_t(0.1 * kOversampledRate);
    const std::vector<float> zero(frames, 0.0f);
    const std::vector<float> osc1 = sine(f1, 0.5, frames, kOversampledRate);
    const std::vector<float> osc2 = sine(f2, 0.5, frames, kOversampledRate);
    const std::vector<float> sub = sine(f3, 0.5, frames, kOversampledRate);
    struct Case {
        int32_t in1, in2;
        float volume;
        std::vector<double> present; // each at amplitude 0.125
        std::vector<double> absent;
    };
    const Case cases[] = {
        {0, 1, 0.0f, {f2 - f1, f1 + f2}, {f1, f2}},
        {3, 2, 0.0f, {f1 - f3, f1 + f3, f2 - f3, f2 + f3}, {f1, f2, f3}},
        {4, 0, 0.0f, {2 * f1, f1 - f3, f1 + f3}, {f1, f3}},
        {1, 1, 0.0f, {2 * f2}, {f2}},
        {0, 1, -100.0f, {}, {f2 - f1, f1 + f2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "RMi1 " << c.in1 << " RMi2 " << c.in2);
        FilterSettings s;
        s.ringModIn1 = c.in1;
        s.ringModIn2 = c.in2;
        s.ringModVolume = c.volume;
        FilterRig rig(s);
        const std::vector<float> out = rig.run(zero, osc1, osc2, sub);
        for (double f : c.present)
            EXPECT_NEAR(std::abs(signalmeasures::fitSine(out, begin, frames, f, kOversampledRate)),
                        0.125, 0.005)
                << f << " Hz";
        for (double f : c.absent)
            EXPECT_LT(std::abs(signalmeasures::fitSine(out, begin, frames, f, kOversampledRate)),
                      1e-4)
                << f << " Hz";
    }

    // "VCF": (feedback low-pass + 1) * Osc2; with the stage's feedback at
    // gain 0 the low-pass still carries the output, but the 1 dominates.
    FilterSettings s;
    s.ringModIn1 = 5;
    s.ringModIn2 = 1;
    s.ringModVolume = 0.0f;
    FilterRig rig(s);
    const std::vector<float> out = rig.run(zero, osc1, osc2, sub);
    EXPECT_NEAR(std::abs(signalmeasures::fitSine(out, begin, frames, f2, kOversampledRate)), 0.5,
                0.05);
}

// Every curve in the stage is odd, so the stage is: a sign-flipped input gives
// the sign-flipped output exactly, also when feedback, input and sections
// clip hard. (A one-sided feedback clip would break this.)
TEST(FilterStage, ClippingIsSymmetric)
{
    struct Case {
        const char* name;
        FilterSettings settings;
    };
    const auto with = [](auto change) {
        FilterSettings s;
        s.feedbackVolume = 25.0f;
        s.cutoff = 90.0f;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"feedback at full", with([](auto&) {})},
        {"resonance 100", with([](auto& s) { s.resonance = 100.0f; })},
        {"knee at its lowest", with([](auto& s) { s.clipping1 = -1.0f, s.headroom1 = 1.0f; })},
        {"knee at its highest", with([](auto& s) { s.clipping1 = 16.0f, s.headroom1 = 100.0f; })},
        {"band-pass", with([](auto& s) { s.mode = 1, s.poles = 2, s.mixSpread = 60.0f; })},
        {"notch, 36 dB", with([](auto& s) { s.poles = 2, s.mixSpread = 50.0f; })},
    };
    const size_t frames = 30 * kFrames;
    std::vector<float> in(frames);
    for (size_t n = 0; n < frames; ++n) // a loud, rich wave: three times full scale
        in[n] =
            float(3.0 * (std::fmod(double(n) * 0.0123, 2.0) - 1.0) + std::sin(double(n) * 0.0031));
    std::vector<float> negated(frames);
    std::transform(in.begin(), in.end(), negated.begin(), [](float v) { return -v; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<float> out = FilterRig(c.settings).run(in);
        const std::vector<float> flipped = FilterRig(c.settings).run(negated);
        double peak = 0.0;
        for (size_t n = 0; n < frames; ++n) {
            ASSERT_EQ(flipped[n], -out[n]) << "frame " << n;
            peak = std::max(peak, double(std::fabs(out[n])));
        }
        EXPECT_GT(peak, 0.01);
    }
}

// A cutoff above the host rate's reach holds its coefficient at the top
// instead of folding back down (at 11025 Hz the sine argument would pass pi/2
// from about cutoff 132 on).
TEST(FilterStage, CutoffCoefficientNeverFoldsBack)
{
    constexpr double kLowRate = 11025.0;
    float previous = 0.0f;
    for (float cutoff = 100.0f; cutoff <= 150.0f; cutoff += 2.0f) {
        SCOPED_TRACE(testing::Message() << "cutoff " << cutoff);
        FilterSettings s;
        s.cutoff = cutoff;
        s.resonance = 50.0f;
        FilterRig rig(s, kLowRate);
        const std::vector<float> out =
            rig.run(sine(1000.0, 0.5, 20 * kFrames, kLowRate * kOversampling));
        EXPECT_GE(rig.state.lastCoefficient, previous);
        EXPECT_LE(rig.state.lastCoefficient, 1.00001f);
        previous = rig.state.lastCoefficient;
        for (float v : out)
            ASSERT_TRUE(std::isfinite(v));
    }
    EXPECT_GT(previous, 0.9999f);
}

// The key follow, the frequency-modulation rows and the filter FM by the first
// oscillator all move the corner in semitones.
TEST(FilterStage, PitchTermsMoveTheCorner)
{
    struct Case {
        const char* name;
        float keyFollow, fm1, fm2, crossMod;
        float keyRow, fm1Row, fm2Row, crossModRow, osc1;
        double pitch; // expected corner pitch
    };
    // KeyFollow 100: 64 semitones per unit of the key row, and an offset of
    // (0.64 - 0.72) * 100 = -8.
    const Case cases[] = {
        {"key follow", 100.0f, 0, 0, 0, 0.25f, 0, 0, 0, 0, 60.0 + 16.0 - 8.0},
        {"FM rows", 0, 24.0f, -12.0f, 0, 0, 0.5f, 0.5f, 0, 0, 60.0 + 12.0 - 6.0},
        {"filter FM", 0, 0, 0, 50.0f, 0, 0, 0, 0.5f, 0.8f, 60.0 + 0.36 * 50.0 * 0.5 * 0.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilterSettings s = lowHighPass(60.0, 0);
        s.keyFollow = c.keyFollow;
        s.fmDepth1 = c.fm1;
        s.fmDepth2 = c.fm2;
        s.audioRateDest = 2;
        s.xModDepth = c.crossMod;
        const synthdsp::FilterBlock block = synthdsp::makeFilterBlock(s, float(1.0 / kHostRate));
        const Row key(c.keyRow), fm1(c.fm1Row), fm2(c.fm2Row), cross(c.crossModRow);
        synthdsp::FilterState state;
        alignas(16) float work[2 * kFrames];
        float none[kFrames] = {};
        float pink[kHostBlock] = {};
        for (int32_t n = 0; n < kFrames; ++n) {
            work[2 * n] = 0.0f;
            work[2 * n + 1] = c.osc1;
        }
        synthdsp::processFilterLPHP(state, block,
                                    {key.values, fm1.values, fm2.values, cross.values}, kFrames,
                                    {work, none, none, none, pink});
        const double x = std::asin(double(state.lastCoefficient));
        const double corner = x * kHostRate * 2.0 / signalmeasures::kPi;
        EXPECT_NEAR(12.0 * std::log2(corner / 110.0) + 69.0 - 12.0, c.pitch, 0.01);
    }
}

} // namespace
