// A voice of envelope, LFO, a stand-in voice module and the voice mixer in a
// bare audio manager, played in host blocks: the envelope's times reach the
// host's output whatever the blocks, notes start without a click, voices end
// with their envelope or fade when the voice circuit takes them away, and
// the LFO's delay does not depend on how the host cuts its blocks.

#include "../engine/EngineHarness.h"
#include "../engine/voice/ModuleRig.h"
#include "engine/voice/AM_Lfo.h"
#include "engine/voice/AM_SimpleVoiceMixer.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "synth/Pellor_ADSR.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

using E = Pellor_ADSR;
using L = AM_Lfo;
using M = AM_SimpleVoiceMixer;
using V = AM_VoiceCircuitMin;

constexpr double kRate = 44100.0;
const char kTriggers[][k_valueNameBytes] = {"Gate", "Loop", "LFO1", "LFO2"};

// The instrument's voice without its oscillators: the stand-in writes 1.0.
struct Chain {
    std::unique_ptr<enginetest::BareAudioMan> engine;
    AM_VoiceCircuitMin* vcc = nullptr;
    Pellor_ADSR* env = nullptr;
    AM_Lfo* lfo = nullptr;
    AM_SimpleVoiceMixer* mixer = nullptr;
    std::vector<float> left;

    Chain()
    {
        engine = enginetest::makeEngine({}, [this](enginetest::BareAudioMan& e) {
            vcc = new AM_VoiceCircuitMin(&e, "VCC: VoiceCircuit", 8, 1, 2, 2);
            vcc->useMinimalLayout();
            vcc->enableResetFlag();
            e.addModule(vcc);
            env = new Pellor_ADSR(&e, "ENV1: ADSR1", true);
            env->setTriggerList(kTriggers, 4);
            vcc->addChild(env);
            lfo = new AM_Lfo(&e, "LFO1: LFO1", true);
            lfo->clearModuleFlags(k_classSwitchable);
            lfo->setMode(1);
            vcc->addChild(lfo);
            vcc->addChild(new modtest::TestVoiceSource(&e, "SRC: Source", false));
            mixer = new AM_SimpleVoiceMixer(&e, "VCA1: VoiceMix1", M::kMonoVariant, 0);
            vcc->addChild(mixer);
        });
        setOwn(V::k_pDrift, 0);
    }

    // As the host changes a parameter: smoothed ones ramp over 50
    // sub-blocks, so tests let them arrive (settle) before they play.
    void set(AM_AudioObject* module, uint32_t local, float value)
    {
        engine->setParameter(engine->idOf(module, local), value, false);
    }
    void setOwn(uint32_t own, float value)
    {
        engine->setParameter(engine->idOf(vcc, vcc->getCircuitParameterCount() + own), value,
                             false);
    }
    void midi(int32_t kind, int32_t number, float value, float extra, uint32_t frame)
    {
        engine->getProcessContext()->midiReceivers->dispatchMidiEvent(kind, number, value, extra,
                                                                      frame);
    }
    // Renders `samples` in host blocks of `block`; `events` runs before the
    // block that holds host sample `at` with the frame within that block.
    using Events = std::function<void(Chain&, uint32_t)>;
    void play(int32_t samples, int32_t block, int32_t at = -1, const Events& events = {})
    {
        std::vector<float> l(static_cast<size_t>(block));
        std::vector<float> r(static_cast<size_t>(block));
        for (int32_t done = 0; done < samples; done += block) {
            if (events && at >= done && at < done + block)
                events(*this, static_cast<uint32_t>(at - done));
            enginetest::runHostBlock(*engine, static_cast<uint32_t>(block), nullptr, nullptr,
                                     l.data(), r.data());
            left.insert(left.end(), l.begin(), l.end());
        }
    }
    void settle(int32_t block)
    {
        play(8192, block);
        left.clear();
    }
    bool allIdle() const
    {
        for (uint32_t v = 0; v < vcc->getVoices(); ++v)
            if (vcc->getVoiceRecord(v)->state != k_voiceIdle)
                return false;
        return true;
    }
};

int64_t firstAtLeast(const std::vector<float>& x, float value, size_t from = 0)
{
    for (size_t i = from; i < x.size(); ++i)
        if (x[i] >= value)
            return static_cast<int64_t>(i);
    return -1;
}

int64_t firstNonZero(const std::vector<float>& x, size_t from = 0)
{
    for (size_t i = from; i < x.size(); ++i)
        if (x[i] != 0.0f)
            return static_cast<int64_t>(i);
    return -1;
}

