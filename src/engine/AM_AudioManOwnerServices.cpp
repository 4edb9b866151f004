// What the modules and the parameter manager ask of the audio manager:
// parameters by index and by name, modules by index and by name, data-block
// parameters, the meters, the engine options and the preset adapters.

#include "engine/AM_AudioMan.h"

#include "engine/module/AM_AudioObject.h"
#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"
#include "params/AM_PresetAdapter.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Parameters with flags of this value or above hear of a data-block write.
constexpr uint32_t kNotifyDataFlags = 128;
constexpr size_t kReportLineBytes = 512;
constexpr uint8_t kEditorOptionByte = 1;

bool sameText(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0;
}

// The short name of a descriptor as a terminated text (the field holds at
// most 7 characters, zero-padded).
void shortNameOf(const AM_ParamInfo& info, char (&out)[k_shortNameBytes + 1])
{
    std::memcpy(out, info.shortName, k_shortNameBytes);
    out[k_shortNameBytes] = '\0';
}

} // namespace

int32_t AM_AudioMan::findParameterIndex(int32_t moduleIndex, int32_t localIndex)
{
    if (!paraMan_ || localIndex < 0)
        return -1;
    const int32_t count = paraMan_->getJointParameterCount();
    const AM_ParamInfo* table = paraMan_->getParameterTable();
    if (!table)
        return -1;
    for (int32_t i = 0; i < count; ++i) {
        if (table[i].moduleIndex == moduleIndex &&
            table[i].localNumber == static_cast<uint32_t>(localIndex))
            return i;
    }
    return -1;
}

AM_ParamInfo* AM_AudioMan::getParameterDescriptor(int32_t index, bool published)
{
    const int32_t id = resolveParameterIndex(index, published);
    return id >= 0 ? paraMan_->getParameterInfo(id) : nullptr;
}

float AM_AudioMan::getParameter(int32_t index, bool published)
{
    const int32_t id = resolveParameterIndex(index, published);
    return id >= 0 ? paraMan_->getValue(id, false) : 0.0f;
}

void AM_AudioMan::setParameter(int32_t index, float value, bool published)
{
    int32_t id = resolveParameterIndex(index, published);
    if (id < 0 || !context_)
        return;
    paraMan_->setParam(&id, &value, context_, false);
}

void AM_AudioMan::setCircuitRouting(AM_CircuitObject*, float) {}

AM_AudioObject* AM_AudioMan::getModuleByName(const char* shortName)
{
    if (!shortName || !moduleRecords_ || !moduleTable_)
        return nullptr;
    const uint32_t count = std::min(moduleRecordCount_, moduleTableSize_);
    for (uint32_t i = 0; i < count; ++i) {
        AM_AudioObject* module = moduleTable_[i];
        if (module && sameText(moduleRecords_[i].shortName, shortName)) {
            AM_STD::printv("AM_AudioMan::getModuleByName found %s", module->getName());
            return module;
        }
    }
    return nullptr;
}

int32_t AM_AudioMan::getModuleCount()
{
    return moduleCount_;
}

AM_ModuleRecord* AM_AudioMan::getModuleRecord(int32_t moduleIndex)
{
    if (!moduleRecords_ || moduleIndex < 0 || moduleIndex >= moduleCount_ ||
        static_cast<uint32_t>(moduleIndex) >= moduleRecordCount_)
        return nullptr;
    return &moduleRecords_[moduleIndex];
}

void* AM_AudioMan::getBinaryParameterData(int32_t index)
{
    const AM_ParamInfo* info = getParameterDescriptor(index, false);
    if (!info || info->kind() != k_kindData || info->moduleIndex < 0 ||
        static_cast<uint32_t>(info->moduleIndex) >= moduleTableSize_)
        return nullptr;
    AM_AudioObject* module = moduleTable_[info->moduleIndex];
    if (!module)
        return nullptr;
    void* address = module->getParameterAddress(info->localNumber);
    if (!address)
        return module->getParameterData(info->localNumber);
    // A write still waiting for the audio thread is the value last written.
    if (!platform::isRealtimeThread()) {
        if (const uint8_t* pending = dataBlockStaging_.pendingBytes(index))
            return const_cast<uint8_t*>(pending);
    }
    return address;
}

