// The LFO inside the voice circuit: rates, waveforms, restarts, the delay
// fade-in, depth from the mod wheel, the cycle messages and the single
// trigger's shared row.

#include "AllocationCounter.h"
#include "ModuleRig.h"
#include "engine/voice/AM_Lfo.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using modtest::MessageLog;
using modtest::ModuleRig;
using modtest::RigSetup;
using modtest::RowRecorder;
using L = AM_Lfo;

constexpr double kRate = 44100.0;
constexpr int32_t kSamplesPerStep = k_samplesPerUnit / k_stepsPerUnit;

struct LfoRig {
    std::unique_ptr<ModuleRig> rig;
    AM_Lfo* lfo = nullptr;
    AM_Lfo* second = nullptr;
    RowRecorder* rec = nullptr;

    // An LFO (and optionally a second one) followed by a recorder watching
    // both.
    explicit LfoRig(const char* name = "LFO2: LFO2", uint32_t mode = 1, bool shared = true,
                    bool withSecond = false, uint32_t secondMode = 1)
    {
        rig = std::make_unique<ModuleRig>([&](ModuleRig& r) {
            lfo = add(r, name, mode, shared);
            if (withSecond)
                second = add(r, "LFO3: LFO3", secondMode, shared);
            rec = new RowRecorder(&r, "REC: Recorder", &r.clock);
            rec->watch(lfo);
            if (second)
                rec->watch(second);
            r.vcc->addChild(rec);
        });
    }

    static AM_Lfo* add(ModuleRig& r, const char* name, uint32_t mode, bool shared)
    {
        auto* l = new AM_Lfo(&r, name, shared);
        l->clearModuleFlags(k_classSwitchable);
        l->setMode(mode);
        r.vcc->addChild(l);
        return l;
    }

    void set(uint32_t local, float value)
    {
        rig->set(lfo, local, value);
        if (second)
            rig->set(second, local, value);
    }
    // The voice a key sounds on.
    int32_t voiceOf(int32_t key) const
    {
        for (uint32_t v = 0; v < rig->vcc->getVoices(); ++v) {
            const AM_VoiceRecord* r = rig->vcc->getVoiceRecord(v);
            if (r->state != k_voiceIdle && r->key == key - 12)
                return static_cast<int32_t>(v);
        }
        return -1;
    }
};

// Cycles per second of a rising saw, from its unwrapped rise.
double sawHertz(const std::vector<float>& values)
{
    double cycles = 0.0;
    for (size_t i = 1; i < values.size(); ++i) {
        double d = (values[i] - values[i - 1]) / 2.0;
        if (d < 0.0)
            d += 1.0;
        cycles += d;
    }
    const double seconds = static_cast<double>(values.size() - 1) * kSamplesPerStep / kRate;
    return cycles / seconds;
}

