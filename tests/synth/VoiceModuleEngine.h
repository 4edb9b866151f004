#pragma once
// The voice module alone in a voice circuit, for tests that look at what it
// writes before anything else touches it: a bare audio manager with the
// voice circuit of the instrument (8 voices, minimal layout, reset flag) and
// in it the voice module followed by a bus tap. The tap adds the voice's two
// bus rows to the stereo output, remembers whether every sample it saw was
// finite and how large the largest was, and ends a voice once its gate row is
// no longer active (as the voice mixer would once the envelope has ended).

#include "SynthHost.h"
#include "engine/voice/AM_VoiceCircuitMin.h"
#include "engine/voice/AM_VoiceEvents.h"
#include "synth/KestanAudio.h"

#include <cmath>
#include <memory>

namespace synthtest {

class BusTap : public AM_AudioObject {
public:
    BusTap(AM_EngineOwner* owner, AM_VoiceCircuitMin* circuit)
        : AM_AudioObject(owner, "TAP: BusTap"), circuit_(circuit)
    {
        setModuleFlags(k_classPolyByCopies, 0, 1, 0, 0);
    }
    uint32_t getVoiceMemorySize() override { return 0; }
    uint32_t getGlobalMemorySize() override { return 0; }
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext*) override { return routine; }

    bool allFinite = true;
    float largest = 0.0f;
    int64_t samplesSeen = 0;

private:
    static void routine(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* ctx)
    {
        auto* self = static_cast<BusTap*>(record->object);
        for (uint32_t ch = 0; ch < 2; ++ch) {
            const float* in = ctx->busBuffer + (record->inputRow + ch) * k_rowSamples;
            float* out = ctx->busBuffer + ch * k_rowSamples;
            for (int32_t n = *start * k_samplesPerUnit; n < (*start + *length) * k_samplesPerUnit;
                 ++n) {
                if (!std::isfinite(in[n]))
                    self->allFinite = false;
                else
                    self->largest = std::max(self->largest, std::fabs(in[n]));
                out[n] += in[n];
            }
        }
        self->samplesSeen += *length * k_samplesPerUnit;
        const uint32_t gateRow = self->circuit_->getFirstControlRow() + k_voiceRowGate;
        if (ctx->rowActiveFlags[gateRow] == 0)
            record->flags |= k_childVoiceEnded;
    }
    AM_VoiceCircuitMin* circuit_;
};

class VoiceModuleEngine : public AM_AudioMan {
public:
    VoiceModuleEngine() : AM_AudioMan(nullptr, 10, 2) {}

    void buildModules() override
    {
        vcc = new AM_VoiceCircuitMin(this, "VCC: VoiceCircuit", 8, 1, 2, 2);
        vcc->useMinimalLayout();
        vcc->enableResetFlag();
        addModule(vcc);
        voice = new KestanAudio(this, "Kestan: Kestan");
        vcc->addChild(voice);
        tap = new BusTap(this, vcc);
        vcc->addChild(tap);
    }

    AM_VoiceCircuitMin* vcc = nullptr;
    KestanAudio* voice = nullptr;
    BusTap* tap = nullptr;
};

// An initialised and reset voice-module engine at `sampleRate`, with
// "Voices" at many and Drift off.
inline std::unique_ptr<SynthHost> makeVoiceEngine(float sampleRate = kRate)
{
    auto engine = std::make_unique<VoiceModuleEngine>();
    engine->setSampleRate(sampleRate);
    engine->init();
    engine->reset();
    auto host = std::make_unique<SynthHost>(std::move(engine));
    host->set("VCC", "Voices", 2.0f);
    host->set("VCC", "Drft", 0.0f);
    return host;
}

inline VoiceModuleEngine& voiceEngineOf(SynthHost& host)
{
    return static_cast<VoiceModuleEngine&>(host.engine());
}

} // namespace synthtest
