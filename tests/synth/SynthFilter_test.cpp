// The filter of the instrument measured on its rendered output (44.1 kHz,
// Drift off, host blocks of 64): its response is read off a quiet sine of
// the first oscillator (quiet, so that the saturating sections stay in their
// linear range), tuned to any frequency by a key and the tune modulation
// from the velocity row. Resonance 0 unless said.
//
// The filter adds a faint pink noise of its own, which would cover the
// response far in the stop band; it comes from the process-wide noise
// generator, so a second render from the same generator state with the
// oscillator silent holds the same noise, and (the filter being linear at
// this level) the difference of the two renders is the sine's response
// alone.
//
// The corner is where the low-pass (MixSpread 0) and the high-pass
// (MixSpread 100) have the same magnitude: there |LP / HP| = 1, and around
// it the ratio falls by 12 dB per octave and section, so one ratio measured
// at the nominal corner gives the true one.

#include "SynthFixture.h"
#include "SynthMeasures.h"

#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using namespace synthtest;
using namespace synthmeasures;

constexpr size_t kMeasureFrom = 6615; // 0.15 s after the note on
constexpr size_t kMeasureTo = 15435;  // 0.35 s
constexpr float kQuietLevel = -80.0f; // a sine of 0.2

struct FilterSetting {
    float cutoff = 69.0f;
    float poles = 1.0f;
    float mixSpread = 0.0f;
    float resonance = 0.0f;
    float mode = 0.0f;
};

double nominalCorner(float cutoff)
{
    return 220.0 * std::exp2((cutoff - 69.0) / 12.0);
}

// Renders a sine of `level` at `hertz` through the filter, from the noise
// generator's state at load.
std::vector<float> renderThrough(const FilterSetting& f, double hertz, float level)
{
    KestanAudio::resetProcessState();
    auto host = makeSynth();
    // The key and the tune modulation (velocity 127: a row of 1) that put the
    // first oscillator at `hertz` (a key sounds at 220 Hz x 2^((key - 69) /
    // 12) with the default transpose).
    const double pitch = 69.0 + 12.0 * std::log2(hertz / 220.0);
    const int32_t key = std::clamp(int32_t(std::lround(pitch)), 0, 127);
    auto* vcc = static_cast<AM_VoiceCircuitMin*>(host->engine().getModuleByName("VCC"));
    const float velocityRow = float(vcc->getFirstControlRow() + k_voiceRowVelocity);
    host->set("Kestan", "Shp1", 1.0f);
    host->set("Kestan", "OscVol1", level);
    host->set("Kestan", "OscVol2", -100.0f);
    host->set("Kestan", "TMSrc1", velocityRow);
    host->set("Kestan", "TMDpt1", float(pitch - key));
    host->set("Kestan", "Cutoff", f.cutoff);
    host->set("Kestan", "VCFPol", f.poles);
    host->set("Kestan", "MxSp", f.mixSpread);
    host->set("Kestan", "Res", f.resonance);
    host->set("Kestan", "VCFmod", f.mode);
    host->render(kBlock);
    host->clearOutput();
    host->noteOn(key, 127.0f);
    host->render(int64_t(kMeasureTo));
    return host->left;
}

// The amplitude of a quiet sine at `hertz` in the output, without the
// filter's own noise.
double amplitudeThrough(const FilterSetting& f, double hertz)
{
    std::vector<float> sine = renderThrough(f, hertz, kQuietLevel);
    const std::vector<float> noise = renderThrough(f, hertz, -100.0f);
    for (size_t n = 0; n < sine.size(); ++n)
        sine[n] -= noise[n];
    return amplitudeAt(sine, kMeasureFrom, kMeasureTo, hertz, kRate);
}

double decibelsOf(double ratio)
{
    return 20.0 * std::log10(ratio);
}

// The corner lies at 220 x 2^((Cutoff - 69) / 12) Hz within 1 % up to Cutoff
// 120, for each depth.
TEST(SynthFilter, CornerFollowsTheCutoff)
{
    double worst = 0.0;
    for (float poles : {0.0f, 1.0f, 2.0f}) {
        for (float cutoff : {40.0f, 60.0f, 80.0f, 100.0f, 120.0f}) {
            SCOPED_TRACE(testing::Message() << "Cutoff " << cutoff << ", poles " << poles);
            const double nominal = nominalCorner(cutoff);
            FilterSetting lowpass{cutoff, poles, 0.0f};
            FilterSetting highpass{cutoff, poles, 100.0f};
            const double ratio =
                amplitudeThrough(lowpass, nominal) / amplitudeThrough(highpass, nominal);
            const double sections = poles + 1.0;
            const double corner = nominal * std::pow(ratio, 1.0 / (2.0 * sections));
            const double error = corner / nominal - 1.0;
            EXPECT_LT(std::fabs(error), 0.01) << "corner " << corner << " Hz";
            worst = std::max(worst, std::fabs(error));
        }
    }
    RecordProperty("worst_corner_error_percent", std::to_string(100.0 * worst));
}