TEST(AM_Lfo, TheNameChoosesTheDefaultNoteValueAndDepth)
{
    struct Case {
        const char* name;
        float sync;
        float depth;
    };
    const Case cases[] = {{"LFO1: LFO1", 2, 100}, // "1/16", full depth modulation
                          {"LFO2: LFO2", 6, 0},   // "1/1", none
                          {"1LFO: Other", 6, 0},  // a '1' only at the start does not count
                          {"LFO: Mod1", 2, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AM_Lfo lfo(nullptr, c.name, true);
        EXPECT_EQ(lfo.getParameterTemplate(L::k_pSync)->defaultValue, c.sync);
        EXPECT_EQ(lfo.getParameterTemplate(L::k_pDepth)->defaultValue, c.depth);
    }
    AM_Lfo single(nullptr, "LFO1: Bars", false);
    EXPECT_EQ(single.getParameterTemplate(L::k_pSync)->defaultValue, 2.0f);
    EXPECT_EQ(single.getParameterTemplate(L::k_pDelay), nullptr);
}

TEST(AM_Lfo, TheSingleFormCountsBarsToRestart)
{
    AM_Lfo lfo(nullptr, "LFO: Bars", false);
    AM_ValueNames names = nullptr;
    ASSERT_EQ(lfo.getValueStrings(L::k_pTrigger, &names), 33);
    EXPECT_STREQ(names[0], "off");
    EXPECT_STREQ(names[1], "each bar");
    EXPECT_STREQ(names[2], "2 bars");
    EXPECT_STREQ(names[32], "32 bars");
    EXPECT_EQ(lfo.getParameterTemplate(L::k_pTrigger)->max, 32.0f);
    AM_Lfo shared(nullptr, "LFO: Shared", true);
    ASSERT_EQ(shared.getValueStrings(L::k_pTrigger, &names), 3);
    EXPECT_STREQ(names[2], "single");
}

TEST(AM_Lfo, FreeAndTempoLockedRates)
{
    struct Case {
        float sync;
        float rate;
        double tempo;
        float rateDepth; // octaves per unit of the mod wheel, which is at 1
        double hertz;
    };
    const Case cases[] = {
        {-3, 0, 120, 0, 10.0},        // "0.1s"
        {-2, 0, 120, 0, 1.0},         // "1s"
        {-1, 0, 120, 0, 0.1},         // "10s"
        {-2, 1, 120, 0, 2.0},         // x 2^Rate
        {-2, -3, 120, 0, 0.125},      //
        {-3, 0, 60, 0, 10.0},         // free rates ignore the tempo
        {-2, 0, 120, 1, 2.0},         // rate modulation from the wheel
        {-2, 0.5f, 120, -1.5f, 0.5},  //
        {2, 0, 120, 0, 8.0},          // "1/16"
        {2, 0, 60, 0, 4.0},           //
        {6, 0, 120, 0, 0.5},          // "1/1"
        {8, 0, 120, 0, 8.0 * 2 / 3},  // "1/16 dot"
        {11, 0, 120, 0, 1.0 * 2 / 3}, // "1/2 dot"
        {12, 0, 120, 0, 8.0 * 3 / 2}, // "1/16 trip"
        {16, 0, 120, 0, 0.5 * 3 / 2}, // "1/1 trip"
        {17, 0, 120, 0, 0.25},        // "2/1"
        {23, 0, 120, 0, 0.0625},      // "8/1"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sync << " rate " << c.rate << " tempo " << c.tempo
                                        << " depth " << c.rateDepth);
        LfoRig r;
        r.rig->ctx()->tempo = c.tempo;
        r.set(L::k_pSync, c.sync);
        r.set(L::k_pRate, c.rate);
        r.set(L::k_pWave, L::k_waveSawUp);
        r.set(L::k_pDepth, 0);
        r.set(L::k_pRateSource, 1); // the mod wheel
        r.set(L::k_pRateDepth, c.rateDepth);
        r.rig->modWheel(1.0f);
        r.rig->run(); // the wheel arrives within one block
        r.rig->note(60);
        r.rig->run();
        r.rec->clear();
        r.rig->runSeconds(2.0);
        const auto s = r.rec->series(r.voiceOf(60));
        ASSERT_GT(s.values.size(), 1000u);
        EXPECT_NEAR(sawHertz(s.values), c.hertz, c.hertz * 5e-4);
    }
}

TEST(AM_Lfo, FastRatesNeverRunAway)
{
    // 1/64 at 999 BPM, 32 times faster: about 25 cycles per control step.
    for (uint32_t mode : {0u, 1u}) {
        SCOPED_TRACE(mode);
        LfoRig r("LFO2: LFO2", mode);
        r.rig->ctx()->tempo = 999.0;
        r.set(L::k_pSync, 0);
        r.set(L::k_pRate, 5);
        r.set(L::k_pRateSource, 1);
        r.set(L::k_pRateDepth, 5);
        r.set(L::k_pDepth, 0);
        r.set(L::k_pWave, L::k_waveSine);
        r.rig->modWheel(1.0f);
        r.rig->note(60);
        r.rig->run(2000);
        const AM_LfoVoice* v = r.lfo->getVoice(static_cast<uint32_t>(r.voiceOf(60)));
        EXPECT_GE(v->phase, 0.0);
        EXPECT_LT(v->phase, 1.0);
        EXPECT_GE(v->offsetPhase, 0.0);
        EXPECT_LT(v->offsetPhase, 1.0);
        for (const auto& step : r.rec->steps)
            ASSERT_LE(std::fabs(step.values[0]), 1.0f) << step.step;
    }
}

TEST(AM_Lfo, EachWaveformStartsANoteAtItsPhaseOffset)
{
    // "1/1" at 120 BPM: the phase moves 4.5e-5 per step, so the first value
    // lies at the offset.
    struct Case {
        int32_t wave;
        float phase; // percent
        float first;
    };
    const Case cases[] = {
        {L::k_waveSine, 25, 1.0f},           {L::k_waveSine, 0, 0.0f},
        {L::k_waveTriangle, 0, -1.0f},       {L::k_waveTriangle, 50, 1.0f},
        {L::k_waveSawUp, 25, -0.5f},         {L::k_waveSawDown, 25, 0.5f},
        {L::k_waveSquareHighLow, 25, 1.0f},  {L::k_waveSquareHighLow, 50, -1.0f},
        {L::k_waveSquareLowHigh, 25, -1.0f}, {L::k_waveSquareLowHigh, 75, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wave << " @" << c.phase);
        LfoRig r;
        r.set(L::k_pWave, static_cast<float>(c.wave));
        r.set(L::k_pPhase, c.phase);
        r.set(L::k_pDepth, 0);
        r.rig->note(60);
        r.rig->run();
        const auto s = r.rec->series(r.voiceOf(60));
        ASSERT_FALSE(s.values.empty());
        EXPECT_NEAR(s.values[0], c.first, 1e-3f);
    }
}

