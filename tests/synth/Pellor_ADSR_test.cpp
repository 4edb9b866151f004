// The envelope inside the voice circuit, measured in samples: segment times,
// sustain, velocity and level gains, rate modulation, retrigger continuity,
// the trigger modes (Gate, Single, Loop, triggered by an LFO) and the end
// stage.

#include "../engine/voice/ModuleRig.h"
#include "AllocationCounter.h"
#include "TraceCapture.h"
#include "engine/voice/AM_Lfo.h"
#include "engine/voice/AM_SimpleVoiceMixer.h"
#include "platform/Trace.h"
#include "synth/Pellor_ADSR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using modtest::ModuleRig;
using modtest::RigSetup;
using modtest::RowRecorder;
using modtest::TestVoiceSource;
using E = Pellor_ADSR;

constexpr double kRate = 44100.0;
constexpr int32_t kSamplesPerStep = k_samplesPerUnit / k_stepsPerUnit;
// The share of a segment's 1 % time that an attack needs to reach 100 from
// 0 (aiming at 115), and a decay or release to fall 100 to 0 (aiming at -1).
const double kAttackShare = std::log(15.0 / 115.0) / std::log(0.01); // 0.4423
const double kFallShare = std::log(1.0 / 101.0) / std::log(0.01);    // 1.0022

const char kVcaTriggers[][k_valueNameBytes] = {"Gate", "Loop", "LFO1", "LFO2"};
const char kOtherTriggers[][k_valueNameBytes] = {"Gate", "Single", "Loop", "LFO1", "LFO2", "NOPE"};

// Seconds of a segment's 1 % time at time value p.
double onePercentTime(double p)
{
    return 20.0 * std::pow(p / 100.0, 3.0);
}

struct EnvOptions {
    bool vca = true;
    bool withLfo = false;
    bool withMixer = false;
    RigSetup setup = {};
};

struct EnvRig {
    using Options = EnvOptions;

    std::unique_ptr<ModuleRig> rig;
    Pellor_ADSR* env = nullptr;
    AM_Lfo* lfo = nullptr;
    AM_SimpleVoiceMixer* mixer = nullptr;
    RowRecorder* rec = nullptr;

    explicit EnvRig(Options o = {})
    {
        rig = std::make_unique<ModuleRig>(
            [&](ModuleRig& r) {
                env = new Pellor_ADSR(&r, o.vca ? "ENV1: ADSR1" : "ENV2: ADSR2", o.vca);
                if (o.vca)
                    env->setTriggerList(kVcaTriggers, 4);
                else
                    env->setTriggerList(kOtherTriggers, 6);
                r.vcc->addChild(env);
                if (o.withLfo) {
                    lfo = new AM_Lfo(&r, "LFO1: LFO1", true);
                    lfo->clearModuleFlags(k_classSwitchable);
                    lfo->setMode(1);
                    r.vcc->addChild(lfo);
                }
                rec = new RowRecorder(&r, "REC: Recorder", &r.clock);
                rec->watch(env);
                r.vcc->addChild(rec);
                if (o.withMixer) {
                    r.vcc->addChild(new TestVoiceSource(&r, "SRC: Source", false));
                    mixer = new AM_SimpleVoiceMixer(&r, "VCA1: VoiceMix1", 1, 0);
                    r.vcc->addChild(mixer);
                }
            },
            o.setup);
    }

    void set(uint32_t local, float value) { rig->set(env, local, value); }
    int32_t voiceOf(int32_t key) const
    {
        for (uint32_t v = 0; v < rig->vcc->getVoices(); ++v) {
            const AM_VoiceRecord* r = rig->vcc->getVoiceRecord(v);
            if (r->state != k_voiceIdle && r->key == key - 12)
                return static_cast<int32_t>(v);
        }
        return -1;
    }
    // The source number of one of the voice circuit's rows.
    float circuitSource(uint32_t row) const
    {
        return static_cast<float>(rig->vcc->getFirstModSourceIndex() + row);
    }
    Pellor_ADSRVoice& voice(int32_t v) { return *env->getVoice(static_cast<uint32_t>(v)); }
};

