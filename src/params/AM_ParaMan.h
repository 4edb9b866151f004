#pragma once
// The parameter manager, the module "PCore: Core": it owns the joint table
// of every parameter of every module, every value, the queued and ramped
// changes, the modulation matrix rows, the XY assignments and the global
// parameters of the patch and the engine.
//
// Parameter changes. Every change goes through setParam. Until the first
// block has run, a change is written at once on the calling thread. From
// then on, setParam only clamps the value, records it as the value last set
// (getValue answers it at once) and hands it to the audio thread through a
// lock-free queue (AM_ParamChangeQueue); the manager's per-block routine
// applies it there before the modules run: smoothed parameters ramp over 50
// blocks, everything else (and an immediate change) is written whole, and
// the owning module hears of it in parameterChanged on the audio thread.
// Changes made while a state is read (or while the loading flag is raised,
// or until the next block after switchQueueOff) count as immediate.
//
// The hand-over from direct writes to the queue must not race with a change
// on another thread: the owner calls beginProcessing before audio can run
// (when the host resumes the plug-in); the first block does it otherwise.
//
// The state writer and reader, the compact snapshot and the script
// bindings build on this class from their own files; the seams they use are
// marked below.

#include "engine/module/AM_AudioObject.h"
#include "params/AM_CoreParameters.h"
#include "params/AM_ParamBlock.h"
#include "params/AM_ParamChangeQueue.h"
#include "params/object/AM_ModSourceInfo.h"
#include "params/object/AM_ParamInfo.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class AM_PublishedNumbering;
class AM_StateReader;
class ParamKeyWords;
struct AM_ModulationRecord;

class AM_ParaMan;
// Receives one piece of the state text that createSetting writes.
using AM_TextProc = void (*)(AM_ParaMan* manager, const char* piece, void* context);

// The context of AM_ParaMan::appendTextProc: a bounded text that the pieces
// are appended to (always zero-terminated; what does not fit is dropped and
// overflow is set).
struct AM_TextAppend {
    char* text;
    uint32_t capacity; // bytes, terminator included
    uint32_t length;
    bool overflow;
};

class AM_ParaMan : public AM_AudioObject {
public:
    // Ramps of smoothed parameters: 50 blocks; above 32 running ramps a
    // further float change is written whole.
    static constexpr int32_t kRampBlocks = 50;
    static constexpr int32_t kMaxQueuedRamps = 32;
    static constexpr int32_t kUsageCounts = 64;

    // The module "PCore: Core" with (3 x slots + 1) x axes + 5 x rows + 23
    // parameters of its own (at most 8 axes). Thread that builds the engine.
    // Nesting levels of state reading; a read nested deeper is refused.
    static constexpr int32_t kMaxStateLevels = 8;
    // The meta texts: 0 author, 1 description, 2 usage.
    static constexpr int32_t kMetaTexts = 3;

    AM_ParaMan(AM_EngineOwner* owner, int32_t xyAxes, int32_t xySlots, int32_t matrixRows);
    ~AM_ParaMan() override;