TEST(AM_Lfo, EveryNoteRestartsThePhaseInGateMode)
{
    LfoRig r;
    r.set(L::k_pSync, -2); // 1 Hz
    r.set(L::k_pWave, L::k_waveSawUp);
    r.set(L::k_pDepth, 0);
    r.rig->note(60);
    r.rig->run(300);
    r.rig->note(64, 100, 32); // in the middle of a block
    r.rig->run(3);
    const auto early = r.rec->series(r.voiceOf(60));
    const auto late = r.rec->series(r.voiceOf(64));
    const float first = static_cast<float>(2.0 * 4.0 / kRate - 1.0); // phase = one step
    EXPECT_NEAR(early.values.front(), first, 1e-5f);
    EXPECT_NEAR(late.values.front(), first, 1e-5f);
    EXPECT_GT(early.values.back(), late.values.back() + 0.5f);
}

TEST(AM_Lfo, SyncRestartLinesUpWithTheSongAndSurvivesTempoZero)
{
    struct Case {
        double tempo;
        float sync;
        bool linesUp; // else: a free rate without a tempo restarts at phase 0
    };
    const Case cases[] = {{120.0, 2, true}, {0.0, 2, true}, {97.0, -3, true}, {0.0, -2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tempo << " " << c.sync);
        LfoRig r;
        r.rig->ctx()->tempo = c.tempo;
        r.rig->ctx()->songPosition = 37.3;
        r.set(L::k_pTrigger, L::k_restartSync);
        r.set(L::k_pSync, c.sync);
        r.set(L::k_pWave, L::k_waveSawUp);
        r.set(L::k_pDepth, 0);
        r.rig->note(60);
        r.rig->run(10);
        r.rig->note(67);
        r.rig->run(10);
        const auto a = r.rec->series(r.voiceOf(60));
        const auto b = r.rec->series(r.voiceOf(67));
        ASSERT_EQ(a.values.size(), 320u);
        ASSERT_EQ(b.values.size(), 160u);
        for (float v : a.values)
            ASSERT_TRUE(std::isfinite(v));
        if (!c.linesUp) {
            const float first = static_cast<float>(2.0 * 4.0 / kRate - 1.0);
            EXPECT_NEAR(a.values[0], first, 1e-5f);
            EXPECT_NEAR(b.values[0], first, 1e-5f);
            continue;
        }
        // Both voices stand where the song says.
        for (size_t i = 0; i < b.values.size(); ++i)
            ASSERT_NEAR(b.values[i], a.values[i + 160], 1e-4f) << i;
        if (c.sync >= 0) {
            // "1/16": 4 cycles per beat; the first step lies one step into
            // the song after position 37.3.
            const double beats = 37.3 + 4.0 / kRate * c.tempo / 60.0;
            const double phase = beats * 4.0 - std::floor(beats * 4.0);
            EXPECT_NEAR(a.values[0], 2.0 * phase - 1.0, 1e-3);
        }
    }
}

TEST(AM_Lfo, TheDelayFadesInOverItsTimeWhateverTheSubBlocks)
{
    // Dly 46.416: (0.46416)^3 = 0.1 s = 4410 samples.
    const float delay = 100.0f * std::cbrt(0.1f);
    const int32_t fade = 4410;
    for (uint32_t mode : {0u, 1u}) {
        for (int32_t units = 1; units <= k_maxUnitsPerBlock; ++units) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << ", units " << units);
            LfoRig r("LFO2: LFO2", mode);
            r.set(L::k_pDelay, delay);
            r.set(L::k_pDepth, 0);
            r.set(L::k_pWave, L::k_waveSquareHighLow);
            r.set(L::k_pSync, -1); // slow: the square holds +1
            r.rig->note(60);
            // Near half-way, at a time every cut reaches.
            const int32_t halfWay = 11 * 192;
            int32_t samples = 0;
            float half = -1.0f;
            const AM_LfoVoice* v = nullptr;
            while (samples < 2 * fade) {
                r.rig->run(1, units);
                samples += units * k_samplesPerUnit;
                if (!v)
                    v = r.lfo->getVoice(static_cast<uint32_t>(r.voiceOf(60)));
                if (samples == halfWay)
                    half = v->delayRamp;
                if (v->delayRamp >= 1.0f)
                    break;
            }
            EXPECT_NEAR(half, halfWay / static_cast<float>(fade), 2e-3f);
            EXPECT_NEAR(samples, fade, 4 * k_samplesPerUnit);
            if (mode == 1) {
                // The row reaches full depth at the same time.
                const auto s = r.rec->series(r.voiceOf(60));
                const auto full = std::find_if(s.values.begin(), s.values.end(),
                                               [](float v) { return v >= 1.0f - 1e-6f; });
                ASSERT_NE(full, s.values.end());
                EXPECT_NEAR((full - s.values.begin() + 1) * kSamplesPerStep, fade, 8);
            }
        }
    }
}

