// The parameter manager: construction, messages, its own parameters'
// storage and value names, meta texts, version and module lookup.

#include "params/AM_ParaMan.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ModulationRecord.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/ParamKeyWords.h"
#include "params/object/AM_Messages.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kModuleName = "PCore: Core";
constexpr const char* kLiveHost = "Live";
constexpr float kLiveChannelLayout = 2.0f;
constexpr int32_t kMetaBuffers = 3;
constexpr uint32_t kMetaSlack = 16;
constexpr uint32_t kMetaSizes[kMetaBuffers] = {k_metaAuthorBytes, k_metaDescriptionBytes,
                                               k_metaUsageBytes};
// Level display: 16 steps per meter, a hold of 2000 blocks after a read.
constexpr uint32_t kMeterHoldBlocks = 2000;
constexpr float kMeterFloor = 0.001f;
constexpr float kMeterSteps = 13.0f;
constexpr int32_t kMeterChannels = 16;

uint8_t meterNibble(float v)
{
    if (!(v >= 0.0f))
        return 0;
    if (v < kMeterFloor)
        return 1;
    return static_cast<uint8_t>(2 + static_cast<int32_t>(kMeterSteps * std::fmin(v, 1.0f)));
}

} // namespace

AM_ParaMan::AM_ParaMan(AM_EngineOwner* owner, int32_t xyAxes, int32_t xySlots, int32_t matrixRows)
    : AM_AudioObject(owner, kModuleName), layout_(xyAxes, xySlots, matrixRows)
{
    if (xyAxes > k_maxXYAxes)
        AM_STD::printv("AM_ParaMan: %d XY axes asked, %d made\n", xyAxes, k_maxXYAxes);
    setModuleFlags(k_classParaMan, layout_.count(), 1, 0, 0);
    for (int32_t k = 0; k < kMetaBuffers; ++k) {
        meta_[k] = new char[kMetaSizes[k] + kMetaSlack]();
        metaSize_[k] = kMetaSizes[k];
    }
    keyWords_ = new ParamKeyWords(this);
}

AM_ParaMan::~AM_ParaMan()
{
    for (int32_t k = 0; k < kMaxStateLevels; ++k)
        if (chunkBuffers_[k].capacity() > 0 && chunkBuffers_[k].empty())
            AM_STD::printv("%d isn't NULL but should be", k);
    delete keyWords_;
    delete[] stateBuffer_;
    delete[] table_;
    delete[] sourceList_;
    delete[] secondList_;
    for (char* text : meta_)
        delete[] text;
}

void AM_ParaMan::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case k_msgSetTrigger21:
        triggerFlag_ = 1;
        if (arg == 1 && ptr)
            *static_cast<uint32_t*>(ptr) = k_trigger21Answer;
        break;
    case k_msgLoadStateText:
        readStateMessage(static_cast<const char*>(ptr), arg);
        break;
    case k_msgVersionChanged:
        setVersion(arg, true);
        break;
    default:
        break;
    }
    AM_AudioObject::receiveMessage(sender, message, arg, ptr);
}

// The module filter holds the module for the duration of the read; the
// reader takes it from the override (the filter field follows "SelMod" only
// at the next block once blocks run).
void AM_ParaMan::readStateMessage(const char* text, uint32_t filter)
{
    if (!text)
        return;
    const size_t length = std::strlen(text);
    if (length == 0 || length > static_cast<size_t>(INT32_MAX))
        return;
    const int32_t saved = moduleFilter_;
    const int32_t savedOverride = stateFilterOverride_;
    moduleFilter_ = static_cast<int32_t>(filter);
    stateFilterOverride_ = static_cast<int32_t>(filter);
    readState(text, static_cast<int32_t>(length), 2);
    moduleFilter_ = saved;
    stateFilterOverride_ = savedOverride;
}

uint32_t AM_ParaMan::getGlobalMemorySize()
{
    return 0;
}

AM_ProcessRoutine AM_ParaMan::getProcessRoutine(AM_ProcessContext*)
{
    return process;
}

const AM_ParamInfo* AM_ParaMan::getParameterTemplate(uint32_t local)
{
    if (!layout_.makeTemplate(local, &templateRecord_))
        return nullptr;
    if (local == layout_.globalLocal(k_globalChannelLayout) && owner_ && owner_->getHostName() &&
        std::strcmp(owner_->getHostName(), kLiveHost) == 0)
        templateRecord_.defaultValue = kLiveChannelLayout;
    return &templateRecord_;
}

AM_ModulationRecord* AM_ParaMan::matrixRecord(int32_t row) const
{
    AM_ProcessContext* ctx = context_ ? context_ : context();
    if (!ctx || !ctx->modulationRecords || row < 0 ||
        static_cast<uint32_t>(row) >= ctx->modulationSlotCount)
        return nullptr;
    return &ctx->modulationRecords[row];
}