    // Messages 21, 59 and 65, then the module base. Thread of the sender.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    // The bytes of the shared parameter block; the first call counts the
    // parameters of the whole tree. Thread that builds the engine.
    uint32_t getVoiceMemorySize() override;
    uint32_t getGlobalMemorySize() override;
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context) override;
    const AM_ParamInfo* getParameterTemplate(uint32_t local) override;
    // Value names of any parameter by global id: the modulation-source list
    // for selectors, the owning module's names for other lists, and the
    // manager's own lists for its globals. Any thread.
    int32_t getValueStrings(uint32_t globalId, AM_ValueNames* list) override;
    void* getParameterAddress(uint32_t local) override;
    // The level meters of "Levels" (local number); null for anything else.
    void* getParameterData(uint32_t local) override;
    // The checks of matrix and XY targets and of XY amounts.
    void parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext* context) override;

    // --- The joint table. Thread that builds the engine.

    // Builds the joint table and the shared block; once, at the end of the
    // audio manager's init, after memory was assigned.
    void setupParameters(AM_ProcessContext* context);
    // The global id of the parameter with this long name (exact case) in a
    // module, or -1. The search starts where the last match was.
    int32_t findParameter(int32_t moduleIndex, const char* longName);
    // A module index by long name, "Current" or "Selected"; -1 for none.
    int32_t findModule(const char* name);
    // Published index -> global id, one per published parameter.
    const int32_t* getPublishedMap() const { return block_.publishedMap; }
    void setCustomParamTable(const AM_PublishedNumbering* table);
    int32_t getJointParameterCount() const { return parameterCount_; }
    int32_t getPublishedCount() const { return publishedCount_; }
    // The joint-table record of a global id, or null. Any thread.
    AM_ParamInfo* getParameterInfo(int32_t id);
    AM_ParamInfo* getParameterTable() { return table_; }

    // --- Values.

    // Clamps *value into the parameter's range (in place) and applies or
    // queues the change (see the class comment). Any thread.
    void setParam(int32_t* id, float* value, AM_ParamChangeContext* context, bool immediate);
    // The per-block routine (getProcessRoutine). Audio thread.
    static void process(int32_t* start, int32_t* length, AM_ChildRecord* record,
                        AM_ProcessContext* context);
    // The value last set (integers rounded as stored); meters answer their
    // storage. 0 with a trace line for an index outside the table. Any
    // thread.
    float getValue(int32_t index, bool published);
    // The storage of a parameter (the block's scratch word when its module
    // gives none), or null. Not while processing.
    float* getValuePointer(int32_t index);
    // Replaces the storage of a parameter. With null the parameter has no
    // storage at all: nothing is written and its module hears of every
    // change. Not while processing.
    void setValuePointer(int32_t index, float* pointer);
    // The value on the ramp, as the modules see it. Audio thread (or any
    // thread before the first block).
    float getCurrentValue(int32_t index) const;

    // Raised while a snapshot is applied: every change counts as immediate.
    // Any thread.
    void setLoading(bool loading) { loading_.store(loading, std::memory_order_release); }
    bool isLoading() const { return loading_.load(std::memory_order_acquire); }
    // At the next block every running ramp ends at its target before the
    // queued changes are applied. Any thread.
    void emptyChangeQueue() { emptyRequested_.store(true, std::memory_order_release); }
    // Changes count as immediate until the next block starts. Any thread.
    void switchQueueOff() { queueOff_.store(true, std::memory_order_release); }
    // From now on every change goes through the queue (also done by the
    // first block). Any thread, before the audio thread may start.
    void beginProcessing();
    // True once changes go through the queue. Any thread.
    bool isProcessing() const { return running_.load(std::memory_order_acquire); }
    // Pushes that found the change queue full (see AM_ParamChangeQueue).
    // Any thread.
    uint64_t getQueueOverflowCount() const { return changeQueue_.overflowCount(); }

    // --- Data blocks, meta texts, version. Not on the audio thread.

    // Appends a "cbMA" record for every pending data block (bit 26) of the
    // module filter and clears the bit; returns the bytes written. A record
    // that does not fit is left pending with a trace line.
    uint32_t collectBinaryChunks(uint8_t* out, uint32_t capacity);
    // Makes each meta buffer hold at least the size asked (plus 16 bytes);
    // a buffer large enough keeps its text.
    void allocMetaBuffers(uint32_t authorSize, uint32_t descriptionSize, uint32_t usageSize);
    char* getMetaText(int32_t which) const; // 0 author, 1 description, 2 usage
    uint32_t getMetaSize(int32_t which) const;
    // Writes a meta text: length bytes of text (null: none), zeros up to
    // the buffer's end. The editor copies the texts on its own thread, so
    // writes go through the owner's shared-storage writer.
    void storeMetaText(int32_t which, const char* text, uint32_t length);
    // Stores the state version here and in the process context; unless
    // quiet, a changed version is first broadcast (message 65).
    void setVersion(uint32_t version, bool quiet);
    uint32_t getVersion() const { return stateVersion_.load(std::memory_order_relaxed); }

    // --- Seams of the state code. The thread that reads or writes a state
    // (not the audio thread).

    // Applies a state text of size bytes (it need not end in a zero byte):
    // mode 0 or 1 a whole patch (1 also applies the parameters with flag
    // 0x8000), mode 2 a module preset. Runs the text's script blocks. False
    // when the text was refused (no text, a size of 0 or less, no parameter
    // table, or a read nested deeper than kMaxStateLevels); true once it was
    // read, whatever it held. Not on the audio thread.
    virtual bool readState(const char* text, int32_t size, int32_t mode);
    // Writes the whole state: firstLine (may be null; line breaks and the
    // pairs "$$", "/*" and "<?" are taken out of it) and a line feed, the
    // state text, and the binary section of the data blocks. Returns the
    // chunk (valid until the next writeState or writeSnapshot) and its size
    // in bytes; null and 0 when it cannot be made. Not on the audio thread.
    const char* writeState(uint32_t* size, const char* firstLine);
    // Writes the state text piece by piece through proc (see the .cpp for
    // the format). Not on the audio thread.
    void createSetting(AM_TextProc proc, void* context);
    // createSetting callbacks: context is a uint32_t counter of characters,
    // or an AM_TextAppend.
    static void countTextProc(AM_ParaMan* manager, const char* piece, void* context);
    static void appendTextProc(AM_ParaMan* manager, const char* piece, void* context);
    // The compact snapshot of every saved value: records of (u16 length,
    // u16 global id, payload) at multiples of 4, a version record first, a
    // zero length last. Returns it (valid until the next writeState or
    // writeSnapshot) and its size: the bytes of the records plus 20. Not on
    // the audio thread.
    const uint8_t* writeSnapshot(uint32_t* size);
    // Applies a snapshot of at most size bytes (it ends at a zero length).
    // Not on the audio thread.
    void readSnapshot(const uint8_t* snapshot, uint32_t size);
    // Instructions each script block of a state text may run (the script
    // machine's budget unless set).
    void setScriptRunBudget(uint32_t instructions) { scriptRunBudget_ = instructions; }
    // The nesting level of state reading: -1 at rest.
    int32_t getStateLevel() const { return stateLevel_; }
    // A parameter set by a script or the reader: the reads in progress no
    // longer return it to its default at their end.
    void clearStatePending(int32_t id);
    // The module object of a module index, or null. Any thread.
    AM_AudioObject* getModuleObject(int32_t moduleIndex) const { return moduleOf(moduleIndex); }
    void setLoadingDefaults(uint8_t flag) { loadingDefaults_ = flag; }
    uint8_t getLoadingDefaults() const { return loadingDefaults_; }
    int32_t getParsePosition() const { return parsePosition_; }
    void setParsePosition(int32_t position) { parsePosition_ = position; }
    int32_t getModuleFilter() const { return moduleFilter_; }
    void setModuleFilter(int32_t module) { moduleFilter_ = module; }
    int32_t getCurrentModule() const { return currentModule_; }
    void setCurrentModule(int32_t module) { currentModule_ = module; }
    int32_t getPatchFormat() const { return patchFormat_; }
    int32_t getPatchCompression() const { return patchCompression_; }
    int32_t getPatchNamed() const { return patchNamed_; }
    void setPatchNamed(int32_t named) { patchNamed_ = named; }
    uint8_t getTriggerFlag() const { return triggerFlag_; }
    // The keyword resolver of the script bindings; none until that code
    // creates it.
    ParamKeyWords* getKeyWords() const { return keyWords_; }
    void setKeyWords(ParamKeyWords* keyWords) { keyWords_ = keyWords; }

    // --- Modulation sources, matrix and XY. The lists are built by
    // setupParameters and read-only afterwards (any thread); the usage counts
    // and XY records belong to the thread that applies changes (the audio
    // thread once blocks run).

    const AM_ModSourceInfo* getModSourceList() const { return sourceList_; }
    int32_t getModSourceListCount() const { return sourceCount_; }
    const AM_ModSourceInfo* getSecondSourceList() const { return secondList_; }
    int32_t getSecondSourceListCount() const { return secondCount_; }
    // Counts a modulation source (1 to 64) as used or released and keeps the
    // usage words. Thread that applies changes.
    void flagModSourceUsed(int32_t source, bool used);
    int32_t getModSourceUsageCount(int32_t source) const;
    // Recounts the usage from the selectors of every running module (a
    // module with a usage bit runs while such a selector chooses it); with
    // resetInactive, selectors of inactive modules return to their defaults.
    // Thread that applies changes.
    void updateModSourceUsage(bool resetInactive);
    // Assigns XY (axis, slot) to a target (-1 none, -2 keep the target).
    // Thread that applies changes.
    void setXYAssignment(int32_t axis, int32_t slot, int32_t target);
    const AM_XYAssignment* getXYAssignment(int32_t axis, int32_t slot) const;
    void clearXYAssignments();
    const AM_CoreLayout& getLayout() const { return layout_; }
    // The global id of one of the manager's own parameters.
    int32_t ownId(uint32_t local) const
    {
        return getFirstParameterId() + static_cast<int32_t>(local);
    }