bool AM_AudioMan::copyBinaryParameterData(int32_t index, void* to, uint32_t size)
{
    const AM_ParamInfo* info = getParameterDescriptor(index, false);
    if (!to || !info || info->kind() != k_kindData || info->moduleIndex < 0 ||
        static_cast<uint32_t>(info->moduleIndex) >= moduleTableSize_)
        return false;
    AM_AudioObject* module = moduleTable_[info->moduleIndex];
    if (!module)
        return false;
    const void* address = module->getParameterAddress(info->localNumber);
    const uint32_t capacity = info->max > 0.0f ? static_cast<uint32_t>(info->max) : 0;
    const uint32_t copied = std::min(size, capacity);
    auto* out = static_cast<uint8_t*>(to);
    if (copied < size)
        std::memset(out + copied, 0, size - copied);
    if (!address) {
        const void* data = module->getParameterData(info->localNumber);
        if (!data)
            return false;
        std::memcpy(out, data, copied);
        return true;
    }
    if (platform::isRealtimeThread()) {
        std::memcpy(out, address, copied);
        return true;
    }
    // A write still waiting for the audio thread is the value last written.
    if (dataBlockStaging_.copyPending(index, out, copied))
        return true;
    // Otherwise the module's storage, copied again when the audio thread
    // wrote it meanwhile.
    const auto* from = static_cast<const uint8_t*>(address);
    for (;;) {
        const uint32_t before = storageWrites_.load(std::memory_order_acquire);
        const uint32_t sharedBefore = sharedWrites_.load(std::memory_order_acquire);
        if ((before | sharedBefore) & 1u) {
            std::this_thread::yield();
            continue;
        }
        // A byte of a write that began after `before` carries that write's
        // start with it (acquire), so the count read below differs.
        for (uint32_t i = 0; i < copied; ++i)
            out[i] = std::atomic_ref<const uint8_t>(from[i]).load(std::memory_order_acquire);
        if (storageWrites_.load(std::memory_order_relaxed) == before &&
            sharedWrites_.load(std::memory_order_relaxed) == sharedBefore)
            return true;
    }
}

void AM_AudioMan::writeStorage(void* to, uint32_t capacity, const void* data, uint32_t size)
{
    auto* out = static_cast<uint8_t*>(to);
    const auto* in = static_cast<const uint8_t*>(data);
    const uint32_t copied = in ? std::min(size, capacity) : 0;
    storageWrites_.fetch_add(1, std::memory_order_relaxed);
    for (uint32_t i = 0; i < capacity; ++i)
        std::atomic_ref<uint8_t>(out[i]).store(i < copied ? in[i] : 0, std::memory_order_release);
    storageWrites_.fetch_add(1, std::memory_order_release);
}

void AM_AudioMan::writeSharedStorage(void* to, uint32_t capacity, const void* data, uint32_t size)
{
    auto* out = static_cast<uint8_t*>(to);
    const auto* in = static_cast<const uint8_t*>(data);
    const uint32_t copied = in ? std::min(size, capacity) : 0;
    std::lock_guard<std::mutex> turn(sharedWriteLock_);
    sharedWrites_.fetch_add(1, std::memory_order_relaxed);
    for (uint32_t i = 0; i < capacity; ++i)
        std::atomic_ref<uint8_t>(out[i]).store(i < copied ? in[i] : 0, std::memory_order_release);
    sharedWrites_.fetch_add(1, std::memory_order_release);
}

void AM_AudioMan::setBinaryParameterData(int32_t index, const void* data, uint32_t size)
{
    const AM_ParamInfo* info = getParameterDescriptor(index, false);
    if (!data || !info || info->kind() != k_kindData || info->moduleIndex < 0 ||
        static_cast<uint32_t>(info->moduleIndex) >= moduleTableSize_ || !(info->max > 0.0f) ||
        !moduleTable_[info->moduleIndex])
        return;
    if (paraMan_ && paraMan_->isProcessing() && dataBlockStaging_.hasSlot(index)) {
        if (!platform::isRealtimeThread()) {
            dataBlockStaging_.write(index, data, size);
            return;
        }
        // The audio thread owns the module's storage and writes it itself
        // (a program change between blocks); a write still waiting from
        // another thread is older and must not land on top of it.
        dataBlockStaging_.discard(index);
    }
    storeDataBlock(*info, data, size);
}

void AM_AudioMan::storeDataBlock(const AM_ParamInfo& info, const void* data, uint32_t size)
{
    AM_AudioObject* module = moduleTable_[info.moduleIndex];
    // Each count of writes has one writer at a time: the audio thread
    // counts its own, the other threads take turns on theirs.
    if (void* address = module->getParameterAddress(info.localNumber)) {
        if (platform::isRealtimeThread())
            writeStorage(address, static_cast<uint32_t>(info.max), data, size);
        else
            writeSharedStorage(address, static_cast<uint32_t>(info.max), data, size);
    }
    if (info.flags >= kNotifyDataFlags) {
        uint32_t local = info.localNumber;
        float value = 0.0f;
        module->parameterChanged(&local, &value, context_);
    }
}

void AM_AudioMan::buildDataBlockStaging()
{
    std::vector<AM_DataBlockStaging::Block> blocks;
    const int32_t count = paraMan_ ? paraMan_->getJointParameterCount() : 0;
    const AM_ParamInfo* table = paraMan_ ? paraMan_->getParameterTable() : nullptr;
    for (int32_t id = 0; table && id < count; ++id) {
        const AM_ParamInfo& info = table[id];
        if (info.kind() != k_kindData || !(info.max > 0.0f) || info.moduleIndex < 0 ||
            static_cast<uint32_t>(info.moduleIndex) >= moduleTableSize_)
            continue;
        const AM_AudioObject* module = moduleTable_[info.moduleIndex];
        if (!module || module == paraMan_)
            continue;
        blocks.push_back({id, static_cast<uint32_t>(info.max)});
    }
    dataBlockStaging_.build(blocks, count);
}