// Samples from the series' first step to the end of the first step whose
// value satisfies the test; -1 when none does.
template <class Test> int64_t samplesUntil(const RowRecorder::Series& s, size_t from, Test test)
{
    for (size_t i = from; i < s.values.size(); ++i) {
        if (test(s.values[i]))
            return (s.steps[i] - s.steps[from] + 1) * kSamplesPerStep;
    }
    return -1;
}

// Within 16 samples plus 1 %.
void expectTime(int64_t measured, double seconds)
{
    const double expected = seconds * kRate;
    EXPECT_NEAR(static_cast<double>(measured), expected, 16.0 + 0.01 * expected)
        << "expected " << seconds << " s";
}

TEST(Pellor_ADSR, TheLabelTriggerNamesAndSourceKindFollowTheConstruction)
{
    Pellor_ADSR vca(nullptr, "ENV1: ADSR1", true);
    EXPECT_STREQ(static_cast<const char*>(vca.getParameterAddress(E::k_pLabel)), "ADSR 1");
    AM_ValueNames names = nullptr;
    ASSERT_EQ(vca.getValueStrings(E::k_pTrigger, &names), 2);
    EXPECT_STREQ(names[1], "Single");
    vca.setTriggerList(kVcaTriggers, 4);
    ASSERT_EQ(vca.getValueStrings(E::k_pTrigger, &names), 4);
    EXPECT_STREQ(names[3], "LFO2");
    EXPECT_EQ(vca.getParameterTemplate(E::k_pTrigger)->max, 3.0f);
    Pellor_ADSR other(nullptr, "ENV: Plain", false);
    EXPECT_STREQ(static_cast<const char*>(other.getParameterAddress(E::k_pLabel)), "ADSR 0");

    // The VCA envelope is the default member of the second source list.
    AM_ModSourceInfo info{};
    vca.getModSourceInfo(0, &info);
    EXPECT_EQ(info.flags, 0x590000u);
    other.getModSourceInfo(0, &info);
    EXPECT_EQ(info.flags, 0x90000u);
}

TEST(Pellor_ADSR, AttackReachesItsPeakInItsTime)
{
    struct Case {
        float attack;
        float rateMod; // with the key follow row as the rate source
        int32_t key;   // key 64 is key follow 0
        double factor; // the rate modulation's time factor
    };
    const Case cases[] = {
        {10, 0, 64, 1.0},
        {30, 0, 64, 1.0},
        {50, 0, 64, 1.0},
        {100, 0, 64, 1.0},
        {40, 100, 76, std::pow(2.0, 5.0 * 12 / 64)},
        {40, -60, 40, std::pow(2.0, -3.0 * -24 / 64)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.attack << " " << c.rateMod << " " << c.key);
        EnvRig r;
        r.set(E::k_pAttack, c.attack);
        r.set(E::k_pRateMod, c.rateMod);
        r.set(E::k_pRateSource, r.circuitSource(k_voiceRowKeyFollow));
        r.rig->note(c.key);
        const double seconds = kAttackShare * onePercentTime(c.attack) * c.factor;
        r.rig->runSeconds(seconds + 0.01);
        const auto s = r.rec->series(r.voiceOf(c.key));
        expectTime(samplesUntil(s, 0, [](float v) { return v >= 1.0f; }), seconds);
        // Clamped at the peak; the decay toward a sustain of 100 dips by a
        // hair and sustain creeps back.
        EXPECT_NEAR(s.values.back(), 1.0f, 1e-4f);
    }
}

TEST(Pellor_ADSR, DecayFallsToTheSustainLevelInItsTime)
{
    // Attack 0 starts the note at 100 in decay.
    struct Case {
        float decay;
        float sustain;
        int32_t constantRate;
    };
    const Case cases[] = {{20, 0, 0},  {50, 0, 0},  {80, 0, 0},
                          {50, 50, 0}, {50, 20, 1}, {50, 60, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.decay << " " << c.sustain << " " << c.constantRate);
        EnvRig r;
        r.set(E::k_pAttack, 0);
        r.set(E::k_pDecay, c.decay);
        r.set(E::k_pSustain, c.sustain);
        r.set(E::k_pConstantRate, static_cast<float>(c.constantRate));
        r.rig->note(64);
        // Aiming 1 below the sustain level (ConstantRate: at -1), ending at
        // it: from 100 to 0 the share is 1.002 of the 1 % time.
        const double target = c.constantRate ? -1.0 : c.sustain - 1.0;
        const double share = std::log((c.sustain - target) / (100.0 - target)) / std::log(0.01);
        const double seconds = share * onePercentTime(c.decay);
        r.rig->runSeconds(seconds + 0.01);
        const auto s = r.rec->series(r.voiceOf(64));
        const float level = c.sustain / 100.0f;
        expectTime(samplesUntil(s, 0, [level](float v) { return v <= level; }), seconds);
        EXPECT_EQ(r.voice(r.voiceOf(64)).stage, k_adsrSustain);
    }
    EXPECT_NEAR(kFallShare, 1.002, 5e-4);
}

