// The alias floor of the oscillators' waves with jumps: every wave rendered
// at four times 44.1 kHz, decimated by the voice's decimator, and every
// component below 20 kHz that is not a harmonic measured against the
// fundamental.

#include "SignalMeasures.h"
#include "VoiceKernelRig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

using namespace voicerig;

constexpr int32_t kSettle = 2048;      // host samples skipped
constexpr int32_t kAnalysis = 1 << 15; // host samples analysed
constexpr double kAudioTop = 20000.0;
constexpr double kTopFundamental = 5000.0;
// The floor the step table allows, with the sub-frame placement interpolated,
// is near -119 dB; anything above this bound means a placement error.
constexpr double kFloorDb = -100.0;

enum class Wave { Osc1Saw, Osc2Saw, Osc1Square, Osc2Square, Sub };

struct WaveCase {
    const char* name;
    Wave wave;
};

synthdsp::OscillatorSettings settingsFor(Wave wave)
{
    synthdsp::OscillatorSettings s;
    s.oscVolume1 = -100.0f;
    s.oscVolume2 = -100.0f;
    s.subVolume = -100.0f;
    s.pulseWidthSourceSet = false;
    s.pulseWidthDepth = 50.0f;
    switch (wave) {
    case Wave::Osc1Saw:
        s.shape1 = 3.0f, s.oscVolume1 = 0.0f;
        break;
    case Wave::Osc1Square:
        s.shape1 = 4.0f, s.oscVolume1 = 0.0f;
        break;
    case Wave::Osc2Saw:
        s.shape2 = 1.0f, s.oscVolume2 = 0.0f;
        break;
    case Wave::Osc2Square:
        s.shape2 = 2.0f, s.oscVolume2 = 0.0f;
        break;
    case Wave::Sub:
        s.subVolume = 0.0f;
        break;
    }
    return s;
}

// Notes from C1 every four semitones up to 5 kHz, round frequencies, and the
// two just below 5 kHz whose period is an odd multiple of 1/256 frame: there
// successive jumps alternate between two sub-frame positions half a phase row
// apart, the worst case of placement by whole rows.
std::vector<double> fundamentals()
{
    std::vector<double> f;
    for (int note = 24; note <= 111; note += 4)
        f.push_back(440.0 * std::exp2((note - 69) / 12.0));
    for (double hz : {1000.0, 2000.0, 3000.0, 4000.0, 4500.0, 5000.0})
        f.push_back(hz);
    const double oversampled = kHostRate * kOversampling;
    f.push_back(oversampled * 256.0 / 9033.0);
    f.push_back(oversampled * 256.0 / 9035.0);
    return f;
}

TEST(OscillatorAliasFloor, WavesWithJumpsUpTo5kHz)
{
    const WaveCase waves[] = {{"Osc1 saw", Wave::Osc1Saw},
                              {"Osc2 saw", Wave::Osc2Saw},
                              {"Osc1 square", Wave::Osc1Square},
                              {"Osc2 square", Wave::Osc2Square},
                              {"sub square", Wave::Sub}};
    for (const WaveCase& w : waves) {
        SCOPED_TRACE(w.name);
        signalmeasures::AliasFloor worst{-400.0, 0.0};
        double worstF0 = 0.0;
        for (double hz : fundamentals()) {
            RowValues rows;
            rows.key1 = keyRowForPitch(pitchOfHertz(hz));
            rows.key2 = rows.key1;
            VoiceRig rig(settingsFor(w.wave), rows);
            rig.render(kSettle + kAnalysis);
            // The frequency the oscillator actually runs at.
            double f0 = double(rig.oscState.osc1Increment) * rig.oversampledRate();
            if (w.wave == Wave::Sub)
                f0 /= 2.0;
            ASSERT_LT(f0, kTopFundamental * 1.001);
            const signalmeasures::AliasFloor floor = signalmeasures::aliasFloor(
                rig.host, kSettle, kAnalysis, f0, rig.hostRate(), kAudioTop);
            EXPECT_LT(floor.worstDb, kFloorDb) << "f0 " << f0 << " alias at " << floor.atHz;
            if (floor.worstDb > worst.worstDb) {
                worst = floor;
                worstF0 = f0;
            }
        }
        std::printf("%s: alias floor up to 5 kHz %.1f dB (f0 %.1f Hz, alias at %.1f Hz)\n", w.name,
                    worst.worstDb, worstF0, worst.atHz);
    }
}

} // namespace
