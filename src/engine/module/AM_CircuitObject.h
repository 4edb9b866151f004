#pragma once
// A module that holds other modules and runs them block by block.
//
// A circuit keeps one child record per child (or per copy of a child in
// channel-sharing mode), a run-order list of those records, a few parameters
// of its own (output level, random amount, randomize trigger, optional
// routing, one on/off switch per switchable child, optional sync trigger)
// and four smoothed performance controllers (mod wheel, pitch wheel, breath,
// expression) that it offers as modulation sources. Its per-block routine
// smooths the controllers, applies the modulation matrix, runs the children
// in order (cross-fading those whose switch changed) and undoes the
// modulation afterwards.
//
// Threads: building, prepare and the parameter table on the thread that
// builds the engine; the routine, midiEvent and the cross-fades on the audio
// thread; parameterChanged where the parameter manager applies changes.

#include "engine/module/AM_AudioObject.h"
#include "engine/module/AM_CircuitMemory.h"
#include "params/object/AM_ParamInfo.h"

#include <memory>

class AM_CircuitObject : public AM_AudioObject {
public:
    // Class flags 0x10008, 3 parameters, channel count = capacity, 4
    // modulation sources, 4 control rows, process mode 1.
    AM_CircuitObject(AM_EngineOwner* owner, const char* name, uint32_t channelCapacity,
                     uint32_t busRow);
    ~AM_CircuitObject() override;

    // k_msgParameterChanged: the records of that module take a fresh routine.
    // Message 34 with arg 1 is echoed to all objects with arg 69.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    uint32_t getVoiceMemorySize() override;
    uint32_t getGlobalMemorySize() override;
    void prepare(AM_ProcessContext* context) override;
    void copiesChanged() override;
    const AM_ParamInfo* getParameterTemplate(uint32_t local) override;
    int32_t getValueStrings(uint32_t local, AM_ValueNames* list) override;
    void* getParameterAddress(uint32_t local) override;
    void parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext* context) override;
    // Controllers 2 (breath) and 11 (expression), the pitch wheel (kind 2)
    // and the modulation wheel (kind 3) set their controller's target.
    void midiEvent(int32_t kind, int32_t number, float value, float extra, uint32_t frame) override;
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context) override;
    void getModSourceInfo(uint32_t i, AM_ModSourceInfo* info) override;
    // Randomizes the own parameters only when the built-ins were removed.
    void randomize(float amount) override;
    // Refuses (returns 0, the object stays the caller's) a child that needs
    // more channels than the circuit offers; else the number of records the
    // child takes.
    int32_t addChild(AM_AudioObject* object) override;
    // The circuit itself (index 0 or its own module index) or the run bit of
    // the child with that module index; false when the parent does not run
    // this circuit or no child has the index.
    bool isActive(int32_t index) override;

    // Set-up, before memory is assigned.
    void setChannelSharing(bool on);
    void enableSyncTrigger();
    // Removes the three built-in parameters; returns how many there were.
    int32_t removeBuiltInParameters();
    void enableCircuitRouting(int32_t choices);
    // The value names of "Circuit Routing", one per choice; kept, not copied.
    void setRoutingNames(AM_ValueNames names);
    void setProcessMode(uint32_t mode);
    // After prepare: sets the run count (clamped to the records) and returns
    // the global memory.
    AM_CircuitHeader* setRunCount(int32_t count);
    // After prepare: appends the record of the named module of the subtree
    // to the run list and sets its rows.
    void setModule(const char* name, uint8_t inputRow, uint8_t outputRow);

    int32_t getChildRecordCount() const { return recordCount_; }
    int32_t getSwitchCount() const { return switchCount_; }
    uint32_t getChannelCapacity() const { return channelCapacity_; }
    // Parameters of the circuit rows (built-ins, routing, switches, sync);
    // a derived circuit numbers its own parameters behind them.
    uint32_t getCircuitParameterCount() const;
    // The header in the global memory; null before prepare.
    AM_CircuitHeader* getHeader() const;
    // A record of the child table; null outside it or before prepare.
    AM_ChildRecord* getChildRecord(int32_t number) const;
    // The controller state of one voice of one copy.
    AM_CircuitVoice* getCircuitVoice(uint32_t copy, uint32_t voice) const;

    // The per-block routines: process mode 1 and 0 (probe hook around it).
    static void processModules(int32_t* start, int32_t* length, AM_ChildRecord* record,
                               AM_ProcessContext* context);
    static void processModulesProbed(int32_t* start, int32_t* length, AM_ChildRecord* record,
                                     AM_ProcessContext* context);

protected:
    // The steps of the routine, for derived circuits.
    static void smoothControllers(AM_CircuitVoice* voice, uint32_t firstRow, int32_t start,
                                  int32_t length, AM_ProcessContext* context);
    static void applyModulation(int32_t circuitIndex, int32_t start, int32_t length,
                                AM_ProcessContext* context);
    static void restoreModulation(int32_t circuitIndex, AM_ProcessContext* context);
    static void runChildren(AM_CircuitHeader* header, const AM_ChildRecord* own, int32_t start,
                            int32_t length, AM_ProcessContext* context);
    static void crossfadeChild(AM_ChildRecord* record, int32_t start, int32_t length,
                               AM_ProcessContext* context);

private:
    enum class Row { builtIn, routing, switchRow, syncTrigger, none };
    Row rowOf(uint32_t local, uint32_t* number) const;
    void buildParameterTable();
    void fillParameterRow(uint32_t local, AM_ParamInfo* info) const;
    uint32_t recordsOf(AM_AudioObject* child) const;
    void updateParameterCount();
    void setSwitch(int32_t switchNumber);

    int32_t recordCount_ = 0;
    uint32_t channelCapacity_;
    int32_t switchCount_ = 0;
    int32_t routingChoices_ = 0;
    AM_ValueNames routingNames_ = nullptr;
    std::unique_ptr<AM_ParamInfo[]> parameterTable_;
    uint32_t parameterTableSize_ = 0;
    bool prepared_ = false;
    bool channelSharing_ = false;
    AM_ProcessContext* processContext_ = nullptr;
    bool syncTrigger_ = false;
    int32_t syncTriggerIndex_ = -1;
    int32_t builtInCount_ = 3;
    uint32_t processMode_ = 1;
};