TEST(Pellor_ADSR, AConstantRateDecayRunsTheSameCurveWhateverTheSustain)
{
    RowRecorder::Series curves[2][2];
    const float sustains[] = {20, 60};
    for (int32_t constant = 0; constant < 2; ++constant) {
        for (int32_t k = 0; k < 2; ++k) {
            EnvRig r;
            r.set(E::k_pAttack, 0);
            r.set(E::k_pDecay, 40);
            r.set(E::k_pSustain, sustains[k]);
            r.set(E::k_pConstantRate, static_cast<float>(constant));
            r.rig->note(64);
            r.rig->runSeconds(0.5);
            curves[constant][k] = r.rec->series(r.voiceOf(64));
        }
    }
    // Above both sustain levels the constant-rate curves agree; the plain
    // ones do not.
    float constantGap = 0.0f;
    float plainGap = 0.0f;
    for (size_t i = 0; i < curves[1][0].values.size(); ++i) {
        if (curves[1][1].values[i] <= 0.6f)
            break;
        constantGap =
            std::max(constantGap, std::fabs(curves[1][0].values[i] - curves[1][1].values[i]));
        plainGap = std::max(plainGap, std::fabs(curves[0][0].values[i] - curves[0][1].values[i]));
    }
    EXPECT_EQ(constantGap, 0.0f);
    EXPECT_GT(plainGap, 0.05f);
}

TEST(Pellor_ADSR, ReleaseFromFullEndsInItsTimeAndStoresSilence)
{
    for (float release : {20.0f, 50.0f, 75.0f}) {
        SCOPED_TRACE(release);
        EnvRig r;
        r.set(E::k_pAttack, 0);
        r.set(E::k_pSustain, 100);
        r.set(E::k_pRelease, release);
        r.rig->note(64);
        r.rig->run(10);
        const int32_t v = r.voiceOf(64);
        r.rec->clear();
        r.rig->off(64);
        const double seconds = kFallShare * onePercentTime(release);
        r.rig->runSeconds(seconds + 0.01);
        const auto s = r.rec->series(v);
        expectTime(samplesUntil(s, 0, [](float x) { return x <= 0.0f; }), seconds);
        // The end stage keeps level and output at 0, and the row inactive.
        EXPECT_EQ(r.voice(v).stage, k_adsrEnded);
        EXPECT_EQ(r.voice(v).level, 0.0f);
        EXPECT_EQ(r.voice(v).output, 0.0f);
        EXPECT_EQ(s.active.back(), 0u);
    }
}

