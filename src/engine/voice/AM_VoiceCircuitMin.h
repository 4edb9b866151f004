#pragma once
// The circuit that makes its children polyphonic.
//
// Every child gets one copy of its voice memory per voice. Notes come from
// MIDI through the note-event queue; the per-block routine of the voice mode
// ("Mode": poly, mono, legato, duo and, in the full layout, an arpeggiator)
// drains the queue, assigns, steals and releases voices, and runs the
// children once per voice and stretch of the block, with per-voice control
// rows (gate, key follow, velocity, pressure, ...), glide and tuning. What
// the children receive is described in AM_VoiceEvents.h. Voices without an
// event in the block may run as a batch, so that a module renders them
// together (AM_VoiceBatch.h, AM_VoiceCircuitBatch.h).
//
// Threads: construction, the layout switches, prepare and the parameter
// table on the thread that builds the engine; parameterChanged where the
// parameter manager applies changes (that thread before audio runs, the
// audio thread afterwards); midiEvent, voiceEvent, reset and the routines on
// the audio thread. Nothing on the audio thread allocates or locks.

#include "engine/module/AM_CircuitObject.h"
#include "engine/module/AM_VoiceBatch.h"
#include "engine/voice/AM_NoteEventQueue.h"
#include "engine/voice/AM_VoiceCircuitMemory.h"

#include <memory>

class AM_VoiceCircuitMin : public AM_CircuitObject {
public:
    static constexpr uint32_t kMaxVoices = 128;
    static constexpr uint32_t kFullParameters = 125;
    static constexpr uint32_t kMinimalParameters = 23;

    // Local indices of the own parameters (behind the circuit's rows).
    enum Param : uint32_t {
        k_pVoices = 0,
        k_pVoiceStack,
        k_pMode,
        k_pGlideMode,
        k_pGlide,
        k_pGlide2,
        k_pPortaRange,
        k_pBendUp,
        k_pBendDown,
        k_pDrift,
        k_pTuningMode,
        k_pTuning,
        k_pTuningTable,
        k_pTranspose,
        k_pFineTune,
        k_pVoice1,
        k_pArpSync = k_pVoice1 + k_voiceStackMax,
        k_pArpOrder,
        k_pArpLoop,
        k_pArpOctave,
        k_pArpLoopLength,
        k_pArpGlide,
        k_pFirstStep,
    };

    // Modes of the full layout; the minimal layout has poly, mono, legato
    // and duo (3).
    enum Mode : int32_t {
        k_modePoly = 0,
        k_modeMono = 1,
        k_modeLegato = 2,
        k_modeArpeggiator = 3,
        k_modeDuo = 4,
        k_minimalModeDuo = 3,
    };

    // A circuit of `voices` voices (1 to 128) with `slots` slots (at least
    // 1), channel capacity and bus row as for any circuit; no built-in
    // circuit parameters; the full layout; the reset flag off.
    AM_VoiceCircuitMin(AM_EngineOwner* owner, const char* name, uint32_t voices, uint32_t slots,
                       uint32_t channelCapacity, uint32_t busRow);
    ~AM_VoiceCircuitMin() override;

    // Before memory is assigned: the 23-parameter table without the
    // arpeggiator; the retrigger word 1 after every reset.
    void useMinimalLayout();
    void enableResetFlag();