TEST(AM_Lfo, TheFirstLfoIsSilentUntilTheModWheelMoves)
{
    LfoRig r("LFO1: LFO1");
    r.rig->note(60);
    r.rig->run(200);
    for (const auto& step : r.rec->steps)
        ASSERT_EQ(step.values[0], 0.0f);
    r.rig->modWheel(0.5f);
    r.rig->run(200);
    float peak = 0.0f;
    for (const auto& step : r.rec->steps)
        peak = std::max(peak, std::fabs(step.values[0]));
    EXPECT_NEAR(peak, 0.5f, 0.01f);
}

TEST(AM_Lfo, CycleMessagesRestartAtEachCycleAndReleaseAtMidCycle)
{
    struct Case {
        uint32_t mode;
        bool shared;
        bool releases;
    };
    for (const Case c : {Case{1, true, true}, Case{0, true, false}, Case{1, false, true}}) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.shared);
        LfoRig r("LFO2: LFO2", c.mode, c.shared);
        MessageLog log(r.rig->host());
        r.set(L::k_pSync, -3); // 10 Hz
        if (c.shared)
            r.set(L::k_pDepth, 0);
        r.rig->note(60);
        r.rig->run();
        log.entries.clear();
        r.rig->runSeconds(1.0);
        const uint32_t arg = c.shared ? static_cast<uint32_t>(r.voiceOf(60)) : L::kAllVoices;
        EXPECT_NEAR(log.count(k_msgRestartAttack, arg), 10, 1);
        EXPECT_NEAR(log.count(k_msgRelease, arg), c.releases ? 10 : 0, c.releases ? 1 : 0);
        for (const auto& e : log.entries) {
            if (e.message == k_msgRestartAttack || e.message == k_msgRelease) {
                EXPECT_EQ(e.sender, r.lfo);
            }
        }
    }
}

TEST(AM_Lfo, ThePerBlockRoutineFollowsThePerStepOneSmoothly)
{
    LfoRig r("LFO2: LFO2", 0, true, true, 1);
    r.set(L::k_pSync, -2); // 1 Hz
    r.set(L::k_pWave, L::k_waveSine);
    r.set(L::k_pDepth, 0);
    r.rig->note(60);
    r.rig->runSeconds(2.0);
    const auto perBlock = r.rec->series(r.voiceOf(60), 0);
    const auto perStep = r.rec->series(r.voiceOf(60), 1);
    // After the smoother has settled: within the lag of a ramp one block
    // behind and the smoother (its coefficient, made for the sample rate,
    // runs per control step), and no jumps.
    float worst = 0.0f;
    float jump = 0.0f;
    for (size_t i = 2000; i < perStep.values.size(); ++i) {
        worst = std::max(worst, std::fabs(perBlock.values[i] - perStep.values[i]));
        jump = std::max(jump, std::fabs(perBlock.values[i] - perBlock.values[i - 1]));
    }
    EXPECT_LT(worst, 0.08f);
    EXPECT_LT(jump, 0.002f);
    EXPECT_EQ(r.lfo->getGlobal()->meter, perBlock.values.back());
}