private:
    friend class AM_StateReader;

    void runBlock(AM_ProcessContext* context);
    void applyChange(int32_t id, float& value, AM_ParamChangeContext* context, bool immediate);
    bool applySmoothed(int32_t id, float& value, bool immediate);
    void storeValue(int32_t id, float value, AM_ParamChangeContext* context);
    void finishAllRamps();
    void writeStorage(int32_t id);
    void advanceRamps();
    void applyXY();
    float clampToRange(int32_t id, float value) const;
    int32_t checkOwnAssignment(uint32_t local, float* value) const;
    bool validMatrixTarget(int32_t target, int32_t selfId) const;
    bool validXYTarget(int32_t target) const;
    void setRange(int32_t id, float min, float max);
    AM_AudioObject* moduleOf(int32_t moduleIndex) const;
    void setRequested(int32_t id, float value);
    float requestedValue(int32_t id) const;
    void buildSourceTables(AM_ProcessContext* context);
    void describeParameters();
    void setSelectorRange(AM_ParamInfo& info);
    AM_ModulationRecord* matrixRecord(int32_t row) const;
    void readStateMessage(const char* text, uint32_t filter);
    void setUsageBit(int32_t bit, bool on);
    void visitSourceSelectors(bool resetIdle);
    uint8_t* levelsData();
    // The value of one of the manager's globals as last set (the field
    // before the table exists).
    int32_t globalSetting(int32_t global, const int32_t& field) const;
    void writeModuleHeader(AM_TextProc proc, void* context, int32_t moduleIndex, int32_t format,
                           int32_t selected);
    void writeValueLine(AM_TextProc proc, void* context, int32_t id, int32_t format,
                        int32_t* dataNumber);
    uint32_t buildChunkRecords(std::vector<uint8_t>& out);
    bool reserveStateBuffer(uint64_t bytes);

    AM_CoreLayout layout_;
    AM_ParamBlock block_;
    AM_ParamChangeQueue changeQueue_;
    AM_ParamInfo* table_ = nullptr;
    AM_ParamInfo templateRecord_{};
    int32_t parameterCount_ = -1; // fixed by the first getVoiceMemorySize
    int32_t rampCount_ = 0;
    int32_t listed8Count_ = 0;
    int32_t publishedCount_ = 0;
    int32_t xyAxesEnd_ = 0;
    uint32_t blockBytes_ = 0;
    AM_ProcessContext* context_ = nullptr;
    AM_AudioObject** moduleTable_ = nullptr;

    AM_ModSourceInfo* sourceList_ = nullptr;
    int32_t sourceCount_ = 0;
    AM_ModSourceInfo* secondList_ = nullptr;
    int32_t secondCount_ = 0;
    int32_t secondListBit20_ = 0;
    int32_t groupFirstSource_[16] = {};
    int32_t firstBit23Source_ = 0;
    int32_t usageCounts_[kUsageCounts] = {};

    int32_t parameterCursor_ = 0;
    int32_t moduleCursor_ = 0;

    std::atomic<bool> running_{false};
    // Before processing begins, changes are applied by the threads that make
    // them (an automation thread and a state being read may overlap): they
    // take turns here. Never taken once processing has begun. Recursive: a
    // module told of a change may change another parameter.
    std::recursive_mutex directChanges_;
    std::atomic<bool> queueOff_{false};
    std::atomic<bool> loading_{false};
    std::atomic<bool> emptyRequested_{false};

    // Globals stored in the manager.
    int32_t moduleFilter_ = 0;
    int32_t patchFormat_ = 1;
    int32_t patchCompression_ = 0;
    int32_t patchNamed_ = 1;
    int32_t patchSong_ = 0;
    int32_t guiScale_ = 0;
    char patchFolder_[k_patchFolderBytes] = {};
    char patchFile_[k_patchFileBytes] = {};
    char guiFile_[k_guiFileBytes] = {};
    char* meta_[3] = {};
    uint32_t metaSize_[3] = {};
    // Meta text buffers replaced by larger ones (see allocMetaBuffers).
    std::vector<std::unique_ptr<char[]>> retiredMeta_;
    uint8_t levels_[k_levelsBytes] = {};

    int32_t currentModule_ = -1;
    // A program change on the audio thread sets it while a chunk is saved
    // or restored on another.
    std::atomic<uint32_t> stateVersion_{0};
    uint8_t loadingDefaults_ = 0;
    uint8_t triggerFlag_ = 0;
    int32_t parsePosition_ = 0;
    ParamKeyWords* keyWords_ = nullptr; // the script bindings' resolver, owned

    // Patch state.
    char* stateBuffer_ = nullptr; // the chunk of writeState and writeSnapshot
    uint32_t stateCapacity_ = 0;
    std::string stateText_;             // writeState's text, reused
    std::vector<uint8_t> stateRecords_; // writeState's data-block records, reused
    std::vector<int32_t> writtenData_;  // data blocks of the last createSetting, in order
    std::vector<uint8_t> chunkBuffers_[kMaxStateLevels]; // decoded records per read level
    uint8_t* readPending_[kMaxStateLevels] = {}; // per level: each parameter's state in the read
    int32_t stateLevel_ = -1;
    int32_t stateFilterOverride_ = -1; // the module of a message-59 read, -1 for none
    uint32_t scriptRunBudget_ = 0;     // 0: the machine's own
};
