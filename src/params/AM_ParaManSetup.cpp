// The joint parameter table: sizing the shared block, laying the table over
// the module tree, the modulation-source lists, the published numbering and
// the lookups by name.

#include "params/AM_ParaMan.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/AM_PublishedNumbering.h"
#include "params/object/AM_Messages.h"

#include <climits>
#include <cstring>

namespace {

constexpr int32_t kStaticMaskBits = 23;
constexpr int32_t kWordBits = 32;
constexpr int32_t kPublishedNameChars = 15;
constexpr float kSetupSampleRate = 44100.0f;
constexpr uint32_t kOneBits = 0x3F800000; // 1.0f: the usage words with no bit set

AM_AudioObject* rootOf(AM_AudioObject* module)
{
    while (module->getParent())
        module = module->getParent();
    return module;
}

} // namespace

uint32_t AM_ParaMan::getVoiceMemorySize()
{
    if (parameterCount_ < 0) {
        AM_AudioObject* root = rootOf(this);
        parameterCount_ = root->getParameterCount(true);
        rampCount_ = 0;
        listed8Count_ = 0;
        for (int32_t i = 0; i < parameterCount_; ++i) {
            const AM_ParamInfo* info = root->getParameterTemplateAt(i);
            if (!info)
                continue;
            if ((info->flags & k_paramSmoothed) != 0)
                ++rampCount_;
            if (info->kind() == k_kindFloat && (info->flags & k_paramListed8) != 0)
                ++listed8Count_;
        }
        AM_ParamBlockCounts counts;
        counts.parameters = parameterCount_;
        counts.ramps = rampCount_;
        counts.listed8 = listed8Count_;
        counts.axes = layout_.axes();
        counts.slots = layout_.slots();
        const uint32_t sources = owner_ ? owner_->getModulationSourceCount() : 1;
        counts.sources = static_cast<int32_t>(sources > 0 ? sources : 1);
        blockBytes_ = AM_ParamBlock::bytesFor(counts);
        block_.counts = counts;
    }
    return blockBytes_;
}

void AM_ParaMan::setupParameters(AM_ProcessContext* context)
{
    if (!context) {
        AM_STD::printv("AM_ParaMan::setupParameters without a process context\n");
        return;
    }
    getVoiceMemorySize();
    if (!voiceMemory_ || voiceMemorySize_ * 4 < blockBytes_) {
        AM_STD::printv("AM_ParaMan::setupParameters: the parameter block has no memory\n");
        return;
    }
    context_ = context;
    moduleTable_ = context->moduleTable;

    const AM_ParamBlockCounts counts = block_.counts;
    block_.carve(voiceMemory_, counts);
    block_.header->parameterCount = parameterCount_;
    block_.header->xyAxisCount = layout_.axes();
    block_.header->xySlots = layout_.slots();
    changeQueue_.attach(block_.queueMemory, static_cast<uint32_t>(parameterCount_));
    context->parameterValues = block_.values;

    delete[] table_;
    table_ = new AM_ParamInfo[static_cast<size_t>(parameterCount_ > 0 ? parameterCount_ : 1)]();
    block_.header->table = table_;

    buildSourceTables(context);
    describeParameters();

    if (owner_)
        owner_->setupParameters();

    publishedCount_ = 0;
    for (int32_t i = 0; i < parameterCount_; ++i) {
        if ((table_[i].flags & k_paramPublished) != 0) {
            table_[i].publishedIndex = publishedCount_;
            block_.publishedMap[publishedCount_] = i;
            ++publishedCount_;
        } else {
            table_[i].publishedIndex = -1;
        }
    }

    for (int32_t k = 0; k < layout_.axes() * layout_.slots(); ++k)
        block_.xy[k].target = -1;
    std::atomic_ref<uint32_t>(context->usageWord1).store(kOneBits, std::memory_order_relaxed);
    std::atomic_ref<uint32_t>(context->usageWord2).store(kOneBits, std::memory_order_relaxed);

    AM_ParamChangeContext setupContext{kSetupSampleRate};
    for (int32_t i = 0; i < parameterCount_; ++i) {
        const uint32_t kind = table_[i].kind();
        if (kind == k_kindInteger || kind == k_kindFloat || kind == k_kindXYAxis ||
            kind == k_kindAssignment) {
            int32_t id = i;
            float value = table_[i].defaultValue;
            setParam(&id, &value, &setupContext, true);
        }
    }
}

