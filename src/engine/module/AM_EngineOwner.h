#pragma once
// What the modules and the parameter manager ask of the object that owns the
// module tree. The audio manager derives from this class and answers every
// operation; the modules reach it through their owner pointer.

#include "params/object/AM_Object.h"

#include <cstdint>
#include <cstring>

class AM_AudioObject;
class AM_CircuitObject;
class AM_PresetAdapter;
struct AM_ModuleRecord;
struct AM_ParamInfo;
struct AM_PluginInfo;
struct AM_ProcessContext;

class AM_EngineOwner : public AM_Object {
public:
    AM_EngineOwner() = default;
    explicit AM_EngineOwner(AM_ObjectHost* host) : AM_Object(host) {}

    // --- Used by every module.

    // The process context at the start of the engine block; null before the
    // block exists. Any thread.
    virtual AM_ProcessContext* getProcessContext() = 0;
    // First global id whose descriptor has this module index and local
    // number, -1 when there is none. Not on the audio thread.
    virtual int32_t findParameterIndex(int32_t moduleIndex, int32_t localIndex) = 0;
    // The joint-table record of a global id (or a published index). Callers
    // pass valid indices. Any thread.
    virtual AM_ParamInfo* getParameterDescriptor(int32_t index, bool published) = 0;
    // The parameter manager's value of a parameter. Any thread.
    virtual float getParameter(int32_t index, bool published) = 0;
    // Hands a change to the parameter manager (queued once the engine runs).
    // Any thread.
    virtual void setParameter(int32_t index, float value, bool published) = 0;
    // Told when a circuit's "Circuit Routing" changes. Thread that applies
    // parameter changes.
    virtual void setCircuitRouting(AM_CircuitObject* circuit, float value) = 0;
    // The first module whose short name is the text, or null. Not on the
    // audio thread.
    virtual AM_AudioObject* getModuleByName(const char* shortName) = 0;

    // --- Used by the parameter manager.

    // The count of k_msgCountModSources: sources of all modules + 1.
    virtual uint32_t getModulationSourceCount() = 0;
    // Modules numbered by k_msgAssignIndex, and their records (null outside
    // 0..count-1). Any thread after init.
    virtual int32_t getModuleCount() = 0;
    virtual AM_ModuleRecord* getModuleRecord(int32_t moduleIndex) = 0;
    // Marks the modulation routing for a rebuild before the next block. Any
    // thread.
    virtual void invalidateModulationRouting() = 0;
    // The host's product name ("unknown" until the host adapter sets it).
    virtual const char* getHostName() = 0;
    virtual AM_PluginInfo* getPluginInfo() = 0;
    // The bytes of a data-block parameter (global id) as last written, also
    // while the write still waits for the audio thread; null for anything
    // else. To be read, not written: writes go through
    // setBinaryParameterData. Not on the audio thread.
    virtual void* getBinaryParameterData(int32_t index) = 0;
    // Copies the first size bytes (at most the block's size) of a data-block
    // parameter (global id) as last written into `to`; the copy is whole
    // (never part of one write and part of another) even while the audio
    // thread writes the block. False, nothing copied, for anything but a
    // data block. Not on the audio thread.
    virtual bool copyBinaryParameterData(int32_t index, void* to, uint32_t size)
    {
        const void* data = to ? getBinaryParameterData(index) : nullptr;
        if (!data)
            return false;
        std::memcpy(to, data, size);
        return true;
    }
    // Writes a data-block parameter: the first min(size, block size) bytes
    // of data, the rest of the block zeros (data is never read beyond size
    // bytes). Once the engine processes, a write from another thread
    // reaches the module at the start of the next block; reads answer it at
    // once. Any thread.
    virtual void setBinaryParameterData(int32_t index, const void* data, uint32_t size) = 0;
    // Writes capacity bytes at `to` (the first min(size, capacity) bytes of
    // data, zeros after; data may be null) so that copyBinaryParameterData
    // never copies part of the write: for storage behind a data-block
    // parameter that a thread other than the audio thread writes in place
    // (the meta texts). Not on the audio thread.
    virtual void writeSharedStorage(void* to, uint32_t capacity, const void* data, uint32_t size)
    {
        const uint32_t copied = data ? (size < capacity ? size : capacity) : 0;
        if (copied > 0)
            std::memcpy(to, data, copied);
        std::memset(static_cast<char*>(to) + copied, 0, capacity - copied);
    }
    // Hook called by the parameter manager's set-up once the joint table
    // exists; the owner may hide parameters and change defaults there.
    virtual void setupParameters() = 0;
    // Copies the 16 input and 16 output level-meter values. Any thread.
    virtual void readLevels(float* inputLevels, float* outputLevels) = 0;
    // Keeps the level meters measuring for this many blocks. Any thread.
    virtual void setMeteringCount(uint32_t blocks) = 0;
    // Storage of the meters "MidiLed" and "ChanMet".
    virtual float* getMidiActivityAddress() = 0;
    virtual float* getChannelMeterAddress() = 0;

    // --- Used by the patch-state code.

    // The descriptor of (module short name, parameter short name), or null.
    virtual AM_ParamInfo* findParameter(const char* moduleShortName,
                                        const char* parameterShortName) = 0;
    virtual void setEngineOption(int32_t index, uint32_t value) = 0;
    virtual AM_PresetAdapter* findPresetAdapter(const char* productName) = 0;
};