TEST(VoiceChainEngine, TheEnvelopesTimesReachTheOutputWhateverTheHostBlocks)
{
    const float peak = std::sqrt(0.5f) * 0.30f; // centre, "Vol" 30
    const double attack = 0.4423 * 20.0 * std::pow(0.3, 3.0);
    const double release = std::log(1.0 / 101.0) / std::log(0.01) * 20.0 * std::pow(0.4, 3.0);
    for (int32_t block : {16, 64, 100, 512}) {
        SCOPED_TRACE(block);
        Chain c;
        c.set(c.env, E::k_pAttack, 30);
        c.set(c.env, E::k_pDecay, 0);
        c.set(c.env, E::k_pSustain, 100);
        c.set(c.env, E::k_pRelease, 40);
        c.settle(block);
        c.play(1024, block);
        const int64_t noteAt = static_cast<int64_t>(c.left.size()) + 16;
        c.play(16384, block, 16, [](Chain& ch, uint32_t frame) { ch.midi(0, 0, 64, 100, frame); });
        const int64_t onset = firstNonZero(c.left);
        ASSERT_GE(onset, noteAt - 16);
        EXPECT_LE(onset, noteAt + 16);
        // No click: the first samples rise from nearly nothing.
        EXPECT_LT(c.left[static_cast<size_t>(onset)], peak * 1e-3f);
        const int64_t top = firstAtLeast(c.left, peak * (1.0f - 1e-6f));
        ASSERT_GT(top, onset);
        EXPECT_NEAR(static_cast<double>(top - onset), attack * kRate, 16 + 0.01 * attack * kRate);

        const size_t offAt = c.left.size();
        c.play(2048, block, 0, [](Chain& ch, uint32_t frame) { ch.midi(0, 0, 64, 0, frame); });
        c.play(static_cast<int32_t>(release * kRate) + 4096, block);
        // The envelope ends, and with it the voice: silence from then on.
        int64_t last = -1;
        for (size_t i = offAt; i < c.left.size(); ++i)
            if (c.left[i] != 0.0f)
                last = static_cast<int64_t>(i);
        ASSERT_GT(last, 0);
        EXPECT_NEAR(static_cast<double>(last - static_cast<int64_t>(offAt)), release * kRate,
                    64 + 0.01 * release * kRate);
        EXPECT_TRUE(c.allIdle());
    }
}

TEST(VoiceChainEngine, VoicesTakenAwayFadeOver512Samples)
{
    for (int32_t block : {16, 64, 512}) {
        SCOPED_TRACE(block);
        Chain c;
        c.set(c.env, E::k_pAttack, 0);
        c.set(c.env, E::k_pDecay, 0);
        c.set(c.env, E::k_pRelease, 100); // 20 s: only the fade can end them
        c.settle(block);
        c.play(512, block, 0, [](Chain& ch, uint32_t) {
            ch.midi(0, 0, 60, 100, 0);
            ch.midi(0, 0, 64, 100, 0);
        });
        c.play(4096, block);
        const float full = c.left.back();
        ASSERT_GT(full, 0.0f);
        // A mode change from the host takes every playing voice away.
        c.setOwn(V::k_pMode, V::k_modeLegato);
        const size_t from = c.left.size();
        c.play(2048, block);
        // Parameter changes land at the next block; the fade takes 512
        // samples from there.
        const int64_t silent = [&] {
            for (size_t i = from; i + 1 < c.left.size(); ++i)
                if (c.left[i] == 0.0f && c.left[i + 1] == 0.0f)
                    return static_cast<int64_t>(i - from);
            return int64_t{-1};
        }();
        ASSERT_GE(silent, 0);
        EXPECT_LE(silent, 512 + block + 16);
        EXPECT_GE(silent, 480);
        for (size_t i = from + 1; i < c.left.size(); ++i)
            ASSERT_LE(c.left[i], c.left[i - 1] + 1e-6f) << i - from;
        EXPECT_TRUE(c.allIdle());
    }
}

TEST(VoiceChainEngine, TheLfoDelayDoesNotDependOnTheHostBlocks)
{
    // The LFO raises the mixer's level by its value: a square at +1 fading
    // in over Dly^3 = 0.1 s doubles the output.
    const float delay = 100.0f * std::cbrt(0.1f);
    int64_t reference = -1;
    for (int32_t block : {16, 48, 64, 100, 512, 1000}) {
        SCOPED_TRACE(block);
        Chain c;
        c.set(c.env, E::k_pAttack, 0);
        c.set(c.env, E::k_pDecay, 0);
        c.set(c.lfo, L::k_pWave, L::k_waveSquareHighLow);
        c.set(c.lfo, L::k_pSync, -1); // "10s": +1 for 5 s
        c.set(c.lfo, L::k_pDepth, 0);
        c.set(c.lfo, L::k_pDelay, delay);
        c.set(c.mixer, M::k_pModSource, static_cast<float>(c.lfo->getFirstModSourceIndex()));
        c.set(c.mixer, M::k_pModDepth, 100);
        c.settle(block);
        c.play(8192, block, 0, [](Chain& ch, uint32_t) { ch.midi(0, 0, 64, 100, 0); });
        const int64_t onset = firstNonZero(c.left);
        const float base = std::sqrt(0.5f) * 0.30f;
        const int64_t full = firstAtLeast(c.left, 2.0f * base * (1.0f - 1e-5f));
        ASSERT_GE(onset, 0);
        ASSERT_GT(full, onset);
        EXPECT_NEAR(static_cast<double>(full - onset), 0.1 * kRate, 16);
        if (reference < 0)
            reference = full - onset;
        EXPECT_NEAR(static_cast<double>(full - onset), static_cast<double>(reference), 4);
    }
}

} // namespace