void AM_AudioMan::applyStagedDataBlocks()
{
    dataBlockStaging_.applyReady(
        [this](int32_t id, const uint8_t* bytes, uint32_t size) {
            const AM_ParamInfo* info = paraMan_->getParameterInfo(id);
            AM_AudioObject* module = moduleTable_[info->moduleIndex];
            if (void* address = module->getParameterAddress(info->localNumber))
                writeStorage(address, size, bytes, size);
        },
        [this](int32_t id) {
            const AM_ParamInfo* info = paraMan_->getParameterInfo(id);
            if (info->flags < kNotifyDataFlags)
                return;
            uint32_t local = info->localNumber;
            float value = 0.0f;
            moduleTable_[info->moduleIndex]->parameterChanged(&local, &value, context_);
        });
}

void AM_AudioMan::readLevels(float* inputLevels, float* outputLevels)
{
    for (int32_t c = 0; c < kMeterChannels; ++c) {
        if (inputLevels)
            inputLevels[c] =
                std::atomic_ref<float>(inputLevels_[c]).load(std::memory_order_relaxed);
        if (outputLevels)
            outputLevels[c] =
                std::atomic_ref<float>(outputLevels_[c]).load(std::memory_order_relaxed);
    }
}

void AM_AudioMan::setMeteringCount(uint32_t blocks)
{
    meteringCount_.store(blocks, std::memory_order_relaxed);
}

float* AM_AudioMan::getMidiActivityAddress()
{
    return &midiActivity_;
}

float* AM_AudioMan::getChannelMeterAddress()
{
    return &channelMeter_;
}

AM_ParamInfo* AM_AudioMan::findParameter(const char* moduleShortName,
                                         const char* parameterShortName)
{
    if (!moduleShortName || !parameterShortName || !paraMan_ || !moduleRecords_)
        return nullptr;
    const uint32_t modules =
        std::min(static_cast<uint32_t>(std::max(moduleCount_, 0)), moduleRecordCount_);
    for (uint32_t m = 0; m < modules; ++m) {
        if (!sameText(moduleRecords_[m].shortName, moduleShortName))
            continue;
        // Only the first module with that short name is searched.
        AM_ParamInfo* table = paraMan_->getParameterTable();
        const int32_t count = paraMan_->getJointParameterCount();
        for (int32_t i = 0; table && i < count; ++i) {
            char name[k_shortNameBytes + 1];
            shortNameOf(table[i], name);
            if (table[i].moduleIndex == static_cast<int32_t>(m) &&
                sameText(name, parameterShortName))
                return &table[i];
        }
        return nullptr;
    }
    return nullptr;
}

void AM_AudioMan::setEngineOption(int32_t index, uint32_t value)
{
    if (index < 0 || index >= kEngineOptionCount) {
        AM_STD::printv("AM_AudioMan::setEngineOption: no option %d", index);
        return;
    }
    const bool latencyWasOn = getEngineOption(kOptionBlockLatencyOff) == 0;
    std::atomic_ref<uint32_t>(engineOptions_[index]).store(value, std::memory_order_relaxed);
    if (index == kOptionEditor && value == 1)
        pluginInfo_.optionByte = kEditorOptionByte;
    if (index == kOptionBlockLatencyOff && value == 1 && latencyWasOn &&
        pluginInfo_.latency >= kLatency)
        pluginInfo_.latency -= kLatency;
    if (index != kOptionParameterReport || !paraMan_)
        return;
    const int32_t count = paraMan_->getPublishedCount();
    for (int32_t i = 0; i < count; ++i) {
        const AM_ParamInfo* info = getParameterDescriptor(i, true);
        if (!info)
            continue;
        if (info->publishedIndex != i)
            AM_STD::printv("WRONG! %d != %d", info->publishedIndex, i);
        const AM_ModuleRecord* record = getModuleRecord(info->moduleIndex);
        const AM_AudioObject* module =
            (info->moduleIndex >= 0 && static_cast<uint32_t>(info->moduleIndex) < moduleTableSize_)
                ? moduleTable_[info->moduleIndex]
                : nullptr;
        char name[k_shortNameBytes + 1];
        shortNameOf(*info, name);
        char line[kReportLineBytes];
        AM_STD::sprintn(line, sizeof(line), "%d: %s:%s:\"%s\"\t\t//%s->%s\n", i,
                        record ? record->shortName : "", name, info->longName,
                        module ? module->getName() : "", info->longName);
        platform::standardOutput(line);
    }
}

int32_t AM_AudioMan::registerPresetAdapter(AM_PresetAdapter* adapter)
{
    if (!adapter)
        return -1;
    for (int32_t slot = 0; slot < kPresetAdapterSlots; ++slot) {
        if (!presetAdapters_[slot]) {
            presetAdapters_[slot] = adapter;
            return slot;
        }
    }
    return -1;
}

AM_PresetAdapter* AM_AudioMan::findPresetAdapter(const char* productName)
{
    if (!productName)
        return nullptr;
    for (AM_PresetAdapter* adapter : presetAdapters_) {
        if (!adapter)
            return nullptr;
        if (sameText(adapter->getProductName(), productName))
            return adapter;
    }
    return nullptr;
}
