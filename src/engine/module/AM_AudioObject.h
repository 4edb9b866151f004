#pragma once
// The base of every module of the audio engine.
//
// A module is a node of one tree rooted at the audio manager's main circuit
// (first child and next sibling own the nodes below and beside). It has a
// two-part name ("SHORT: Long"), sizes its per-voice and global memory,
// which the tree carves out of the one engine block, exposes its parameter
// table to the parameter manager, hands out its per-block routine as a plain
// function pointer, and answers the framework's numbered messages.
//
// Threads: construction, tree building, numbering, memory assignment,
// parameter-table access and randomize run on the thread that builds the
// engine (the host's non-audio thread). The per-block routines,
// dispatchMidiEvent, dispatchVoiceEvent and resetTree run on the audio
// thread. parameterChanged runs where the parameter manager applies changes:
// on the building thread until the first block, on the audio thread after.

#include "engine/module/AM_ChildRecord.h"
#include "params/object/AM_Object.h"

#include <cstdint>

class AM_EngineOwner;
class AM_AudioObjectMethod;
struct AM_ModSourceInfo;
struct AM_ParamChangeContext;
struct AM_ParamInfo;
struct AM_ProcessContext;

// A list of 32-byte zero-padded value names.
constexpr int32_t k_valueNameBytes = 32;
using AM_ValueNames = const char (*)[k_valueNameBytes];
// The parts of a dotted script name.
constexpr int32_t k_namePartBytes = 32;
using AM_NamePartList = const char (*)[k_namePartBytes];

constexpr int32_t k_moduleNameBytes = 32;
constexpr int32_t k_labelBytes = 128;
// Every piece of module memory is a multiple of this many bytes and starts
// on such a boundary.
constexpr uint32_t k_memoryAlignment = 16;

// A scratch buffer that several modules share; only its owner frees it.
struct AM_SharedMemory {
    void* buffer;
    int32_t size; // bytes
    AM_AudioObject* owner;
};

class AM_AudioObject : public AM_Object {
public:
    // Clears every field, sets the class mask to 4, copies the name (at most
    // 31 characters; "untitled" for null) and derives the short name.
    AM_AudioObject(AM_EngineOwner* owner, const char* name);
    // Deletes the first child and the next sibling, both labels, and the
    // shared buffer when this object owns it.
    ~AM_AudioObject() override;

    // A new host is passed on to the first child and the next sibling.
    void setHost(AM_ObjectHost* host) override;
    // The framework messages 1-6, 8, 10-12 and 27, then AM_Object's handler.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // Test hook: circuits in probed mode call it with "in" and "out".
    virtual void probe(const char* tag);
    // Bytes of voice memory per voice, and of global memory.
    virtual uint32_t getVoiceMemorySize() = 0;
    virtual uint32_t getGlobalMemorySize() = 0;
    // Carves this subtree's memory from the two cursors (see the .cpp).
    virtual void assignMemory(uint8_t*& voiceCursor, uint8_t*& globalCursor,
                              AM_ProcessContext* context);
    // Called once the memory is assigned; what it writes into copy 0 of the
    // voice memory is replicated to every copy.
    virtual void prepare(AM_ProcessContext* context);
    // Called at the end of setCopies.
    virtual void copiesChanged();
    // A shared scratch buffer of at least `bytes` bytes, zeroed when it is
    // (re)made. Not on the audio thread.
    virtual void* getSharedMemory(uint32_t bytes);
    // Adopts another module's shared buffer when none is set yet.
    virtual void setSharedMemory(AM_SharedMemory* shared);

