#pragma once
// The envelope generator of the instrument: five stages (attack, decay,
// sustain, release, ended), each a one-pole approach toward a target beyond
// its end level, so that every segment ends after a finite time. One value
// per control step (4 samples) into its control row, which is also its
// modulation source.
//
// Time law: a segment of time value p (0-100) has tau = 2000 (p / 100)^3; the
// distance to the target shrinks to 1 % in tau x 0.01 seconds (p = 100: 20
// s, p = 50: 2.5 s), times the rate modulation 2^(RMod x 0.05 x source) and,
// with "Snappy", 3 x 2^(-4 x output). Attack aims at 115 and ends at 100;
// decay aims 1 below the sustain level ("ConstantRate": at -1) and ends at
// it; release aims at -1 and ends at 0. Output = level x velocity gain x
// level-modulation gain / 100.
//
// Trigger modes ("Trig", an entry of the trigger list): "Gate" (notes drive
// the stages), "Single" (one envelope for all voices, started by the first
// note after silence and released when every key is up), "Loop" (the
// segments repeat; the VCA envelope ends after release once the key is up),
// or the short name of a module (an LFO) whose messages restart and release
// it. The VCA envelope still follows notes in that mode and its end ends the
// voice: the row-active flag of its control row drops to 0, which the voice
// mixer reads.
//
// Construction for the instrument: Pellor_ADSR(owner, "ENV1: ADSR1", true)
// with the trigger list "Gate", "Loop", "LFO1", "LFO2", and
// Pellor_ADSR(owner, "ENV2: ADSR2", false) with "Gate", "Single", "Loop",
// "LFO1", "LFO2"; both added to the voice circuit before the LFOs.
//
// Threads: construction, setTriggerList and the table queries on the thread
// that builds the engine; parameterChanged where the parameter manager
// applies changes (that thread before audio runs, the audio thread after);
// voice events, messages and the routine on the audio thread. Nothing on the
// audio thread allocates or locks.

#include "engine/module/AM_AudioObject.h"
#include "params/object/AM_ParamInfo.h"
#include "synth/Pellor_ADSRMemory.h"

#include <cstdint>

class Pellor_ADSR : public AM_AudioObject {
public:
    static constexpr uint32_t kParameters = 18;
    enum Param : uint32_t {
        k_pAttack = 0,
        k_pDecay,
        k_pSustain,
        k_pFallRise,
        k_pRelease,
        k_pVelocity,
        k_pVelocitySource,
        k_pRateMod,
        k_pRateSource,
        k_pLevelMod,
        k_pLevelSource,
        k_pConstantRate,
        k_pSnappy,
        k_pFallRiseRange,
        k_pLabel,
        k_pAttract,
        k_pLag,
        k_pTrigger,
    };
    static constexpr int32_t kLabelBytes = 32;
    static constexpr int32_t kTriggerNameBytes = k_valueNameBytes;
    // Entries a trigger list can hold; a longer list is cut.
    static constexpr int32_t kMaxTriggers = 16;
    // Argument of messages 50 and 51 that addresses every voice.
    static constexpr uint32_t kAllVoices = 0xffffffffu;

    // name "SHORT: Long"; vca: this envelope's end ends the voice (and it
    // follows notes in the triggered mode).
    Pellor_ADSR(AM_EngineOwner* owner, const char* name, bool vca);
    ~Pellor_ADSR() override;

    // 50, 51 from the trigger module: restart and release (argument: a voice
    // or kAllVoices); 52, 53: the Single trigger flag; everything else to the
    // base. Audio thread.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    uint32_t getVoiceMemorySize() override;
    uint32_t getGlobalMemorySize() override;
    // Writes the control row into the global block; voices start ended.
    void prepare(AM_ProcessContext* context) override;
    const AM_ParamInfo* getParameterTemplate(uint32_t local) override;
    int32_t getValueStrings(uint32_t local, AM_ValueNames* list) override;
    void* getParameterAddress(uint32_t local) override;
    // "Trig": selects the trigger mode from the trigger list.
    void parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext* context) override;
    // Note on, retrigger and note off (see the .cpp). Audio thread.
    void voiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                    AM_ProcessContext* context) override;
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context) override;
    // The base's record with the kind 0x590000 (VCA: second list, its
    // default) or 0x90000.
    void getModSourceInfo(uint32_t i, AM_ModSourceInfo* info) override;
    // The names "Trig" chooses from (32-byte entries; copied, at most
    // kMaxTriggers). Before the engine is built.
    virtual void setTriggerList(const char (*names)[kTriggerNameBytes], uint32_t count);

    // The routine. Audio thread.
    static void process(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* context);

    // --- State, for the routine and tests. Null before memory exists.
    Pellor_ADSRGlobal* getGlobal() const;
    // The record of one voice copy, or null outside the copies.
    Pellor_ADSRVoice* getVoice(uint32_t voice) const;
    bool isVca() const { return vca_ != 0; }
    AM_AudioObject* getTriggerModule() const { return triggerModule_; }
    uint32_t getTriggerCount() const { return triggerCount_; }

private:
    void noteOn(Pellor_ADSRVoice& v, float velocity);
    void retrigger(Pellor_ADSRVoice& v, float velocity);
    void noteOff(Pellor_ADSRVoice& v);
    void restart(uint32_t voice);
    void releaseVoice(uint32_t voice);

    char labelText_[kLabelBytes] = {};
    uint8_t vca_;
    AM_AudioObject* triggerModule_ = nullptr;
    uint32_t triggerCount_ = 0;
    char triggers_[kMaxTriggers][kTriggerNameBytes] = {};
    // The table with this envelope's trigger list.
    AM_ParamInfo table_[kParameters];
};