void* AM_ParaMan::getParameterAddress(uint32_t local)
{
    AM_ProcessContext* ctx = context_ ? context_ : context();
    const AM_CoreLayout::Place place = layout_.placeOf(local);
    switch (place.section) {
    case AM_CoreLayout::Section::xyAssignment: {
        if (!block_.xy || place.third == k_xyTarget)
            return nullptr;
        AM_XYAssignment& xy = block_.xy[place.first * layout_.slots() + place.second];
        return place.third == k_xyUp ? &xy.up : &xy.down;
    }
    case AM_CoreLayout::Section::meter:
        if (!ctx)
            return nullptr;
        return place.first == 0 ? &ctx->usageWord1 : &ctx->usageWord2;
    case AM_CoreLayout::Section::matrix: {
        AM_ModulationRecord* record = matrixRecord(place.first);
        if (!record)
            return nullptr;
        switch (place.second) {
        case k_matrixSource:
            return &record->source;
        case k_matrixDepth:
            return &record->depth;
        case k_matrixViaSource:
            return &record->viaSource;
        case k_matrixViaDepth:
            return &record->viaDepth;
        default:
            return nullptr;
        }
    }
    case AM_CoreLayout::Section::global:
        switch (place.first) {
        case k_globalSwingBase:
            return ctx ? &ctx->clockNoteValue : nullptr;
        case k_globalSwing:
            return ctx ? &ctx->clockSwing : nullptr;
        case k_globalSwingLight:
            return ctx ? &ctx->clockGate : nullptr;
        case k_globalSwingTrigger:
            return ctx ? &ctx->clockRestartOnNote : nullptr;
        case k_globalSelectModule:
            return &moduleFilter_;
        case k_globalPatchFormat:
            return &patchFormat_;
        case k_globalPatchCompression:
            return &patchCompression_;
        case k_globalPatchNamed:
            return &patchNamed_;
        case k_globalPatchSong:
            return &patchSong_;
        case k_globalPatchFolder:
            return patchFolder_;
        case k_globalPatchFile:
            return patchFile_;
        case k_globalGuiFile:
            return guiFile_;
        case k_globalGuiScale:
            return &guiScale_;
        case k_globalMetaAuthor:
        case k_globalMetaDescription:
        case k_globalMetaUsage:
            return std::atomic_ref<char*>(meta_[place.first - k_globalMetaAuthor])
                .load(std::memory_order_acquire);
        case k_globalChannelLayout:
            return ctx ? &ctx->channelLayout : nullptr;
        case k_globalSurroundOptions:
            return ctx ? &ctx->surroundOptions : nullptr;
        case k_globalMidiActivity:
            return owner_ ? owner_->getMidiActivityAddress() : nullptr;
        case k_globalChannelMeter:
            return owner_ ? owner_->getChannelMeterAddress() : nullptr;
        default:
            return nullptr;
        }
    case AM_CoreLayout::Section::axis:
    case AM_CoreLayout::Section::none:
        break;
    }
    return nullptr;
}

void* AM_ParaMan::getParameterData(uint32_t local)
{
    if (local != layout_.globalLocal(k_globalLevels)) {
        AM_STD::printv("AM_ParaMan::getParameterData ( int id ) wrong id!!!|n");
        return nullptr;
    }
    return levelsData();
}

uint8_t* AM_ParaMan::levelsData()
{
    float input[kMeterChannels] = {};
    float output[kMeterChannels] = {};
    if (owner_)
        owner_->readLevels(input, output);
    for (int32_t k = 0; k < kMeterChannels; ++k)
        levels_[k] = static_cast<uint8_t>((meterNibble(input[k]) << 4) + meterNibble(output[k]));
    if (owner_)
        owner_->setMeteringCount(kMeterHoldBlocks);
    return levels_;
}