TEST(AM_Lfo, RandomShapesHoldOrGlideForHalfACycle)
{
    for (int32_t wave : {L::k_waveRandomHold, L::k_waveRandomGlide}) {
        SCOPED_TRACE(wave);
        LfoRig r;
        r.set(L::k_pSync, -3); // 10 Hz: 20 half cycles a second
        r.set(L::k_pWave, static_cast<float>(wave));
        r.set(L::k_pDepth, 0);
        r.rig->note(60);
        r.rig->runSeconds(1.0);
        const auto s = r.rec->series(r.voiceOf(60));
        int changes = 0;
        float jump = 0.0f;
        for (size_t i = 1; i < s.values.size(); ++i) {
            ASSERT_GE(s.values[i], -1.0f);
            ASSERT_LE(s.values[i], 1.0f);
            changes += s.values[i] != s.values[i - 1] ? 1 : 0;
            jump = std::max(jump, std::fabs(s.values[i] - s.values[i - 1]));
        }
        if (wave == L::k_waveRandomHold) {
            EXPECT_NEAR(changes, 20, 1);
        } else {
            // At most 2 per half cycle: 4 x 10 Hz x 4 / 44100 per step.
            EXPECT_LE(jump, 4.0f * 10.0f * 4.0f / 44100.0f + 1e-5f);
            EXPECT_GT(changes, 1000);
        }
    }
}

// Voice of key 60 gets its note-off in the middle of a block (its first run
// in that block is a split stretch) or at the block's start; the single
// LFO must not notice.
std::vector<RowRecorder::Series> singleTriggerRun(uint32_t mode, uint32_t offFrame)
{
    LfoRig r("LFO2: LFO2", mode);
    r.set(L::k_pTrigger, L::k_restartSingle);
    r.set(L::k_pSync, -3);
    r.set(L::k_pWave, L::k_waveSawUp);
    r.set(L::k_pDepth, 0);
    r.rig->note(60);
    r.rig->run(10);
    r.rig->note(64);
    r.rig->run(10);
    r.rig->off(60, offFrame);
    r.rig->run(30);
    return {r.rec->series(r.voiceOf(60)), r.rec->series(r.voiceOf(64))};
}

TEST(AM_Lfo, ASingleTriggerFeedsEveryVoiceTheSameRowForTheWholeSubBlock)
{
    for (uint32_t mode : {0u, 1u}) {
        SCOPED_TRACE(mode);
        const auto split = singleTriggerRun(mode, 32);
        const auto whole = singleTriggerRun(mode, 0);
        ASSERT_EQ(split[0].values.size(), whole[0].values.size());
        for (size_t i = 0; i < split[0].values.size(); ++i)
            ASSERT_EQ(split[0].values[i], whole[0].values[i]) << i;
        // Every voice receives the same row at the same step.
        const auto& a = split[0];
        const auto& b = split[1];
        for (size_t i = 0; i < b.steps.size(); ++i) {
            const auto at = std::find(a.steps.begin(), a.steps.end(), b.steps[i]);
            ASSERT_NE(at, a.steps.end());
            ASSERT_EQ(a.values[static_cast<size_t>(at - a.steps.begin())], b.values[i]) << i;
        }
        // And it keeps moving for the second voice.
        EXPECT_NE(b.values.front(), b.values.back());
    }
}

TEST(AM_Lfo, TheSingleTriggerRestartsOnlyAfterSilence)
{
    LfoRig r;
    r.set(L::k_pTrigger, L::k_restartSingle);
    r.set(L::k_pSync, -2);
    r.set(L::k_pDepth, 0);
    r.rig->note(60);
    r.rig->run(50);
    const double before = r.lfo->getVoice(0)->phase;
    r.rig->note(64); // another voice: no restart
    r.rig->run();
    EXPECT_GT(r.lfo->getVoice(0)->phase, before);
    r.rig->off(60);
    r.rig->off(64);
    r.rig->run(200); // the gate rows run out; message 53, silence
    r.rig->note(67); // message 52 first: the shared LFO restarts
    r.rig->run();
    EXPECT_NEAR(r.lfo->getVoice(0)->phase, 16 * 4.0 / kRate, 1e-9);
}

TEST(AM_Lfo, TheRoutinesAllocateNothing)
{
    for (uint32_t mode : {0u, 1u}) {
        for (int32_t trigger :
             {L::k_restartSync, L::k_restartGate, L::k_restartSingle, L::k_restartRandom}) {
            LfoRig r("LFO1: LFO1", mode);
            r.rig->collect = false;
            r.rec->recording = false;
            r.set(L::k_pTrigger, static_cast<float>(trigger));
            r.set(L::k_pWave, L::k_waveRandomGlide);
            r.set(L::k_pDelay, 30);
            r.rig->run();
            platform::RealtimeScope realtime;
            testsupport::AllocationCounter counter;
            r.rig->modWheel(1.0f);
            for (int32_t k = 0; k < 8; ++k) {
                r.rig->note(60 + k, 100, static_cast<uint32_t>(16 * k));
                r.rig->run(20, 1 + k % 4);
            }
            r.rig->run(500);
            EXPECT_EQ(counter.count(), 0u) << mode << " " << trigger;
        }
    }
}

} // namespace
