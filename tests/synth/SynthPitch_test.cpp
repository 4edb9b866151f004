// Pitches of the instrument measured on its rendered output (44.1 kHz, Drift
// off, host blocks of 64): the default note, transposition, every key of the
// keyboard's usual range, the second oscillator's coarse tune and the sub
// oscillator.

#include "SynthFixture.h"
#include "SynthMeasures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace synthtest;
using namespace synthmeasures;

constexpr size_t kSettle = 4410; // the attack and the filters settle

// The fundamental of a held key, the output measured over `seconds` after
// the settling time.
double fundamentalOfKey(SynthHost& host, int32_t key, double guess, double seconds = 0.5)
{
    host.render(kBlock);
    host.clearOutput();
    host.noteOn(key);
    host.render(int64_t(kSettle + seconds * kRate));
    return fundamental(host.left, kSettle, host.left.size(), kRate, guess);
}

// With the defaults (Transpose -12, a saw and a pulse) MIDI note 69 sounds
// at 220 Hz; with Transpose 0 at 440 Hz.
TEST(SynthPitch, Note69SoundsAt220HzWithTheDefaultTranspose)
{
    auto host = makeSynth();
    EXPECT_EQ(host->get("VCC", "Trsp"), -12.0f);
    EXPECT_NEAR(cents(fundamentalOfKey(*host, 69, 220.0), 220.0), 0.0, 1.0);

    auto transposed = makeSynth();
    transposed->set("VCC", "Trsp", 0.0f);
    EXPECT_NEAR(cents(fundamentalOfKey(*transposed, 69, 440.0), 440.0), 0.0, 1.0);
}

// Every key from 24 to 108 sounds within 1 cent of its equal-tempered pitch
// (2 cents below 40 Hz), with Transpose 0 and with the default octave down.
// A sine, so that zero crossings give the frequency.
TEST(SynthPitch, EveryKeyIsEqualTempered)
{
    double worst = 0.0;
    for (float transpose : {0.0f, -12.0f}) {
        for (int32_t key = 24; key <= 108; ++key) {
            auto host = makeSynth();
            host->set("VCC", "Trsp", transpose);
            host->set("Kestan", "Shp1", 1.0f);
            host->set("Kestan", "OscVol2", -100.0f);
            const double expected = equalTempered(key + transpose);
            const double seconds = expected < 40.0 ? 2.0 : 0.5;
            host->render(kBlock);
            host->noteOn(key);
            host->render(int64_t(kSettle + seconds * kRate));
            const double measured =
                zeroCrossingFrequency(host->left, kSettle, host->left.size(), kRate);
            const double error = cents(measured, expected);
            EXPECT_LE(std::fabs(error), expected < 40.0 ? 2.0 : 1.0)
                << "key " << key << " transpose " << transpose << ": " << measured << " Hz";
            worst = std::max(worst, std::fabs(error));
        }
    }
    RecordProperty("worst_cents", std::to_string(worst));
}

// Tune2 12 puts the second oscillator an octave up; the sub oscillator
// sounds an octave below the first.
TEST(SynthPitch, SecondOscillatorTuneAndSubOscillator)
{
    const auto osc2Alone = [](float tune) {
        auto host = makeSynth();
        host->set("Kestan", "OscVol1", -100.0f);
        host->set("Kestan", "Shp2", 1.0f);
        host->set("Kestan", "Tune2", tune);
        return host;
    };
    auto base = osc2Alone(0.0f);
    auto octave = osc2Alone(12.0f);
    const double f0 = fundamentalOfKey(*base, 60, equalTempered(48));
    const double f1 = fundamentalOfKey(*octave, 60, equalTempered(60));
    EXPECT_NEAR(cents(f0, equalTempered(48)), 0.0, 1.0);
    EXPECT_NEAR(cents(f1, 2.0 * f0), 0.0, 1.0);

    auto sub = makeSynth();
    sub->set("Kestan", "OscVol1", -100.0f);
    sub->set("Kestan", "OscVol2", -100.0f);
    sub->set("Kestan", "SubVol", 0.0f);
    const double expected = equalTempered(48) / 2.0;
    EXPECT_NEAR(cents(fundamentalOfKey(*sub, 60, expected), expected), 0.0, 1.0);
}

} // namespace