    // The module's descriptor for a local number, or null.
    virtual const AM_ParamInfo* getParameterTemplate(uint32_t local);
    // The value names of a list parameter: count and list, 0 for none. The
    // parameter manager's override takes a global id.
    virtual int32_t getValueStrings(uint32_t index, AM_ValueNames* list);
    // Where the value of a local parameter lives, or null.
    virtual void* getParameterAddress(uint32_t local);
    // The data of a data-block parameter that has no address, or null.
    virtual void* getParameterData(uint32_t local);
    // Told that a local parameter changed; for assignments it may change the
    // value.
    virtual void parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext* context);

    // Script bindings: a method record for a method name, and values and
    // calls addressed by name parts. The base has none.
    virtual AM_AudioObjectMethod* makeMethodRecord(const char* methodName);
    virtual bool writeDataByName(uint32_t local, AM_NamePartList parts, int32_t partCount,
                                 float value);
    virtual bool readDataByName(uint32_t local, AM_NamePartList parts, int32_t partCount,
                                float* value);
    virtual bool callMethodByName(uint32_t local, AM_NamePartList parts, int32_t partCount,
                                  void* context, float a, float b);

    virtual uint32_t getUserWord();
    // Voice events (types 0 note-off, 1 note-on, 2 fast release, 3
    // retrigger) and MIDI events. Audio thread.
    virtual void voiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                            AM_ProcessContext* context);
    virtual void midiEvent(int32_t kind, int32_t number, float value, float extra, uint32_t frame);
    virtual void printSideChain(int32_t arg);
    // The per-block routine; the base hands out a routine that does nothing.
    virtual AM_ProcessRoutine getProcessRoutine(AM_ProcessContext* context);
    // Resets the module's state; record is the child record of one copy, or
    // null for all of them. Audio thread.
    virtual void reset(AM_ChildRecord* record);
    virtual uint32_t getModSourceCount();
    virtual uint32_t getFirstModSourceIndex();
    // Fills the record of local source i: the long name (or "long name i"
    // with two or more sources), kind 0xa0000, span 1.
    virtual void getModSourceInfo(uint32_t i, AM_ModSourceInfo* info);
    virtual void setGroup(int32_t group);
    virtual int32_t getGroup();
    virtual void printDiagnostics(void* ptr, uint32_t message, uint32_t arg);
    // The process-wide test probe.
    virtual void setTestProbe(float* probe);
    virtual void printTestProbe(const char* tag);
    // Randomizes the module's own parameters by an amount in percent.
    virtual void randomize(float amount);
    // Modules switched on and off together with this one: count and list.
    virtual int32_t getDependentModules(AM_AudioObject* const** list);

    // Tree building. addChild returns the number of child records the child
    // takes (1 in the base).
    virtual void addSibling(AM_AudioObject* object);
    virtual int32_t addChild(AM_AudioObject* object);
    // Link every object with class flag 0x10000 (0x20000) of the subtree in
    // pre-order behind the cursor, which points at the link to fill; returns
    // the cursor behind the last linked object.
    virtual AM_AudioObject** collectMidiReceivers(AM_AudioObject** cursor);
    virtual AM_AudioObject** collectVoiceEventReceivers(AM_AudioObject** cursor);
    // Number of copies of this subtree and the bytes between them; copies
    // copy 0 of the voice memory into the others.
    virtual void setCopies(uint32_t count, uint32_t stride);

    // Parameters across the tree: a tree-wide index counts the own
    // parameters, then the first child's subtree, then the next sibling's.
    virtual int32_t getParameterCount(bool tree);
    virtual const AM_ParamInfo* getParameterTemplateAt(int32_t i);
    // Copies the template into out, writes the module index and the local
    // number; returns the module index, or -1 when i lies outside.
    virtual int32_t getParameterDescriptorAt(int32_t i, AM_ParamInfo* out);
    virtual void* getParameterAddressAt(int32_t i);

    virtual void setUserWord(uint32_t word);
    // Voice memory of voice v (of this module's own voices), global memory.
    virtual void* getVoiceMemory(uint32_t voice);
    virtual void* getGlobalMemory();
    // Own event handler, then the next receiver's. Audio thread.
    virtual void dispatchVoiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                                    AM_ProcessContext* context);
    virtual void dispatchMidiEvent(int32_t kind, int32_t number, float value, float extra,
                                   uint32_t frame);
    virtual uint32_t getSpareValue();
    virtual void setSpareValue(uint32_t value);
    virtual uint32_t getChannelCount();
    virtual uint32_t getBusRow();
    virtual void setBusRow(uint32_t row);
    // Resets the active modules of the subtree. Audio thread.
    virtual void resetTree();
    virtual void randomizeTree(float amount);
    virtual uint32_t getModuleIndex();
    // Whether the module runs: the parent circuit must run it, and a module
    // with class flag 0x40 needs its usage bit.
    virtual bool isActive(int32_t index);

    // --- Not virtual.

    // ORs class flags in and sets the counts. Before numbering.
    void setModuleFlags(uint32_t flags, uint32_t parameterCount, uint32_t channelCount,
                        uint32_t modSourceCount, uint32_t controlRowCount);
    void setVoiceCount(uint32_t count);
    void setChildCopies(uint32_t copies);

    // The module of this subtree (self, first child's, next sibling's) whose
    // whole name (or module index) matches, or null.
    AM_AudioObject* findByName(const char* name);
    AM_AudioObject* findByModuleIndex(uint32_t index);
    // The module and local number of a tree-wide parameter index, or null.
    AM_AudioObject* locateParameter(int32_t i, uint32_t* local);

    // Memory sizing in bytes (every piece rounded up to 16): this module's
    // and everything below and beside it. The voice size serves the engine
    // block and the stride of copies alike.
    uint32_t getSubtreeVoiceMemorySize();
    uint32_t getSubtreeGlobalMemorySize();

    const char* getName() const { return name_; }
    const char* getShortName() const { return shortName_; }
    // The part after ": " (after ':' when no blank follows), or the whole
    // name without a colon.
    const char* getLongName() const;
    const char* getLabel() const { return label_; }
    const char* getSecondLabel() const { return secondLabel_; }
    AM_EngineOwner* getOwner() const { return owner_; }
    AM_AudioObject* getParent() const { return parent_; }
    AM_AudioObject* getFirstChild() const { return firstChild_; }
    AM_AudioObject* getNextSibling() const { return nextSibling_; }
    AM_AudioObject* getPreviousSibling() const { return previousSibling_; }
    AM_AudioObject* getNextMidiReceiver() const { return nextMidiReceiver_; }
    AM_AudioObject* getNextVoiceEventReceiver() const { return nextVoiceEventReceiver_; }
    uint32_t getVoiceCount() const { return voiceCount_; }
    uint32_t getChildCopies() const { return childCopies_; }
    uint32_t getCopyCount() const { return copyCount_; }
    uint32_t getCopyStride() const { return copyStride_; }
    // In 4-byte units, as stored by the sizing.
    uint32_t getVoiceMemoryUnits() const { return voiceMemorySize_; }
    uint32_t getGlobalMemoryUnits() const { return globalMemorySize_; }
    uint32_t getFirstControlRow() const { return firstControlRow_; }
    uint32_t getControlRowCount() const { return controlRowCount_; }
    int32_t getCircuitIndex() const { return circuitIndex_; }
    int32_t getFirstParameterId() const { return firstParameterId_; }
    void setFirstParameterId(int32_t id) { firstParameterId_ = id; }
    AM_SharedMemory* getSharedMemoryRecord() const { return sharedMemory_; }

    // The process-wide test probe; reset for tests.
    static float* getProcessTestProbe();
    static void resetProcessTestProbe();