// Far above the corner the low-pass falls by 12, 24 and 36 dB per octave;
// MixSpread 100 gives the mirrored high-pass.
TEST(SynthFilter, SlopesAndMirroredHighPass)
{
    constexpr float kCutoff = 70.0f;
    const double corner = nominalCorner(kCutoff);
    for (float poles : {0.0f, 1.0f, 2.0f}) {
        SCOPED_TRACE(testing::Message() << "poles " << poles);
        const double nominal = 12.0 * (poles + 1.0);
        const FilterSetting lowpass{kCutoff, poles, 0.0f};
        const double slope = decibelsOf(amplitudeThrough(lowpass, 8.0 * corner) /
                                        amplitudeThrough(lowpass, 4.0 * corner));
        EXPECT_NEAR(-slope, nominal, 0.04 * nominal) << "dB per octave";

        const FilterSetting highpass{kCutoff, poles, 100.0f};
        for (double octaves : {1.0, 2.0}) {
            const double factor = std::exp2(octaves);
            const double below = decibelsOf(amplitudeThrough(lowpass, corner / factor));
            const double above = decibelsOf(amplitudeThrough(highpass, corner * factor));
            EXPECT_NEAR(above, below, 0.5) << octaves << " octaves";
        }
    }
}

// MixSpread 50 adds low-pass and high-pass: a notch at the corner.
TEST(SynthFilter, HalfSpreadIsANotch)
{
    for (float cutoff : {60.0f, 90.0f}) {
        SCOPED_TRACE(testing::Message() << "Cutoff " << cutoff);
        const double corner = nominalCorner(cutoff);
        const FilterSetting notch{cutoff, 0.0f, 50.0f};
        const double pass = amplitudeThrough(notch, corner / 8.0);
        const double stop = amplitudeThrough(notch, corner);
        EXPECT_LT(decibelsOf(stop / pass), -30.0);
        EXPECT_NEAR(decibelsOf(amplitudeThrough(notch, corner * 8.0) / pass), 0.0, 1.0);
    }
}

// Resonance 100 oscillates by itself near the corner, with the oscillators
// silent; resonance 0 stays silent.
TEST(SynthFilter, FullResonanceSelfOscillates)
{
    const auto render = [](float cutoff, float resonance) {
        auto host = makeSynth();
        host->set("Kestan", "OscVol1", -100.0f);
        host->set("Kestan", "OscVol2", -100.0f);
        host->set("Kestan", "Cutoff", cutoff);
        host->set("Kestan", "Res", resonance);
        host->render(kBlock);
        host->clearOutput();
        host->noteOn(60);
        host->render(int64_t(kRate));
        return host;
    };
    for (float cutoff : {50.0f, 70.0f, 90.0f}) {
        SCOPED_TRACE(testing::Message() << "Cutoff " << cutoff);
        auto oscillating = render(cutoff, 100.0f);
        auto quiet = render(cutoff, 0.0f);
        const size_t from = size_t(kRate) / 2;
        const double level = rms(oscillating->left, from, oscillating->left.size());
        EXPECT_GT(level, 0.01);
        EXPECT_GT(level, 100.0 * rms(quiet->left, from, quiet->left.size()));
        const double hertz =
            zeroCrossingFrequency(oscillating->left, from, oscillating->left.size(), kRate);
        EXPECT_NEAR(hertz / nominalCorner(cutoff), 1.0, 0.05) << hertz << " Hz";
    }
}

} // namespace

namespace {

// RMS of the 10 ms means of x over [begin, end): what lies below about
// 100 Hz (the means cancel 100 Hz and its multiples exactly).
double lowFrequencyRms(const std::vector<float>& x, size_t begin, size_t end)
{
    constexpr size_t kWindow = 441;
    double sum = 0.0;
    size_t count = 0;
    for (size_t at = begin; at + kWindow <= end; at += kWindow) {
        double mean = 0.0;
        for (size_t n = at; n < at + kWindow; ++n)
            mean += x[n];
        mean /= double(kWindow);
        sum += mean * mean;
        ++count;
    }
    return count > 0 ? std::sqrt(sum / double(count)) : 0.0;
}

} // namespace

// A held note carries a faint low-frequency floor whatever its waveform:
// the filter's own pink noise (a thousandth of the pink noise source added to
// the filter's input). It is there with the oscillator silent, the same in
// both renders, and a sine of 1 kHz adds nothing below 100 Hz to it.
TEST(SynthFilter, AHeldNotesLowFrequencyFloorIsTheFiltersOwnNoise)
{
    const FilterSetting open{120.0f};
    const std::vector<float> sine = renderThrough(open, 1000.0, kQuietLevel);
    const std::vector<float> silent = renderThrough(open, 1000.0, -100.0f);
    const double floor = lowFrequencyRms(silent, kMeasureFrom, kMeasureTo);
    RecordProperty("floor", std::to_string(floor));
    EXPECT_GT(floor, 5e-6);
    EXPECT_LT(floor, 2e-4);
    std::vector<float> difference(sine.size());
    for (size_t n = 0; n < sine.size(); ++n)
        difference[n] = sine[n] - silent[n];
    EXPECT_LT(lowFrequencyRms(difference, kMeasureFrom, kMeasureTo), floor * 0.01);
}
