#pragma once
// The last module of a voice: it takes the voice's audio from its bus row,
// applies the amplitude of a VCA source (the amplitude envelope) with
// optional level modulation, pans it with an equal-power law, adds it to a
// stereo output bus and clears its input row. It ends the voice (the
// voice-ended bit of its child record) once the VCA source's row is no
// longer active, and fades a voice out over 32 units (512 samples) when the
// voice circuit takes it away (voice event 2).
//
// Gains and level start at 0 at every note-on and ramp to their targets
// within the first stretch, so notes start without a click.
//
// Variant 1 takes a mono input and pans it by "Pan" and a pan source;
// variant 2 takes a stereo input pair and pans by "Pan" alone. The output
// bus n is the bus row pair 2n, 2n + 1.
//
// Without a VCA source (a VCA selector outside the second source list) the
// level follows 1.0 and only a fade ends the voice.
//
// Threads: construction, setMode and the table queries on the thread that
// builds the engine; voice events, reset and the routines on the audio
// thread. Nothing on the audio thread allocates or locks.

#include "engine/module/AM_AudioObject.h"

#include <cstdint>

// Global block, 44 bytes.
struct AM_VoiceMixerGlobal {
    float pan;         // "Pan" -100 to 100
    float volume;      // "Vol" 0-100
    int32_t gate;      // "Gate": stored, not used in mixing
    int32_t vca;       // "VCA": a place in the second source list
    int32_t modSource; // "ModSrc"
    float modDepth;    // "ModDpt" -100 to 100
    int32_t panSource; // "PanSrc"
    float panDepth;    // "PanDpt" -100 to 100
    uint32_t outputBus;
    uint32_t channelCount;
    uint32_t mode; // input row offset; non-zero: the voice-ended test is armed by the bit
};

static_assert(sizeof(AM_VoiceMixerGlobal) == 44, "the mixer's global block takes 44 bytes");

// One voice.
struct AM_VoiceMixerVoice {
    uint32_t reset; // 1: start gains and level at 0
    float leftGain;
    float rightGain;
    float level;
    int32_t fadeCountdown; // units of 16 samples
    float fadeLevel;
};

class AM_SimpleVoiceMixer : public AM_AudioObject {
public:
    static constexpr uint32_t kParameters = 8;
    enum Param : uint32_t {
        k_pPan = 0,
        k_pVolume,
        k_pGate,
        k_pVCA,
        k_pModSource,
        k_pModDepth,
        k_pPanSource,
        k_pPanDepth,
    };
    static constexpr uint32_t kMonoVariant = 1;
    static constexpr uint32_t kStereoVariant = 2;
    // A stopped voice fades over this many units.
    static constexpr int32_t kFadeUnits = 32;

    // variant: 2 for a stereo input pair, anything else mono (also the
    // channel count the circuit gives it); outputBus: the bus row pair that
    // receives the mix.
    AM_SimpleVoiceMixer(AM_EngineOwner* owner, const char* name, uint32_t variant,
                        uint32_t outputBus);
    ~AM_SimpleVoiceMixer() override;

    uint32_t getVoiceMemorySize() override;
    uint32_t getGlobalMemorySize() override;
    // Voice 0's reset flag (replicated to every copy); output bus, channel
    // count and mode into the global block.
    void prepare(AM_ProcessContext* context) override;
    const AM_ParamInfo* getParameterTemplate(uint32_t local) override;
    void* getParameterAddress(uint32_t local) override;
    // Stores "Gate", "VCA" and "ModSrc" rounded to an integer.
    void parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext* context) override;
    // Note-on: the voice starts from 0; voice stop: fade over 32 units.
    // Audio thread.
    void voiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                    AM_ProcessContext* context) override;
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context) override;
    // Every voice starts from 0 at its next run, no fade. Audio thread.
    void reset(AM_ChildRecord* record) override;
    // The offset of the input row from the child record's bus row; a
    // non-zero mode also arms the voice-ended test only when the record
    // arrives with the voice-ended bit. Before the engine is built.
    virtual void setMode(uint32_t mode);

    // The routines. Audio thread.
    static void process(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* context);
    static void processFixedPan(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                AM_ProcessContext* context);

    // --- State, for the routines and tests. Null before memory exists.
    AM_VoiceMixerGlobal* getGlobal() const;
    AM_VoiceMixerVoice* getVoice(uint32_t voice) const;
    uint32_t getVariant() const { return variant_; }
    uint32_t getOutputBus() const { return outputBus_; }
    uint32_t getMode() const { return mode_; }

private:
    uint32_t variant_;
    uint32_t outputBus_;
    uint32_t mode_ = 0;
};
