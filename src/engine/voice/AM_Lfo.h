#pragma once
// The low-frequency oscillator module.
//
// Eight waveforms at free rates (10, 1 or 0.1 cycles per second) or rates
// locked to the host tempo (note values from 1/64 to 8/1, dotted and
// triplet), a phase offset, and, in the shared-parameter form, a fade-in
// delay, depth modulation and rate modulation from other modulation sources.
// It writes one value per control step (4 samples) into its control row and
// offers that row as a modulation source. At each new cycle it broadcasts
// k_msgRestartAttack and, in its per-step form, k_msgRelease at mid-cycle,
// so an envelope can be restarted and released by it.
//
// Forms: the shared-parameter form (11 parameters; restart modes "sync",
// "gate", "single") and the single-parameter form (5 parameters; optional
// restart every N bars). Routines: setMode(0) evaluates once per block and
// smooths a ramp between the block values; any other mode evaluates every
// control step.
//
// Name-dependent defaults: a module whose name holds the character '1'
// anywhere but first ("LFO1: LFO1") starts at "1/16" with full depth
// modulation (its default depth source is the mod wheel, so it is silent
// until the wheel moves); any other ("LFO2: LFO2") at "1/1" with none.
//
// With restart mode "single" one LFO serves all voices: the first run of a
// sub-block computes voice 0's record for the whole sub-block into a shared
// row, and every voice receives that row.
//
// Threads: construction, setMode, clearModuleFlags and the table queries on
// the thread that builds the engine, before the engine runs; voice events,
// messages, reset and the routines on the audio thread. Nothing on the
// audio thread allocates or locks.

#include "engine/module/AM_AudioObject.h"
#include "engine/voice/AM_LfoMemory.h"
#include "params/object/AM_ParamInfo.h"

#include <cstdint>

class AM_Lfo : public AM_AudioObject {
public:
    static constexpr uint32_t kSharedParameters = 11;
    static constexpr uint32_t kSingleParameters = 5;

    // Local numbers of the parameters (the single-parameter form has the
    // first five). 11 and 12 address the unused second depth modulation.
    enum Param : uint32_t {
        k_pSync = 0,
        k_pTrigger,
        k_pWave,
        k_pPhase,
        k_pMeter,
        k_pDelay,
        k_pDepthSource,
        k_pDepth,
        k_pRate,
        k_pRateSource,
        k_pRateDepth,
        k_pDepth2,
        k_pDepthSource2,
    };

    enum Wave : int32_t {
        k_waveSine = 0,
        k_waveTriangle,
        k_waveSawUp,
        k_waveSawDown,
        k_waveSquareHighLow,
        k_waveSquareLowHigh,
        k_waveRandomHold,
        k_waveRandomGlide,
    };

    // "Trig" of the shared-parameter form.
    enum Restart : int32_t {
        k_restartSync = 0,   // the phase lines up with the song at the next run
        k_restartGate = 1,   // every note restarts the phase
        k_restartSingle = 2, // one LFO for all voices, restarted after silence
        k_restartRandom = 3, // every note starts at a random phase
    };

    // "Sync": -3, -2, -1 free rates; 0 to 23 note values.
    static constexpr int32_t kFirstSync = -3;
    static constexpr int32_t kLastSync = 23;

    // Argument of the cycle messages that addresses every voice.
    static constexpr uint32_t kAllVoices = 0xffffffffu;

    // The shared-parameter form or the single-parameter form; per-block
    // routine until setMode.
    AM_Lfo(AM_EngineOwner* owner, const char* name, bool sharedParameters);
    ~AM_Lfo() override;

    // k_msgFirstVoiceStarted arms the single trigger, k_msgAllVoicesEnded is
    // swallowed, everything else goes to the base. Thread of the sender.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    uint32_t getVoiceMemorySize() override;
    uint32_t getGlobalMemorySize() override;
    // Writes the control row and the form into the global block.
    void prepare(AM_ProcessContext* context) override;
    const AM_ParamInfo* getParameterTemplate(uint32_t local) override;
    int32_t getValueStrings(uint32_t local, AM_ValueNames* list) override;
    void* getParameterAddress(uint32_t local) override;
    // Note-on restarts by "Trig" (see the .cpp). Audio thread.
    void voiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                    AM_ProcessContext* context) override;
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context) override;
    // Smoother coefficient from the sample rate; every voice back to phase 0
    // and bar 0. Audio thread.
    void reset(AM_ChildRecord* record) override;
    // The base's record with kind bits 0x80001 (0x880001 in the
    // shared-parameter form).
    void getModSourceInfo(uint32_t i, AM_ModSourceInfo* info) override;
    // 0: processPerBlock; anything else: processPerStep. Before the engine
    // runs (the circuit fetches the routine when it prepares).
    virtual void setMode(uint32_t mode);

    // Takes class flags away again (the instrument removes the on/off switch
    // 0x800000). Before the module is added to a circuit.
    void clearModuleFlags(uint32_t flags);

    // The coefficient of the per-block routine's two-pole smoother (80 Hz)
    // at a sample period. Any thread.
    static float smootherCoefficient(double samplePeriod);

    // The routines. Audio thread.
    static void processPerBlock(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                AM_ProcessContext* context);
    static void processPerStep(int32_t* start, int32_t* length, AM_ChildRecord* record,
                               AM_ProcessContext* context);

    // --- State, for the routines and tests. Null before memory exists.
    AM_LfoGlobal* getGlobal() const;
    // The record of one voice copy, or null outside the copies.
    AM_LfoVoice* getVoice(uint32_t voice) const;
    bool hasSharedParameters() const { return sharedParameters_ != 0; }
    uint32_t getMode() const { return mode_; }

private:
    uint8_t sharedParameters_;
    uint32_t mode_ = 0;
    // The table with this module's name-dependent defaults.
    AM_ParamInfo table_[kSharedParameters];
};