// Asks every module for its sources and derives the start rows, spans,
// static masks, group defaults and the second list.
void AM_ParaMan::buildSourceTables(AM_ProcessContext* context)
{
    int32_t entries = static_cast<int32_t>(context->modSourceCount);
    if (entries < 1)
        entries = 1;
    if (entries > block_.counts.sources) {
        AM_STD::printv("AM_ParaMan: %d modulation sources, room for %d\n", entries,
                       block_.counts.sources);
        entries = block_.counts.sources;
    }
    delete[] sourceList_;
    sourceList_ = new AM_ModSourceInfo[static_cast<size_t>(entries)]();
    sourceCount_ = entries;
    AM_STD::sprintn(sourceList_[0].name, sizeof(sourceList_[0].name), "none");
    sourceList_[0].flags = 0;
    sourceList_[0].span = 0;
    sendMessage(0, k_msgDescribeModSources, 1, sourceList_);

    uint32_t mask1 = 0;
    uint32_t mask2 = 0;
    int32_t running = 0;
    int32_t second = 0;
    bool bit20Found = false;
    std::memset(groupFirstSource_, 0, sizeof(groupFirstSource_));
    firstBit23Source_ = 0;
    secondListBit20_ = 0;
    for (int32_t i = 0; i < entries; ++i) {
        AM_ModSourceInfo& source = sourceList_[i];
        source.name[k_sourceNameBytes - 1] = 0;
        block_.sourceStarts[i] = running;
        block_.sourceSpans[i] = static_cast<int32_t>(source.span);
        running += static_cast<int32_t>(source.span);
        if ((source.flags & k_sourceInStaticMask) != 0) {
            if (i < kStaticMaskBits)
                mask1 |= 1u << i;
            else if (i - kStaticMaskBits < kWordBits)
                mask2 |= 1u << (i - kStaticMaskBits);
        }
        const uint32_t group = AM_sourceGroup(source.flags);
        if (group != 0 && groupFirstSource_[group] == 0)
            groupFirstSource_[group] = i;
        if ((source.flags & k_sourceBit23) != 0 && firstBit23Source_ == 0)
            firstBit23Source_ = i;
        if ((source.flags & k_sourceSecondList) != 0) {
            if ((source.flags & k_sourceBit20) != 0 && !bit20Found) {
                secondListBit20_ = second;
                bit20Found = true;
            }
            block_.secondListSources[second] = i;
            ++second;
        }
    }
    delete[] secondList_;
    secondList_ = new AM_ModSourceInfo[static_cast<size_t>(second > 0 ? second : 1)]();
    for (int32_t k = 0; k < second; ++k)
        secondList_[k] = sourceList_[block_.secondListSources[k]];
    secondCount_ = second;

    context->sourceStartRows = block_.sourceStarts;
    context->sourceSpans = block_.sourceSpans;
    context->staticSourceMask1 = mask1;
    context->staticSourceMask2 = mask2;
    context->secondListCount = static_cast<uint32_t>(second);
    context->secondListSources = block_.secondListSources;
}

// The range and default of a modulation-source selector.
void AM_ParaMan::setSelectorRange(AM_ParamInfo& info)
{
    AM_AudioObject* module = moduleOf(info.moduleIndex);
    info.max = static_cast<float>(sourceCount_ - 1);
    if (module && module->getModSourceCount() > 0 && module->getCopyCount() > 1)
        info.max = static_cast<float>(module->getFirstModSourceIndex()) + info.min - 1.0f;
    info.min = 0.0f;
    const uint32_t group = AM_sourceGroup(info.flags);
    if (group != 0 && groupFirstSource_[group] != 0)
        info.defaultValue = static_cast<float>(groupFirstSource_[group]);
    if ((info.flags & k_paramSecondList) != 0)
        info.max = static_cast<float>(secondCount_ - 1);
    if ((info.flags & k_paramSecondListDefault) != 0)
        info.defaultValue = static_cast<float>(secondListBit20_);
    if ((info.flags & k_paramFirstBit23Default) != 0)
        info.defaultValue = static_cast<float>(firstBit23Source_);
}

