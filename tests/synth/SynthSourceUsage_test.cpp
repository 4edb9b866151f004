// Which modulation sources the instrument counts as in use, and so which of
// its envelopes and LFOs run: the usage meters the editor reads, the
// selectors that "reset inactive" leaves alone, the modules a program
// snapshot keeps and the modules an engine reset restarts. An envelope or LFO
// runs while a selector of a running module chooses it, wherever that
// selector stands in the parameter table.

#include "SynthFixture.h"

#include "engine/voice/AM_Lfo.h"
#include "engine/voice/AM_LfoMemory.h"
#include "params/object/AM_ModSourceInfo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace synthtest;

constexpr uint32_t kMantissaBits = 0x7FFFFF;
// Long enough for the LFOs to move well away from their start.
constexpr int64_t kPlayed = 4096;

class SynthSourceUsage : public ::testing::Test {
protected:
    void SetUp() override { host = makeSynth(); }

    AM_ParaMan& man() { return *host->engine().getParaMan(); }

    // A change as the editor makes it: applied with the next block.
    void set(const char* module, const char* parameter, float value)
    {
        host->set(module, parameter, value);
        host->render(kBlock);
    }

    // The number of a modulation source by its name in the source list.
    int32_t source(const char* name)
    {
        const AM_ModSourceInfo* list = man().getModSourceList();
        for (int32_t i = 0; i < man().getModSourceListCount(); ++i) {
            if (std::strcmp(list[i].name, name) == 0)
                return i;
        }
        throw std::runtime_error(std::string("no modulation source ") + name);
    }
    int32_t count(const char* name) { return man().getModSourceUsageCount(source(name)); }
    bool runs(const char* module)
    {
        AM_AudioObject* m = host->engine().getModuleByName(module);
        if (!m)
            throw std::runtime_error(std::string("no module ") + module);
        return m->isActive(static_cast<int32_t>(m->getModuleIndex()));
    }
    // The editor's "Mod usage1" meter: the mask of the first 23 sources in
    // the mantissa of a value in [1, 2).
    uint32_t meterMask()
    {
        const float value = host->get("PCore", "ModU1");
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        return bits & kMantissaBits;
    }
    bool onMeter(const char* name) { return ((meterMask() >> (source(name) - 1)) & 1u) != 0; }

    // LFO1 (which the oscillators' pulse width follows) takes its rate from
    // ENV2, and nothing else chooses ENV2: ENV2 is in use through LFO1 only.
    void env2OnlyThroughLfo1()
    {
        set("Kestan", "FMSrc2", 0.0f);
        set("LFO1", "FMS1", static_cast<float>(source("ADSR2")));
    }

    std::unique_ptr<SynthHost> host;
};

// The default patch: the selectors of the envelopes and of LFO1 count as
// well as those of the voice module and the mixer; LFO2, which nothing
// chooses, does not run and its selectors count nothing.
TEST_F(SynthSourceUsage, TheDefaultPatchCountsEverySelectorOfARunningModule)
{
    const struct {
        const char* source;
        int32_t count;
    } expected[] = {
        {"ModWhl", 1},    // LFO1's depth
        {"Gate", 1},      // the mixer's gate
        {"KeyFollow", 3}, // both envelopes' key tracking, the voice's key source
        {"Velocity", 2},  // both envelopes' velocity source
        {"ADSR1", 3},     // tune, cutoff and the mixer's VCA
        {"ADSR2", 1},     // cutoff
        {"LFO1", 1},      // pulse width
        {"LFO2", 0},      // nothing
        {"PitchW", 0},    // nothing
    };
    uint32_t mask = 0;
    for (const auto& e : expected) {
        SCOPED_TRACE(e.source);
        EXPECT_EQ(count(e.source), e.count);
        if (e.count > 0)
            mask |= 1u << (source(e.source) - 1);
    }
    EXPECT_EQ(meterMask(), mask);
    EXPECT_TRUE(runs("ENV1"));
    EXPECT_TRUE(runs("ENV2"));
    EXPECT_TRUE(runs("LFO1"));
    EXPECT_FALSE(runs("LFO2"));
}

