// The modulation routing: which circuit applies and which restores each
// modulation record, rebuilt from the records before a block when the
// matrix changed.

#include "engine/AM_AudioMan.h"

#include "engine/module/AM_AudioObject.h"
#include "engine/module/AM_ModulationRecord.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_ParamInfo.h"

#include <cstring>

namespace {

constexpr float kPercent = 0.01f;

// The indexed object (circuit number) with this module index, or -1.
int32_t indexedObjectOf(const AM_ProcessContext& ctx, uint32_t moduleIndex)
{
    for (uint32_t k = 0; k < ctx.indexedObjectCount; ++k) {
        if (ctx.indexedModuleIndices[k] == moduleIndex)
            return static_cast<int32_t>(k);
    }
    return -1;
}

} // namespace

void AM_AudioMan::rebuildModulationRouting()
{
    // Cleared first: a change of the matrix during the rebuild marks it again.
    routingDirty_.store(0, std::memory_order_release);
    if (!context_ || !paraMan_)
        return;
    AM_ProcessContext& ctx = *context_;
    const uint32_t objects = ctx.indexedObjectCount;
    const uint32_t slots = ctx.modulationSlotCount;
    if (objects > 0) {
        std::memset(ctx.applyCounts, 0, objects * sizeof(uint32_t));
        std::memset(ctx.restoreCounts, 0, objects * sizeof(uint32_t));
    }
    for (uint32_t m = 0; m < slots; ++m) {
        AM_ModulationRecord& record = ctx.modulationRecords[m];
        if (record.target < 0)
            continue;
        float* storage = paraMan_->getValuePointer(record.target);
        const AM_ParamInfo* info = paraMan_->getParameterInfo(record.target);
        if (!storage || !info || info->kind() != k_kindFloat || info->moduleIndex < 0 ||
            static_cast<uint32_t>(info->moduleIndex) >= moduleTableSize_)
            continue;
        const uint32_t owner = static_cast<uint32_t>(info->moduleIndex);

        // The circuit that restores: the first indexed object met walking up
        // from the owning module.
        int32_t restorer = -1;
        for (AM_AudioObject* module = moduleTable_[owner]; module && restorer < 0;
             module = module->getParent())
            restorer = indexedObjectOf(ctx, module->getModuleIndex());
        if (restorer < 0)
            continue;
        // The circuit that applies: the last indexed object numbered at or
        // before the owning module.
        int32_t applier = -1;
        for (uint32_t k = 0; k < objects; ++k) {
            if (ctx.indexedModuleIndices[k] <= owner)
                applier = static_cast<int32_t>(k);
        }
        if (applier < 0)
            continue;

        const uint32_t a = static_cast<uint32_t>(applier);
        const uint32_t r = static_cast<uint32_t>(restorer);
        ctx.applyLists[a * slots + ctx.applyCounts[a]++] = m;
        ctx.restoreLists[r * slots + ctx.restoreCounts[r]++] = m;
        record.targetValue = storage;
        record.minimum = info->min;
        record.maximum = info->max;
        record.scale = (info->max - info->min) * kPercent;
    }
}