int32_t AM_ParaMan::getValueStrings(uint32_t globalId, AM_ValueNames* list)
{
    const int32_t id = static_cast<int32_t>(globalId);
    if (!table_ || id < 0 || id >= parameterCount_)
        return 0;
    const AM_ParamInfo& info = table_[id];
    if (info.kind() == k_kindInteger && (info.flags & k_paramSourceSelector) != 0) {
        const bool second = (info.flags & k_paramSecondList) != 0;
        const AM_ModSourceInfo* sources = second ? secondList_ : sourceList_;
        const int32_t available = second ? secondCount_ : sourceCount_;
        int32_t count = static_cast<int32_t>(info.max) + 1;
        if (count > available)
            count = available;
        if (count <= 0 || !sources)
            return 0;
        // A source record is 32 bytes and starts with its zero-terminated
        // name, so the list reads as a list of 32-byte names.
        static_assert(sizeof(AM_ModSourceInfo) == k_valueNameBytes);
        if (list)
            *list = reinterpret_cast<AM_ValueNames>(sources);
        return count;
    }
    if (info.kind() != k_kindInteger)
        return 0;
    if (info.moduleIndex != static_cast<int32_t>(moduleIndex_)) {
        AM_AudioObject* module = moduleOf(info.moduleIndex);
        return module ? module->getValueStrings(info.localNumber, list) : 0;
    }
    const AM_CoreLayout::Place place = layout_.placeOf(info.localNumber);
    if (place.section != AM_CoreLayout::Section::global)
        return 0;
    return AM_CoreLayout::globalValueStrings(place.first, list);
}

void AM_ParaMan::allocMetaBuffers(uint32_t authorSize, uint32_t descriptionSize, uint32_t usageSize)
{
    const uint32_t sizes[kMetaBuffers] = {authorSize, descriptionSize, usageSize};
    for (int32_t k = 0; k < kMetaBuffers; ++k) {
        if (meta_[k] && metaSize_[k] >= sizes[k])
            continue;
        // The editor may be copying the text it found a moment ago: the
        // buffer it reads stays until this manager goes. Buffers at least
        // double, so those kept add up to less than the one in use.
        const uint32_t size = std::max(sizes[k], 2 * metaSize_[k]);
        auto grown = std::make_unique<char[]>(size + kMetaSlack);
        char* replaced = meta_[k];
        std::atomic_ref<char*>(meta_[k]).store(grown.get(), std::memory_order_release);
        metaSize_[k] = size;
        if (replaced)
            retiredMeta_.emplace_back(replaced);
        grown.release();
        if (table_ && block_.storage && getFirstParameterId() >= 0)
            block_.storage[ownId(layout_.globalLocal(k_globalMetaAuthor + k))] =
                reinterpret_cast<float*>(meta_[k]);
    }
}

char* AM_ParaMan::getMetaText(int32_t which) const
{
    return (which >= 0 && which < kMetaBuffers) ? meta_[which] : nullptr;
}

uint32_t AM_ParaMan::getMetaSize(int32_t which) const
{
    return (which >= 0 && which < kMetaBuffers) ? metaSize_[which] : 0;
}

void AM_ParaMan::storeMetaText(int32_t which, const char* text, uint32_t length)
{
    char* buffer = getMetaText(which);
    if (!buffer)
        return;
    const uint32_t size = metaSize_[which];
    if (owner_) {
        owner_->writeSharedStorage(buffer, size, text, length);
        return;
    }
    const uint32_t copied = text ? std::min(length, size) : 0;
    if (copied > 0)
        std::memcpy(buffer, text, copied);
    std::memset(buffer + copied, 0, size - copied);
}

void AM_ParaMan::setVersion(uint32_t version, bool quiet)
{
    AM_ProcessContext* ctx = context_ ? context_ : context();
    if (!quiet && ctx && loadStateVersion(*ctx) != version)
        sendMessage(0, k_msgVersionChanged, version, nullptr);
    stateVersion_.store(version, std::memory_order_relaxed);
    if (ctx)
        storeStateVersion(*ctx, version);
}

int32_t AM_ParaMan::findModule(const char* name)
{
    if (!name)
        return -1;
    if (std::strcmp(name, "Current") == 0)
        return currentModule_;
    if (std::strcmp(name, "Selected") == 0)
        return moduleFilter_ > 0 ? moduleFilter_ : currentModule_;
    const int32_t count = owner_ ? owner_->getModuleCount() : 0;
    if (count <= 0)
        return -1;
    if (moduleCursor_ < 0 || moduleCursor_ >= count)
        moduleCursor_ = 0;
    for (int32_t n = 0; n < count; ++n) {
        const int32_t i = (moduleCursor_ + n) % count;
        const AM_ModuleRecord* record = owner_->getModuleRecord(i);
        if (record && std::strcmp(record->longName, name) == 0) {
            moduleCursor_ = i;
            return i;
        }
    }
    return -1;
}

AM_AudioObject* AM_ParaMan::moduleOf(int32_t moduleIndex) const
{
    AM_ProcessContext* ctx = context_;
    if (!moduleTable_ || !ctx || moduleIndex < 0 ||
        static_cast<uint32_t>(moduleIndex) >= ctx->moduleCount)
        return nullptr;
    return moduleTable_[moduleIndex];
}

AM_ParamInfo* AM_ParaMan::getParameterInfo(int32_t id)
{
    return (table_ && id >= 0 && id < parameterCount_) ? &table_[id] : nullptr;
}