protected:
    // The process context of the owner, or null.
    AM_ProcessContext* context() const;

    AM_EngineOwner* owner_;
    AM_AudioObject* previousSibling_ = nullptr;
    AM_AudioObject* nextSibling_ = nullptr;
    AM_AudioObject* parent_ = nullptr;
    AM_AudioObject* firstChild_ = nullptr;
    char name_[k_moduleNameBytes] = {};
    char shortName_[8] = {};
    char* label_ = nullptr;
    uint32_t voiceMemorySize_ = 0;  // 4-byte units, all voices together
    uint32_t globalMemorySize_ = 0; // 4-byte units
    uint32_t spareValue_ = 0;
    uint32_t childCopies_ = 1;
    uint32_t copyStride_ = 0; // bytes
    uint32_t copyCount_ = 1;
    char* secondLabel_ = nullptr;
    uint32_t parameterCount_ = 0;
    uint32_t channelCount_ = 1;
    uint32_t voiceCount_ = 1;
    uint32_t modSourceCount_ = 0;
    uint32_t firstModSource_ = 0;
    uint32_t controlRowCount_ = 0;
    uint32_t firstControlRow_ = 0;
    uint32_t userWord_ = 0;
    uint32_t busRow_ = 0;
    uint32_t moduleIndex_ = 0;
    int32_t group_ = -1;
    int32_t circuitIndex_ = -1;
    uint8_t* voiceMemory_ = nullptr;
    uint8_t* globalMemory_ = nullptr;
    AM_AudioObject* nextMidiReceiver_ = nullptr;
    AM_AudioObject* nextVoiceEventReceiver_ = nullptr;
    AM_SharedMemory* sharedMemory_ = nullptr;
    int32_t firstParameterId_ = -1;
};