// The mixer's VCA chooses from the second list, whose first place is the
// voice circuit's gate: every place names a real source.
TEST_F(SynthSourceUsage, EveryPlaceOfTheVcaChoiceCountsItsSource)
{
    const AM_ModSourceInfo* second = man().getSecondSourceList();
    ASSERT_EQ(man().getSecondSourceListCount(), 2);
    ASSERT_STREQ(second[0].name, "Gate");
    ASSERT_STREQ(second[1].name, "ADSR1");
    const struct {
        float vca;
        int32_t gate, adsr1;
    } cases[] = {{0.0f, 2, 2}, {1.0f, 1, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vca);
        set("VCA1", "VCA", c.vca);
        EXPECT_EQ(count("Gate"), c.gate);
        EXPECT_EQ(count("ADSR1"), c.adsr1);
    }
}

TEST_F(SynthSourceUsage, AnEnvelopeChosenOnlyByARunningLfoRunsAndShowsOnTheMeter)
{
    env2OnlyThroughLfo1();
    EXPECT_EQ(count("ADSR2"), 1);
    EXPECT_TRUE(onMeter("ADSR2"));
    EXPECT_TRUE(runs("ENV2"));

    // Once LFO1 no longer follows it, ENV2 is idle.
    set("LFO1", "FMS1", 0.0f);
    EXPECT_EQ(count("ADSR2"), 0);
    EXPECT_FALSE(onMeter("ADSR2"));
    EXPECT_FALSE(runs("ENV2"));
}

// "Reset inactive" returns the selectors of idle modules to their defaults
// and leaves those of running modules as they are.
TEST_F(SynthSourceUsage, ResetInactiveKeepsTheSelectorsOfRunningModules)
{
    env2OnlyThroughLfo1();
    set("LFO1", "DMS1", static_cast<float>(source("Velocity")));
    set("LFO2", "DMS1", static_cast<float>(source("Velocity")));
    man().updateModSourceUsage(true);
    EXPECT_EQ(host->get("LFO1", "FMS1"), static_cast<float>(source("ADSR2")));
    EXPECT_EQ(host->get("LFO1", "DMS1"), static_cast<float>(source("Velocity")));
    EXPECT_EQ(host->get("LFO2", "DMS1"), static_cast<float>(source("ModWhl")));
    EXPECT_TRUE(runs("ENV2"));
}

// A program change recalls every module the program uses: ENV2, in use
// through LFO1 only, is part of the snapshot.
TEST_F(SynthSourceUsage, AProgramSnapshotKeepsAModuleInUseThroughAnLfo)
{
    env2OnlyThroughLfo1();
    set("ENV2", "Atk", 70.0f);
    uint32_t size = 0;
    const uint8_t* data = man().writeSnapshot(&size);
    ASSERT_NE(data, nullptr);
    const std::vector<uint8_t> program(data, data + size);

    set("ENV2", "Atk", 5.0f);
    man().readSnapshot(program.data(), static_cast<uint32_t>(program.size()));
    host->render(kBlock);
    EXPECT_EQ(host->get("ENV2", "Atk"), 70.0f);
}

// An engine reset restarts every running LFO. Here LFO1 is in use only
// through the rate of LFO2, which the oscillators' pulse width follows.
TEST_F(SynthSourceUsage, AnEngineResetRestartsAnLfoInUseThroughAnotherLfo)
{
    set("Kestan", "PWSrc", static_cast<float>(source("LFO2")));
    set("LFO2", "FMS1", static_cast<float>(source("LFO1")));
    ASSERT_TRUE(runs("LFO2"));
    EXPECT_TRUE(runs("LFO1"));

    auto* lfo1 = static_cast<AM_Lfo*>(host->engine().getModuleByName("LFO1"));
    const auto phases = [&] {
        std::vector<double> p;
        for (uint32_t v = 0; lfo1->getVoice(v); ++v)
            p.push_back(lfo1->getVoice(v)->phase);
        return p;
    };
    host->noteOn(60);
    host->render(kPlayed);
    const std::vector<double> before = phases();
    ASSERT_FALSE(before.empty());
    ASSERT_NE(before, std::vector<double>(before.size(), 0.0));
    host->engine().setSampleRate(kRate); // the host's suspend and resume
    EXPECT_EQ(phases(), std::vector<double>(before.size(), 0.0));
}

} // namespace
