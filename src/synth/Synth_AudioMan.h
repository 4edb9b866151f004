#pragma once
// The instrument's audio manager: the plug-in class makes one per plug-in
// instance. It names the product in the information block, owns the
// process-wide MIDI controller map, builds the module tree when the engine
// is initialised and then hides some parameters and changes some defaults.
// Everything beyond the base class happens only for the instrument's own
// plug-in ID 'Wq3x'; with any other ID it stays an empty audio manager.
//
// Module tree (inside the voice circuit, in processing order): the voice
// circuit "VCC: VoiceCircuit" (8 voices), the envelopes "ENV1: ADSR1" (the
// amplifier's) and "ENV2: ADSR2", the LFOs "LFO1: LFO1" and "LFO2: LFO2",
// the voice module "Kestan: Kestan" and the voice mixer "VCA1: VoiceMix1",
// whose output is the stereo bus.
//
// Use: Synth_AudioMan engine(Synth_AudioMan::kPluginId); engine.setHostName
// (...); engine.setSampleRate(rate); engine.init(); engine.reset() when the
// host resumes; processBlock per host block (stereo output, no input).
//
// Threads: construction, destruction, init (with buildModules and
// setupParameters) on the host's user-interface thread, one instance at a
// time (the instance counter and the controller map are process-wide);
// getMidiCCMap any thread.

#include "engine/AM_AudioMan.h"

#include <cstdint>

class Synth_AudioMan : public AM_AudioMan {
public:
    // The four-character code 'Wq3x'.
    static constexpr uint32_t kPluginId = 0x57713378u;
    static constexpr int32_t kMidiControllers = 128;
    // The main circuit's channel capacity and the matrix rows.
    static constexpr uint32_t kChannelCapacity = 10;
    static constexpr uint32_t kModulationSlots = 2;
    // The state version a new instance starts with.
    static constexpr uint32_t kInitialStateVersion = 0x10020;

    explicit Synth_AudioMan(uint32_t pluginId);
    ~Synth_AudioMan() override;

    // The instrument's module tree (nothing for another plug-in ID).
    void buildModules() override;
    // Hides the parameters the instrument does not show and changes its
    // defaults (nothing for another plug-in ID). A descriptor that is not
    // found ends the changes with the trace line "Couldn't find param
    // object".
    void setupParameters() override;
    // The process-wide controller map (128 entries, -1 for unassigned) for
    // the instrument's ID, else null.
    int32_t* getMidiCCMap() override;
    // Applies the current state again (the base's reload). Not on the audio
    // thread.
    void reloadState() override;

    // Live instances in the process. Any thread.
    static uint32_t instanceCount();

private:
    bool ownId() const { return pluginId_ == kPluginId; }
};
