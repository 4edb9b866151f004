// Parameter changes from another thread while the audio thread plays notes:
// the changes reach the voice circuit only through the parameter manager's
// queue, so the circuit's state is touched by the audio thread alone.

#include "VoiceRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using P = AM_VoiceCircuitMin;

TEST(AM_VoiceCircuitThreads, ModeVoiceAndGlideChangesFromAnotherThreadWhileNotesPlay)
{
    voicetest::VoiceRig rig(voicetest::RigOptions{.minimal = false});
    rig.probe->recording = false;
    rig.run(); // from now on changes are queued
    std::atomic<bool> done{false};
    std::thread ui([&rig, &done] {
        for (int32_t i = 0; i < 3000 && !done.load(); ++i) {
            rig.set(P::k_pMode, static_cast<float>(i % 5));
            rig.set(P::k_pVoiceStack, static_cast<float>(1 + i % 3));
            rig.set(P::k_pVoices, static_cast<float>(i % 3));
            rig.set(P::k_pGlide, static_cast<float>(i % 100));
            std::this_thread::yield();
        }
    });
    for (int32_t b = 0; b < 3000; ++b) {
        rig.note(40 + b % 40, 100.0f, static_cast<uint32_t>(b % 4) * 16);
        if (b > 5)
            rig.off(40 + (b - 5) % 40);
        rig.run(1, 1 + b % 4);
    }
    done = true;
    ui.join();
    rig.run(4);
    for (uint32_t v = 0; v < rig.options.voices; ++v)
        EXPECT_LE(rig.voice(v).state, k_voiceStolen);
    EXPECT_TRUE(rig.vcc->getQueue()->linksIntact());
}

} // namespace
