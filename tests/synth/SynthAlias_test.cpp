// Aliasing of the instrument's saw measured on its rendered output (44.1
// kHz, Drift off, host blocks of 64): for fundamentals up to 5 kHz every
// component below 20 kHz that is no harmonic of the fundamental lies at
// least 70 dB below it. The saw of the first oscillator alone, the filter
// open (its default), at the default level, where the filter's sections
// saturate, and at a quiet level, where they do not.
//
// The filter adds a faint pink noise of its own (-60 dB) that would cover
// the floor being measured; it comes from the process-wide noise generator,
// so a second render from the same generator state with the oscillator
// silent holds the same noise, and the difference of the two renders is the
// saw alone (exactly so while the filter is linear).

#include "SynthFixture.h"
#include "SynthMeasures.h"

#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using namespace synthtest;
using namespace synthmeasures;

constexpr size_t kSettle = 4410;
constexpr int32_t kLength = 32768;
constexpr double kTop = 20000.0;
constexpr double kRequiredDb = -70.0;

std::vector<float> renderAt(double hertz, float level, float stack = 1.0f)
{
    KestanAudio::resetProcessState();
    auto host = makeSynth();
    host->set("VCC", "Voicing", stack);
    const double pitch = 69.0 + 12.0 * std::log2(hertz / 220.0);
    const int32_t key = std::clamp(int32_t(std::lround(pitch)), 0, 127);
    auto* vcc = static_cast<AM_VoiceCircuitMin*>(host->engine().getModuleByName("VCC"));
    host->set("Kestan", "Shp1", 3.0f);
    host->set("Kestan", "OscVol1", level);
    host->set("Kestan", "OscVol2", -100.0f);
    host->set("Kestan", "TMSrc1", float(vcc->getFirstControlRow() + k_voiceRowVelocity));
    host->set("Kestan", "TMDpt1", float(pitch - key));
    host->render(kBlock);
    host->clearOutput();
    host->noteOn(key, 127.0f);
    host->render(int64_t(kSettle) + kLength);
    return host->left;
}

std::vector<float> sawAt(double hertz, float level, float stack = 1.0f)
{
    std::vector<float> saw = renderAt(hertz, level, stack);
    const std::vector<float> noise = renderAt(hertz, -100.0f, stack);
    for (size_t n = 0; n < saw.size(); ++n)
        saw[n] -= noise[n];
    return saw;
}

TEST(SynthAlias, SawAliasesStayFarBelowTheFundamental)
{
    AliasFloor worst{-400.0, 0.0};
    double worstFundamental = 0.0;
    for (float level : {-30.0f, -80.0f}) {
        for (double hertz : {500.0, 1000.0, 2000.0, 3000.0, 3517.0, 4000.0, 4500.0, 4999.0}) {
            SCOPED_TRACE(testing::Message() << hertz << " Hz, level " << level);
            const std::vector<float> x = sawAt(hertz, level);
            const AliasFloor floor = aliasFloor(x, kSettle, kLength, hertz, kRate, kTop);
            EXPECT_LT(floor.worstDb, kRequiredDb) << "at " << floor.atHz << " Hz";
            if (floor.worstDb > worst.worstDb) {
                worst = floor;
                worstFundamental = hertz;
            }
        }
    }
    RecordProperty("worst_alias_db", std::to_string(worst.worstDb));
    RecordProperty("worst_alias_at_hz", std::to_string(worst.atHz));
    RecordProperty("worst_alias_fundamental_hz", std::to_string(worstFundamental));
}

// The top keys: from 1 kHz up, nothing but harmonics within 85 dB of the
// fundamental, for one voice and for a stack of two voices on the key (which
// render side by side in vector lanes).
TEST(SynthAlias, TopKeysKeepTheirAliasesBelowMinus85dBFrom1kHz)
{
    constexpr double kBottom = 1000.0;
    constexpr double kTopKeysDb = -85.0;
    AliasFloor worst{-400.0, 0.0};
    int32_t worstKey = 0;
    for (float stack : {1.0f, 2.0f}) {
        for (float level : {-30.0f, -80.0f}) {
            for (int32_t key = 93; key <= 108; ++key) {
                const double hertz = 220.0 * std::exp2((key - 69) / 12.0);
                SCOPED_TRACE(testing::Message() << "key " << key << ", level " << level
                                                << ", stack " << stack);
                const std::vector<float> x = sawAt(hertz, level, stack);
                const AliasFloor floor =
                    aliasFloor(x, kSettle, kLength, hertz, kRate, kTop, kBottom);
                EXPECT_LT(floor.worstDb, kTopKeysDb) << "at " << floor.atHz << " Hz";
                if (floor.worstDb > worst.worstDb) {
                    worst = floor;
                    worstKey = key;
                }
            }
        }
    }
    RecordProperty("worst_top_key_alias_db", std::to_string(worst.worstDb));
    RecordProperty("worst_top_key_alias_at_hz", std::to_string(worst.atHz));
    RecordProperty("worst_top_key", std::to_string(worstKey));
    std::printf("worst alias of keys 93 to 108: %.1f dB at %.0f Hz (key %d)\n", worst.worstDb,
                worst.atHz, worstKey);
}

} // namespace
