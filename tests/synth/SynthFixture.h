#pragma once
// The headless instrument for tests: the synth's audio manager with the
// instrument's plug-in ID, at a sample rate, initialised and resumed as the
// plug-in would, driven through SynthHost. Drift is switched off unless the
// test keeps it, so that pitches are exact.

#include "SynthHost.h"
#include "synth/KestanAudio.h"
#include "synth/Synth_AudioMan.h"

#include <memory>

namespace synthtest {

struct SynthOptions {
    bool drift = false;
};

inline std::unique_ptr<SynthHost> makeSynth(float sampleRate = kRate, SynthOptions options = {})
{
    auto engine = std::make_unique<Synth_AudioMan>(Synth_AudioMan::kPluginId);
    engine->setHostName("test host");
    engine->setSampleRate(sampleRate);
    engine->init();
    engine->reset();
    auto host = std::make_unique<SynthHost>(std::move(engine));
    if (!options.drift)
        host->set("VCC", "Drft", 0.0f);
    return host;
}

inline Synth_AudioMan& synthOf(SynthHost& host)
{
    return static_cast<Synth_AudioMan&>(host.engine());
}

} // namespace synthtest