TEST(Pellor_ADSR, TheRowStaysActiveThroughTheSubBlockInWhichTheEnvelopeEnds)
{
    struct Case {
        const char* name;
        bool vca;
        float trigger; // "Gate" of the VCA list, "Single" of the other
    };
    const Case cases[] = {{"gate", true, 0.0f}, {"single", false, 1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EnvRig::Options o;
        o.vca = c.vca;
        EnvRig r(o);
        r.set(E::k_pTrigger, c.trigger);
        r.set(E::k_pAttack, 0);
        r.set(E::k_pDecay, 0);
        r.set(E::k_pSustain, 70);
        r.set(E::k_pRelease, 10);
        r.rig->note(64);
        r.rig->run(4);
        const int32_t v = r.voiceOf(64);
        ASSERT_GE(v, 0);
        r.rec->clear();
        r.rig->off(64);
        r.rig->runSeconds(0.1);
        const auto s = r.rec->series(v);
        const auto end =
            std::find_if(s.values.begin(), s.values.end(), [](float x) { return x <= 0.0f; });
        ASSERT_NE(end, s.values.end());
        const size_t i = static_cast<size_t>(end - s.values.begin());
        // The sub-block that reaches the end still reports the row active;
        // the next one, finding the end stage, lets it go.
        EXPECT_EQ(s.active[i], 1u);
        const auto off = std::find(s.active.begin(), s.active.end(), 0u);
        ASSERT_NE(off, s.active.end());
        const size_t j = static_cast<size_t>(off - s.active.begin());
        EXPECT_EQ(s.steps[j], (s.steps[i] / k_controlRowSteps + 1) * k_controlRowSteps);
        EXPECT_EQ(s.active.back(), 0u);
    }
}

TEST(Pellor_ADSR, SustainHoldsItsLevelTimesTheGains)
{
    struct Case {
        float sustain;
        float velocityAmount; // "Vel"
        float velocity;       // MIDI
        float levelMod;       // "LMod", from the velocity row
        float output;
    };
    const float v64 = 64.0f / 127.0f;
    const Case cases[] = {
        {80, 0, 100, 0, 0.80f},
        {35, 0, 20, 0, 0.35f},
        {0, 0, 100, 0, 0.0f},
        {50, 100, 64, 0, 0.5f * v64},
        {50, 50, 64, 0, 0.5f * (0.5f + 0.5f * v64)},
        {50, 0, 64, 50, 0.5f * (0.5f + 0.5f * v64)},
        {50, 0, 64, -100, 0.5f * (2.0f - v64)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sustain << " " << c.velocityAmount << " " << c.velocity
                                        << " " << c.levelMod);
        EnvRig r;
        r.set(E::k_pDecay, 10);
        r.set(E::k_pSustain, c.sustain);
        r.set(E::k_pVelocity, c.velocityAmount);
        r.set(E::k_pLevelMod, c.levelMod);
        r.set(E::k_pLevelSource, r.circuitSource(k_voiceRowVelocity));
        r.rig->note(64, c.velocity);
        r.rig->runSeconds(0.5);
        const auto s = r.rec->series(r.voiceOf(64));
        EXPECT_NEAR(s.values.back(), c.output, 1e-4f);
    }
}

TEST(Pellor_ADSR, ZeroTimesJumpAndAllZerosEndTheVoiceAtOnce)
{
    {
        EnvRig r; // Attack 0, Decay 0: straight to the sustain level
        r.set(E::k_pAttack, 0);
        r.set(E::k_pDecay, 0);
        r.set(E::k_pSustain, 40);
        r.rig->note(64);
        r.rig->run();
        const auto s = r.rec->series(r.voiceOf(64));
        EXPECT_NEAR(s.values.front(), 0.40f, 1e-6f);
    }
    EnvRig::Options o;
    o.withMixer = true;
    EnvRig r(o);
    r.set(E::k_pAttack, 0);
    r.set(E::k_pDecay, 0);
    r.set(E::k_pSustain, 0);
    r.set(E::k_pFallRise, -20);
    r.rig->note(64);
    r.rig->run();
    ASSERT_FALSE(r.rec->steps.empty());
    const auto s = r.rec->series(r.rec->steps.front().voice);
    ASSERT_FALSE(s.values.empty());
    for (float v : s.values)
        EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(s.active.front(), 0u);
    for (uint32_t v = 0; v < r.rig->vcc->getVoices(); ++v)
        EXPECT_EQ(r.rig->vcc->getVoiceRecord(v)->state, k_voiceIdle) << v;
}

TEST(Pellor_ADSR, ARetriggerWithANewVelocityKeepsTheOutputContinuous)
{
    EnvRig::Options o;
    o.setup.resetFlag = true; // a note on a playing voice retriggers it
    EnvRig r(o);
    r.rig->setOwn(AM_VoiceCircuitMin::k_pMode, AM_VoiceCircuitMin::k_modeMono);
    r.set(E::k_pAttack, 30);
    r.set(E::k_pDecay, 30);
    r.set(E::k_pSustain, 60);
    r.set(E::k_pVelocity, 100);
    r.rig->note(64, 127);
    r.rig->runSeconds(1.0);
    const int32_t v = r.voiceOf(64);
    ASSERT_GE(v, 0);
    EXPECT_NEAR(r.voice(v).output, 0.6f, 1e-3f);
    r.rig->note(67, 40, 32); // in the middle of a block
    r.rig->runSeconds(1.0);
    ASSERT_EQ(r.voiceOf(67), v);
    const auto s = r.rec->series(v);
    float jump = 0.0f;
    for (size_t i = 1; i < s.values.size(); ++i)
        jump = std::max(jump, std::fabs(s.values[i] - s.values[i - 1]));
    EXPECT_LT(jump, 0.01f);
    // It settles at the new velocity's sustain.
    EXPECT_NEAR(s.values.back(), 0.6f * 40.0f / 127.0f, 1e-3f);
}

TEST(Pellor_ADSR, FallRiseGlidesThroughSustain)
{
    struct Case {
        float fallRise;
        float range;
        float settles; // output after a long sustain
    };
    for (const Case c :
         {Case{50, 100, 1.0f}, Case{-50, 100, 0.0f}, Case{50, 50, 0.65f}, Case{-50, 50, 0.145f}}) {
        SCOPED_TRACE(testing::Message() << c.fallRise << " " << c.range);
        EnvRig r;
        r.set(E::k_pAttack, 0);
        r.set(E::k_pDecay, 0);
        r.set(E::k_pSustain, 30);
        r.set(E::k_pFallRise, c.fallRise);
        r.set(E::k_pFallRiseRange, c.range);
        r.rig->note(64);
        r.rig->runSeconds(12.0);
        const int32_t v = r.voiceOf(64);
        const auto s = r.rec->series(v);
        EXPECT_NEAR(s.values.back(), c.settles, 0.012f);
        EXPECT_EQ(r.voice(v).stage, k_adsrSustain);
        // Rising or falling all the way.
        for (size_t i = 1; i < s.values.size(); ++i) {
            if (c.fallRise > 0)
                ASSERT_GE(s.values[i], s.values[i - 1]) << i;
            else
                ASSERT_LE(s.values[i], s.values[i - 1]) << i;
        }
    }
}

TEST(Pellor_ADSR, LoopRunsAttackDecayReleaseAttackAndTheVcaEnvelopeEndsAfterTheKey)
{
    testsupport::TraceCapture trace;
    EnvRig::Options o;
    o.withMixer = true;
    EnvRig r(o);
    r.set(E::k_pTrigger, 1); // "Loop"
    r.set(E::k_pAttack, 20);
    r.set(E::k_pDecay, 20);
    r.set(E::k_pSustain, 50);
    r.set(E::k_pRelease, 20);
    r.rig->note(64);
    r.rig->runSeconds(1.0); // about 0.35 s a round
    platform::flushTrace();
    const std::string text = trace.text();
    // Attack -> decay -> release -> attack (fall-rise 0 skips sustain).
    const size_t toDecay = text.find("Pellor_ADSRTrigger_Loop in 0\nout Stage 1\n");
    const size_t toRelease = text.find("Pellor_ADSRTrigger_Loop in 1\nout Stage 3\n");
    const size_t toAttack = text.find("Pellor_ADSRTrigger_Loop in 3\nmyObj->VCA\nout STage 0\n");
    ASSERT_NE(toDecay, std::string::npos) << text;
    ASSERT_NE(toRelease, std::string::npos);
    ASSERT_NE(toAttack, std::string::npos);
    EXPECT_LT(toDecay, toRelease);
    EXPECT_LT(toRelease, toAttack);
    EXPECT_GE(trace.count("out STage 0"), 2);

    const int32_t v = r.voiceOf(64);
    r.rig->off(64);
    r.rig->runSeconds(0.5);
    platform::flushTrace();
    EXPECT_TRUE(trace.contains("myObj->VCA\nout STage 4\n"));
    EXPECT_EQ(r.rig->vcc->getVoiceRecord(static_cast<uint32_t>(v))->state, k_voiceIdle);
}

TEST(Pellor_ADSR, TheTriggerListChoosesTheMode)
{
    EnvRig::Options o;
    o.vca = false;
    o.withLfo = true;
    EnvRig r(o);
    Pellor_ADSRGlobal* g = r.env->getGlobal();
    struct Step {
        float trigger;
        int32_t mode;
        bool listens; // to the LFO
    };
    // "Gate", "Single", "Loop", "LFO1", "LFO2" (not in this engine), "NOPE".
    const Step steps[] = {{1, k_adsrSingle, false},   {2, k_adsrLoop, false},
                          {3, k_adsrTriggered, true}, {5, k_adsrTriggered, false},
                          {3, k_adsrTriggered, true}, {0, k_adsrGate, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.trigger);
        r.set(E::k_pTrigger, s.trigger);
        EXPECT_EQ(g->triggerMode, s.mode);
        EXPECT_EQ(r.env->getTriggerModule(), s.listens ? r.lfo : nullptr);
    }
}

TEST(Pellor_ADSR, AnLfoRestartsTheEnvelopeAtEachCycleAndReleasesItAtMidCycle)
{
    EnvRig::Options o;
    o.vca = false;
    o.withLfo = true;
    EnvRig r(o);
    r.set(E::k_pTrigger, 3); // "LFO1"
    r.set(E::k_pAttack, 10);
    r.set(E::k_pDecay, 10);
    r.set(E::k_pSustain, 80);
    r.set(E::k_pRelease, 10);
    r.rig->set(r.lfo, AM_Lfo::k_pSync, -2); // 1 Hz
    r.rig->note(64);
    r.rig->runSeconds(3.6);
    const auto s = r.rec->series(r.voiceOf(64));
    // Held at 0.8 in the first half of each cycle, 0 in the second.
    auto at = [&](double seconds) {
        return s.values[static_cast<size_t>(seconds * kRate / kSamplesPerStep)];
    };
    for (double cycle : {1.0, 2.0, 3.0}) {
        SCOPED_TRACE(cycle);
        EXPECT_NEAR(at(cycle + 0.4), 0.8f, 1e-3f);
        EXPECT_NEAR(at(cycle - 0.1), 0.0f, 1e-3f);
    }
    // The note itself does not start it: the first half cycle rises only
    // once the LFO restarts it.
    EXPECT_EQ(s.values.front(), 0.0f);

    // Messages from anyone else are ignored.
    const int32_t v = r.voiceOf(64);
    const int32_t stage = r.voice(v).stage;
    r.rig->vcc->sendMessage(0, k_msgRestartAttack, E::kAllVoices, nullptr);
    r.rig->vcc->sendMessage(0, k_msgRelease, E::kAllVoices, nullptr);
    EXPECT_EQ(r.voice(v).stage, stage);
}

TEST(Pellor_ADSR, ARestartAfterTheEndStartsFromSilence)
{
    EnvRig::Options o;
    o.vca = false;
    o.withLfo = true;
    EnvRig r(o);
    r.set(E::k_pTrigger, 3); // "LFO1"
    r.set(E::k_pAttack, 30);
    r.set(E::k_pRelease, 5);
    r.rig->note(64);
    r.rig->run();
    const int32_t v = r.voiceOf(64);
    // Started and released by hand, as the LFO would.
    r.lfo->sendMessage(0, k_msgRestartAttack, static_cast<uint32_t>(v), nullptr);
    r.rig->runSeconds(0.3);
    r.lfo->sendMessage(0, k_msgRelease, static_cast<uint32_t>(v), nullptr);
    r.rig->runSeconds(0.3);
    ASSERT_EQ(r.voice(v).stage, k_adsrEnded);
    EXPECT_EQ(r.voice(v).level, 0.0f);
    EXPECT_EQ(r.voice(v).output, 0.0f);
    // With the key down the row stays active for the next restart.
    EXPECT_EQ(r.rec->series(v).active.back(), 1u);
    r.rec->clear();
    r.lfo->sendMessage(0, k_msgRestartAttack, static_cast<uint32_t>(v), nullptr);
    r.rig->run();
    const auto s = r.rec->series(v);
    EXPECT_LT(s.values.front(), 0.001f);
}

TEST(Pellor_ADSR, TheVcaEnvelopeRestartsOnlyVoicesWithTheKeyDown)
{
    EnvRig::Options o;
    o.withLfo = true;
    EnvRig r(o);
    r.set(E::k_pTrigger, 2); // "LFO1"
    r.set(E::k_pRelease, 100);
    r.rig->note(64);
    r.rig->note(67);
    r.rig->run();
    const int32_t held = r.voiceOf(64);
    const int32_t released = r.voiceOf(67);
    r.rig->off(67);
    r.rig->run();
    ASSERT_EQ(r.voice(released).stage, k_adsrRelease);
    r.voice(held).stage = k_adsrSustain;
    r.lfo->sendMessage(0, k_msgRestartAttack, E::kAllVoices, nullptr);
    EXPECT_EQ(r.voice(held).stage, k_adsrAttack);
    EXPECT_EQ(r.voice(released).stage, k_adsrRelease);
}

// ENV2 in Single mode; the first voice gets its note-off in the middle of a
// block (a split first stretch) or at the block's start.
std::vector<RowRecorder::Series> singleRun(uint32_t offFrame)
{
    EnvRig::Options o;
    o.vca = false;
    EnvRig r(o);
    r.set(E::k_pTrigger, 1); // "Single"
    r.set(E::k_pAttack, 40);
    r.set(E::k_pDecay, 40);
    r.set(E::k_pSustain, 30);
    r.rig->note(64);
    r.rig->run(5);
    r.rig->note(67);
    r.rig->run(5);
    r.rig->off(64, offFrame);
    r.rig->run(40);
    return {r.rec->series(r.voiceOf(64)), r.rec->series(r.voiceOf(67))};
}

TEST(Pellor_ADSR, SingleModeComputesOnceForAllVoicesAndWholeSubBlocks)
{
    const auto split = singleRun(32);
    const auto whole = singleRun(0);
    ASSERT_EQ(split[0].values.size(), whole[0].values.size());
    for (size_t i = 0; i < split[0].values.size(); ++i)
        ASSERT_EQ(split[0].values[i], whole[0].values[i]) << i;
    // Both voices receive the same values at the same steps; the second
    // voice's note did not restart the attack.
    const auto& a = split[0];
    const auto& b = split[1];
    for (size_t i = 0; i < b.steps.size(); ++i) {
        const auto at = std::find(a.steps.begin(), a.steps.end(), b.steps[i]);
        ASSERT_NE(at, a.steps.end());
        ASSERT_EQ(a.values[static_cast<size_t>(at - a.steps.begin())], b.values[i]) << i;
    }
    EXPECT_GT(b.values.front(), a.values.front());
}

TEST(Pellor_ADSR, SingleModeReleasesWhenEveryKeyIsUpAndRestartsAfterSilence)
{
    EnvRig::Options o;
    o.vca = false;
    EnvRig r(o);
    r.set(E::k_pTrigger, 1); // "Single"
    r.set(E::k_pAttack, 0);
    r.set(E::k_pDecay, 0);
    r.set(E::k_pSustain, 70);
    r.set(E::k_pRelease, 10);
    r.rig->note(64);
    r.rig->note(67);
    r.rig->run(2);
    r.rig->off(64);
    r.rig->run(2);
    EXPECT_EQ(r.voice(0).stage, k_adsrSustain); // one key still down
    r.rig->off(67);
    r.rig->run(2);
    EXPECT_EQ(r.voice(0).stage, k_adsrRelease);
    r.rig->runSeconds(0.2);
    EXPECT_EQ(r.voice(0).stage, k_adsrEnded);
    r.rig->note(72);
    r.rig->run();
    EXPECT_EQ(r.voice(0).stage, k_adsrSustain);
    EXPECT_NEAR(r.rec->series(r.voiceOf(72)).values.back(), 0.7f, 1e-6f);
}

TEST(Pellor_ADSR, TheRoutineAllocatesNothing)
{
    for (float trigger : {0.0f, 1.0f, 2.0f}) {
        EnvRig::Options o;
        o.withMixer = true;
        o.withLfo = true;
        EnvRig r(o);
        r.rig->collect = false;
        r.rec->recording = false;
        r.set(E::k_pTrigger, trigger);
        r.set(E::k_pSnappy, 1);
        r.set(E::k_pRateMod, 50);
        r.set(E::k_pRateSource, r.circuitSource(k_voiceRowKeyFollow));
        r.rig->run();
        platform::RealtimeScope realtime;
        testsupport::AllocationCounter counter;
        for (int32_t k = 0; k < 10; ++k) {
            r.rig->note(60 + k, 100, static_cast<uint32_t>(16 * (k % 4)));
            r.rig->run(40, 1 + k % 4);
            r.rig->off(60 + k, 16);
        }
        r.rig->run(2000);
        EXPECT_EQ(counter.count(), 0u) << trigger;
    }
}

} // namespace