    uint32_t getVoiceMemorySize() override;
    uint32_t getGlobalMemorySize() override;
    void prepare(AM_ProcessContext* context) override;
    void copiesChanged() override;
    const AM_ParamInfo* getParameterTemplate(uint32_t local) override;
    int32_t getValueStrings(uint32_t local, AM_ValueNames* list) override;
    void* getParameterAddress(uint32_t local) override;
    void parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext* context) override;
    int32_t getParameterCount(bool tree) override;
    // Notes go to the queue; key and channel pressure, all notes off and
    // the sustain pedal act at once. Audio thread.
    void midiEvent(int32_t kind, int32_t number, float value, float extra, uint32_t frame) override;
    // Broadcasts the first-voice and all-voices-ended messages. Audio thread.
    void voiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                    AM_ProcessContext* context) override;
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context) override;
    // Queue reset, arpeggiator cleared, every voice idle. Audio thread.
    void reset(AM_ChildRecord* record) override;
    void getModSourceInfo(uint32_t i, AM_ModSourceInfo* info) override;
    // The channel check and the circuit's addChild; counts the child.
    int32_t addChild(AM_AudioObject* object) override;

    // The per-block routines of the modes. Audio thread.
    static void processPoly(int32_t* start, int32_t* length, AM_ChildRecord* record,
                            AM_ProcessContext* context);
    static void processMono(int32_t* start, int32_t* length, AM_ChildRecord* record,
                            AM_ProcessContext* context);
    static void processDuo(int32_t* start, int32_t* length, AM_ChildRecord* record,
                           AM_ProcessContext* context);
    static void processArpeggiator(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                   AM_ProcessContext* context);
    // One voice over one stretch (start and length in units of 16 samples):
    // rows, glide, pressure, gate countdown, the matrix and the children.
    static void processVoice(int32_t start, int32_t length, AM_ChildRecord* record, int32_t voice,
                             AM_ProcessContext* context);

    // One voice's stretch in the stages that processVoice runs in a row and
    // the batched pass runs apart (AM_VoiceBatch.h).
    struct VoiceRun {
        int32_t start = 0;
        int32_t length = 0;
        int32_t voice = 0;
        int32_t nextChild = 0;   // the run-list position to go on at
        uint32_t endedBit = 0;   // the voice-ended bit handed to that child
        int32_t lastRecord = -1; // record number of the last child run
        bool deferred = false;   // a child took the voice
    };
    // Rows, glide, pressure, gate countdown and the matrix for the voice;
    // false when there is nothing to run.
    static bool beginVoice(int32_t start, int32_t length, AM_ChildRecord* record, int32_t voice,
                           AM_ProcessContext* context, VoiceRun& run);
    // The children from run.nextChild on. With a batch in its gather phase
    // each routine may take the voice, which stops the run there
    // (run.deferred); in the deliver phase the first child (the one that
    // took the voice) is called in that phase and the rest render as usual.
    static void runVoiceChildren(AM_ChildRecord* record, AM_ProcessContext* context, VoiceRun& run,
                                 AM_VoiceBatch* batch);
    // The voice-ended test, the matrix restored and the rows the voice
    // keeps.
    static void endVoice(AM_ChildRecord* record, AM_ProcessContext* context, const VoiceRun& run);

    // Whether voice circuits let a module take their voices and render them
    // together (on by default). Process-wide; tests switch it off to
    // compare with the one-voice-at-a-time path. Any thread.
    static void setVoiceBatching(bool on);
    static bool voiceBatching();

    // What the batched pass keeps of each taken voice until the flush:
    // the control rows and row flags as the voice left them, the matrix's
    // modulated values, the context's present key and velocity. Sized by
    // prepare for every voice; null before.
    struct BatchStore;
    BatchStore* getBatchStore() const { return batchStore_.get(); }
    // The batched pass: whether this block may batch (batching on, a store
    // that fits the context, no switch fade running); a voice's stretch
    // with its children in the gather phase (a voice nobody takes ends at
    // once, as in processVoice); and the flush, which lets the module
    // render the taken voices and then ends each in the order taken.
    static bool canBatch(AM_ChildRecord* record, AM_ProcessContext* context);
    static void gatherVoice(int32_t start, int32_t length, AM_ChildRecord* record, int32_t voice,
                            AM_ProcessContext* context);
    static void flushVoices(AM_ChildRecord* record, AM_ProcessContext* context);

    // --- State, for the routines and for tests. Null before prepare.
    AM_NoteEventQueue* getQueue() const { return queue_.get(); }
    AM_VoiceCircuitParams* getParams() const;
    AM_VoiceCircuitShared* getShared() const;
    AM_VoiceRecord* getVoiceRecord(uint32_t voice) const;
    uint32_t getVoices() const { return voices_; }
    uint32_t getSlotCount() const { return slotCount_; }
    bool isMinimalLayout() const { return minimalLayout_ != 0; }
    uint32_t getOwnParameterCount() const { return ownParameterCount_; }
    // Children without and with class flag 0x20 or 0x80.
    uint32_t getPlainChildCount() const { return plainChildren_; }
    uint32_t getPolyChildCount() const { return polyChildren_; }
    // The control row of the pitch wheel that the key-follow rows add.
    uint32_t getPitchWheelRow() const { return pitchWheelRow_; }

private:
    void syncParameterCount();
    void writeDefaults();
    void layOutVoiceBlock(AM_CircuitVoice* state);
    bool isDuoMode(int32_t mode) const;
    void configureQueue();
    void fadePlayingVoices();
    void releaseAllVoices();
    uint32_t paramBlockOffset();

    uint32_t circuitParameterCount_ = 0;
    uint32_t ownParameterCount_ = kFullParameters;
    uint32_t voices_;
    uint32_t slotCount_;
    uint32_t plainChildren_ = 0;
    uint32_t polyChildren_ = 0;
    uint8_t minimalLayout_ = 0;
    uint8_t resetFlag_ = 0;
    static AM_VoiceRecord* voiceRecordIn(AM_ChildRecord* record, int32_t voice);

    std::unique_ptr<AM_NoteEventQueue> queue_;
    std::unique_ptr<BatchStore> batchStore_;
    AM_ProcessContext* context_ = nullptr;
    AM_VoiceCircuitParams* params_ = nullptr;
    uint32_t pitchWheelRow_ = 0;
    bool prepared_ = false;
};
