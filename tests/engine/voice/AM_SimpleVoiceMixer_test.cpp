// The voice mixer inside the voice circuit, fed by a stand-in voice module
// that offers the VCA source: equal-power pan, level from the VCA row and its
// modulation, the click-free start, the fade of a stopped voice, the end of a
// voice and the cleared input row.

#include "AllocationCounter.h"
#include "ModuleRig.h"
#include "engine/voice/AM_SimpleVoiceMixer.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using modtest::ModuleRig;
using modtest::RowRecorder;
using modtest::TestVoiceSource;
using M = AM_SimpleVoiceMixer;

struct MixerRig {
    std::unique_ptr<ModuleRig> rig;
    TestVoiceSource* source = nullptr;
    AM_SimpleVoiceMixer* mixer = nullptr;
    RowRecorder* rec = nullptr;

    explicit MixerRig(uint32_t variant = M::kMonoVariant, uint32_t mode = 0)
    {
        rig = std::make_unique<ModuleRig>([&](ModuleRig& r) {
            source = new TestVoiceSource(&r, "SRC: Source", true);
            r.vcc->addChild(source);
            mixer = new AM_SimpleVoiceMixer(&r, "VCA1: VoiceMix1", variant, 0);
            mixer->setMode(mode);
            r.vcc->addChild(mixer);
            // After the mixer: it sees the VCA row as the mixer left it.
            rec = new RowRecorder(&r, "REC: Recorder", &r.clock);
            rec->watch(source);
            r.vcc->addChild(rec);
        });
    }
    void set(uint32_t local, float value) { rig->set(mixer, local, value); }
    int32_t source0() const { return static_cast<int32_t>(source->getFirstModSourceIndex()); }
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

TEST(AM_SimpleVoiceMixer, PansWithEqualPowerAcrossTheRange)
{
    struct Case {
        float pan;
        float panDepth; // times the source's row, which holds 1
        float volume;
        float position; // 0 left, 1 right
    };
    const Case cases[] = {
        {0, 0, 30, 0.5f},     {0, 0, 100, 0.5f},    {-100, 0, 100, 0.0f},
        {100, 0, 100, 1.0f},  {-50, 0, 100, 0.25f}, {50, 0, 70, 0.75f},
        {0, -100, 100, 0.0f}, {50, 100, 100, 1.0f}, {-20, 40, 100, 0.6f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pan << " + " << c.panDepth << " @" << c.volume);
        MixerRig m;
        m.set(M::k_pPan, c.pan);
        m.set(M::k_pPanSource, static_cast<float>(m.source0()));
        m.set(M::k_pPanDepth, c.panDepth);
        m.set(M::k_pVolume, c.volume);
        m.rig->note(60);
        m.rig->run(4);
        const float left = m.rig->left.back();
        const float right = m.rig->right.back();
        const float gain = c.volume / 100.0f;
        EXPECT_NEAR(left, std::sqrt(1.0f - c.position) * gain, 1e-5f);
        EXPECT_NEAR(right, std::sqrt(c.position) * gain, 1e-5f);
        EXPECT_NEAR(left * left + right * right, gain * gain, 1e-5f); // constant power
    }
    // The centre: 0.7071 x Vol / 100 on each side.
    MixerRig centre;
    centre.rig->note(60);
    centre.rig->run(4);
    EXPECT_NEAR(centre.rig->left.back(), 0.70711f * 0.30f, 1e-5f);
    EXPECT_NEAR(centre.rig->right.back(), 0.70711f * 0.30f, 1e-5f);
}

TEST(AM_SimpleVoiceMixer, TheLevelFollowsTheVcaRowAndItsModulation)
{
    struct Case {
        float vca;
        float modDepth; // the modulation source is the VCA row itself
        float level;
    };
    for (const Case c : {Case{1.0f, 0, 1.0f}, Case{0.5f, 0, 0.5f}, Case{0.5f, 100, 0.75f},
                         Case{0.5f, -100, 0.25f}, Case{0.0f, 100, 0.0f}}) {
        SCOPED_TRACE(testing::Message() << c.vca << " " << c.modDepth);
        MixerRig m;
        m.source->vcaLevel.fill(c.vca);
        m.set(M::k_pModSource, static_cast<float>(m.source0()));
        m.set(M::k_pModDepth, c.modDepth);
        m.set(M::k_pVolume, 100);
        m.rig->note(60);
        m.rig->run(4);
        EXPECT_NEAR(m.rig->left.back(), c.level * std::sqrt(0.5f), 1e-5f);
    }
}

TEST(AM_SimpleVoiceMixer, ANoteStartsFromSilenceWithoutAClick)
{
    for (uint32_t frame : {0u, 32u, 48u}) {
        SCOPED_TRACE(frame);
        MixerRig m;
        m.set(M::k_pVolume, 100);
        m.rig->run();
        m.rig->left.clear();
        m.rig->note(60, 100, frame);
        m.rig->run(2);
        const auto& out = m.rig->left;
        const float steady = std::sqrt(0.5f);
        for (uint32_t n = 0; n < frame; ++n)
            ASSERT_EQ(out[n], 0.0f) << n;
        // From 0 to the target within the stretch, rising all the way, in
        // small steps.
        const uint32_t ramp = k_rowSamples - frame;
        EXPECT_LT(out[frame], steady / 8);
        for (uint32_t n = frame + 1; n < frame + ramp; ++n) {
            ASSERT_GE(out[n], out[n - 1]) << n;
            ASSERT_LT(out[n] - out[n - 1], 2.5f * steady / static_cast<float>(ramp)) << n;
        }
        EXPECT_NEAR(out[k_rowSamples - 1], steady, 1e-5f);
        EXPECT_NEAR(out.back(), steady, 1e-5f);
    }
}

TEST(AM_SimpleVoiceMixer, AStoppedVoiceFadesOver512SamplesThenEnds)
{
    MixerRig m;
    m.set(M::k_pVolume, 100);
    m.rig->note(60);
    m.rig->run(4);
    const int32_t voice = m.voiceOf(60);
    ASSERT_GE(voice, 0);
    m.rig->left.clear();
    m.rig->ctx()->voiceEventReceivers->dispatchVoiceEvent(voice, k_voiceEventFastRelease, 0.0f,
                                                          0.0f, m.rig->ctx());
    int32_t blocks = 0;
    while (m.rig->vcc->getVoiceRecord(static_cast<uint32_t>(voice))->state != k_voiceIdle &&
           blocks < 100) {
        m.rig->run();
        ++blocks;
    }
    // 32 units: the voice ends with the 512th sample.
    EXPECT_EQ(blocks * k_rowSamples, 512);
    const auto& out = m.rig->left;
    const float steady = std::sqrt(0.5f);
    // Down to silence by the 512th sample, about linearly, never rising.
    ASSERT_EQ(out.size(), 512u);
    for (size_t n = 1; n < out.size(); ++n)
        ASSERT_LE(out[n], out[n - 1] + 1e-7f) << n;
    EXPECT_NEAR(out[247], steady * 0.5f, 0.01f);
    EXPECT_GT(out[490], 0.0f);
    EXPECT_LT(std::fabs(out[511]), 1e-6f);
    // The VCA row carried the fade.
    const auto row = m.rec->series(voice);
    EXPECT_EQ(row.values.back(), 0.0f);
}

TEST(AM_SimpleVoiceMixer, TheVoiceEndsWhenItsVcaRowIsNoLongerActive)
{
    struct Case {
        float volume;
        uint32_t active;
        bool ends;
    };
    for (const Case c : {Case{30, 1, false}, Case{0, 1, false}, Case{30, 0, true}}) {
        SCOPED_TRACE(testing::Message() << c.volume << " " << c.active);
        MixerRig m;
        m.set(M::k_pVolume, c.volume);
        m.rig->note(60);
        m.rig->run();
        const int32_t voice = m.voiceOf(60);
        ASSERT_GE(voice, 0);
        m.source->vcaActive[static_cast<size_t>(voice)] = c.active;
        m.rig->run();
        const bool idle =
            m.rig->vcc->getVoiceRecord(static_cast<uint32_t>(voice))->state == k_voiceIdle;
        EXPECT_EQ(idle, c.ends);
    }
}

TEST(AM_SimpleVoiceMixer, TheInputRowIsClearedForTheNextVoice)
{
    MixerRig m;
    m.set(M::k_pVolume, 100);
    m.rig->note(60);
    m.rig->note(64);
    m.rig->note(67);
    m.rig->run(4);
    // Three voices, each mixing a clean row of 1.0.
    EXPECT_NEAR(m.rig->left.back(), 3.0f * std::sqrt(0.5f), 1e-5f);
    const float* input = m.rig->ctx()->busBuffer + 2 * k_rowSamples;
    for (int32_t n = 0; n < k_rowSamples; ++n)
        ASSERT_EQ(input[n], 0.0f) << n;
}

TEST(AM_SimpleVoiceMixer, TheStereoVariantMixesTheInputPairByPanAlone)
{
    struct Case {
        float pan;
        float left;
        float right;
    };
    for (const Case c :
         {Case{0, std::sqrt(0.5f), std::sqrt(0.5f)}, Case{100, 0, 1}, Case{-100, 1, 0}}) {
        SCOPED_TRACE(c.pan);
        MixerRig m(M::kStereoVariant);
        m.source->stereo = true;
        m.source->input = 0.5f;
        m.source->rightInput = 0.25f;
        m.set(M::k_pPan, c.pan);
        m.set(M::k_pPanSource, static_cast<float>(m.source0()));
        m.set(M::k_pPanDepth, -100); // not used by this variant
        m.set(M::k_pVolume, 100);
        m.rig->note(60);
        m.rig->run(4);
        EXPECT_NEAR(m.rig->left.back(), 0.5f * c.left, 1e-5f);
        EXPECT_NEAR(m.rig->right.back(), 0.25f * c.right, 1e-5f);
        const float* input = m.rig->ctx()->busBuffer + 2 * k_rowSamples;
        for (int32_t n = 0; n < 2 * k_rowSamples; ++n)
            ASSERT_EQ(input[n], 0.0f) << n;
    }
}

TEST(AM_SimpleVoiceMixer, AModeShiftsTheInputRowAndWaitsForTheBitBeforeIt)
{
    // Mode 1 reads bus row 3, where the stand-in writes nothing.
    MixerRig m(M::kMonoVariant, 1);
    m.set(M::k_pVolume, 100);
    m.rig->note(60);
    m.rig->run(2);
    EXPECT_EQ(m.rig->left.back(), 0.0f);
    const int32_t voice = m.voiceOf(60);
    ASSERT_GE(voice, 0);
    // An ended VCA row alone does not end the voice: the module before the
    // mixer has not raised the voice-ended bit.
    m.source->vcaActive[static_cast<size_t>(voice)] = 0;
    m.rig->run(2);
    EXPECT_NE(m.rig->vcc->getVoiceRecord(static_cast<uint32_t>(voice))->state, k_voiceIdle);
}

TEST(AM_SimpleVoiceMixer, TheRoutineAllocatesNothing)
{
    MixerRig m;
    m.rig->collect = false;
    m.rec->recording = false;
    m.rig->run();
    platform::RealtimeScope realtime;
    testsupport::AllocationCounter counter;
    for (int32_t k = 0; k < 12; ++k) {
        m.rig->note(60 + k, 100, static_cast<uint32_t>(16 * (k % 4)));
        m.rig->run(10, 1 + k % 4);
    }
    m.rig->ctx()->voiceEventReceivers->dispatchVoiceEvent(0, k_voiceEventFastRelease, 0.0f, 0.0f,
                                                          m.rig->ctx());
    m.rig->run(100);
    EXPECT_EQ(counter.count(), 0u);
}

} // namespace