// Copies every descriptor into the joint table in tree order and gives each
// its storage, ramp and list places.
void AM_ParaMan::describeParameters()
{
    AM_AudioObject* root = rootOf(this);
    float* scratch = &block_.header->scratch;
    int32_t previousModule = INT_MIN;
    int32_t nextRamp = 0;
    int32_t listed = 0;
    int32_t axes = 0;
    for (int32_t i = 0; i < parameterCount_; ++i) {
        AM_ParamInfo& info = table_[i];
        if (root->getParameterDescriptorAt(i, &info) < 0)
            std::memset(&info, 0, sizeof(info));
        info.index = static_cast<uint32_t>(i);
        char shortName[k_shortNameBytes];
        std::memcpy(shortName, info.shortName, k_shortNameBytes);
        shortName[k_shortNameBytes - 1] = 0;
        AM_setShortName(info, shortName);
        info.longName[k_longNameBytes - 1] = 0;
        info.publishedIndex = -1;

        float* address = static_cast<float*>(root->getParameterAddressAt(i));
        if (address) {
            for (int32_t j = 0; j < i; ++j) {
                if (block_.storage[j] == address)
                    AM_STD::printv("Parm %d %s same ptr as param %d %s", i, info.longName, j,
                                   table_[j].longName);
            }
        } else {
            address = scratch;
        }
        block_.storage[i] = address;
        block_.touch[i] = k_touchIdle;

        if (info.moduleIndex != previousModule) {
            if (AM_AudioObject* module = moduleOf(info.moduleIndex))
                module->setFirstParameterId(i);
            previousModule = info.moduleIndex;
        }
        if ((info.flags & k_paramSourceSelector) != 0)
            setSelectorRange(info);
        block_.rampIndex[i] = -1;
        if ((info.flags & k_paramSmoothed) != 0 && nextRamp < rampCount_) {
            block_.rampIndex[i] = nextRamp;
            block_.ramps[nextRamp] = AM_RampRecord{static_cast<uint32_t>(i), 0.0f, -1, 0.0f};
            ++nextRamp;
        }
        if (info.kind() == k_kindFloat && (info.flags & k_paramListed8) != 0 &&
            listed < listed8Count_)
            block_.listed8[listed++] = i;
        if (info.kind() == k_kindXYAxis && axes < layout_.axes()) {
            block_.xyAxes[axes] = i;
            info.localNumber = static_cast<uint32_t>(axes);
            info.moduleIndex = static_cast<int32_t>(moduleIndex_);
            ++axes;
            xyAxesEnd_ = i + 1;
        }
        if (info.kind() == k_kindAssignment)
            info.max = static_cast<float>(parameterCount_ - 1);
    }
    block_.header->listed8Count = listed;
    block_.header->xyAxisCount = axes;
}

int32_t AM_ParaMan::findParameter(int32_t moduleIndex, const char* longName)
{
    AM_AudioObject* module = moduleOf(moduleIndex);
    if (!module || !longName || !table_)
        return -1;
    const int32_t first = module->getFirstParameterId();
    int32_t count = module->getParameterCount(false);
    if (first < 0 || count <= 0 || first >= parameterCount_)
        return -1;
    if (count > parameterCount_ - first)
        count = parameterCount_ - first;
    // The cursor belongs to this table; outside the module it starts over.
    if (parameterCursor_ < first || parameterCursor_ >= first + count)
        parameterCursor_ = first;
    for (int32_t n = 0; n < count; ++n) {
        if (std::strcmp(table_[parameterCursor_].longName, longName) == 0)
            return parameterCursor_;
        ++parameterCursor_;
        if (parameterCursor_ >= first + count)
            parameterCursor_ = first;
    }
    return -1;
}

void AM_ParaMan::setCustomParamTable(const AM_PublishedNumbering* table)
{
    if (!table || !table_)
        return;
    for (int32_t p = 0; p < publishedCount_; ++p) {
        const int32_t id = table->getInternalIDFromPublished(p);
        if (id < 0 || id >= parameterCount_) {
            AM_STD::printv("AM_ParaMan::setCustomParamTable: published %d has no parameter\n", p);
            continue;
        }
        block_.publishedMap[p] = id;
        table_[id].publishedIndex = p;
        const char* name = table->getPublishedName(p);
        if (name && name[0] != 0) {
            int32_t c = 0;
            for (; c < kPublishedNameChars && name[c] != 0; ++c)
                table_[id].longName[c] = name[c];
            table_[id].longName[c] = 0;
        }
    }
}
