// Values and changes: setParam, the per-block routine with its ramps and
// XY offsets, and reading values back.

#include "params/AM_ParaMan.h"

#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr float kRampStepFactor = 1.0f / static_cast<float>(AM_ParaMan::kRampBlocks);
constexpr float kPercent = 0.01f;

// Integers are stored as the nearest integer, halves rounded up.
int32_t toStoredInteger(float value)
{
    return static_cast<int32_t>(std::floor(value + 0.5f));
}

} // namespace

void AM_ParaMan::setRequested(int32_t id, float value)
{
    block_.requested[id].store(std::bit_cast<uint32_t>(value), std::memory_order_relaxed);
}

float AM_ParaMan::requestedValue(int32_t id) const
{
    return std::bit_cast<float>(block_.requested[id].load(std::memory_order_relaxed));
}

float AM_ParaMan::clampToRange(int32_t id, float value) const
{
    AM_ParamInfo& info = table_[id];
    const float max = std::atomic_ref<float>(info.max).load(std::memory_order_relaxed);
    const float min = std::atomic_ref<float>(info.min).load(std::memory_order_relaxed);
    if (!(value <= max))
        value = max;
    if (min > value)
        value = min;
    return value;
}

void AM_ParaMan::setRange(int32_t id, float min, float max)
{
    if (id < 0 || id >= parameterCount_)
        return;
    std::atomic_ref<float>(table_[id].min).store(min, std::memory_order_relaxed);
    std::atomic_ref<float>(table_[id].max).store(max, std::memory_order_relaxed);
}

void AM_ParaMan::setParam(int32_t* idPointer, float* value, AM_ParamChangeContext* context,
                          bool immediate)
{
    if (!idPointer || !value)
        return;
    const int32_t id = *idPointer;
    const bool running = running_.load(std::memory_order_acquire);
    if (!running || loading_.load(std::memory_order_acquire) ||
        queueOff_.load(std::memory_order_acquire))
        immediate = true;
    if (!table_ || id < 0 || id >= parameterCount_) {
        AM_STD::printv("Can't set Parmeter with ID %d\n", id);
        return;
    }
    const AM_ParamInfo& info = table_[id];
    if (info.kind() == k_kindData)
        return;
    if (info.kind() == k_meter) {
        AM_STD::printv("AM_ParaMan::setParam k_meter\n");
        return;
    }
    *value = clampToRange(id, *value);
    // The manager's own assignments are checked here already, so that the
    // caller and getValue see a refused target as -1 at once.
    if (info.kind() == k_kindAssignment && info.moduleIndex == static_cast<int32_t>(moduleIndex_))
        checkOwnAssignment(info.localNumber, value);
    setRequested(id, *value);
    if (!running) {
        const std::lock_guard<std::recursive_mutex> turn(directChanges_);
        // Processing may have begun while this thread waited its turn.
        if (!running_.load(std::memory_order_acquire)) {
            applyChange(id, *value, context, true);
            return;
        }
    }
    changeQueue_.post(static_cast<uint32_t>(id), *value, immediate);
}

// Applies one change where the values belong: on the calling thread before
// the first block, on the audio thread afterwards.
void AM_ParaMan::applyChange(int32_t id, float& value, AM_ParamChangeContext* context,
                             bool immediate)
{
    if ((table_[id].flags & k_paramSmoothed) != 0 && !applySmoothed(id, value, immediate))
        return;
    block_.values[id] = value;
    storeValue(id, value, context);
}

// The ramp part of a change of a smoothed parameter. Returns false when the
// change was queued as a ramp (nothing more to do now).
bool AM_ParaMan::applySmoothed(int32_t id, float& value, bool immediate)
{
    const int32_t r = block_.rampIndex[id];
    if (r < 0)
        return true;
    const AM_ParamInfo& info = table_[id];
    AM_RampRecord& ramp = block_.ramps[r];
    AM_ParamBlockHeader& header = *block_.header;
    int32_t length = kRampBlocks;
    float factor = kRampStepFactor;
    if (header.rampQueueCount > kMaxQueuedRamps && info.kind() == k_kindFloat)
        immediate = true;
    if (immediate) {
        length = 1;
        factor = 1.0f;
        block_.values[id] = value;
        for (int32_t q = 0; q < header.rampQueueCount; ++q) {
            if (block_.ramps[block_.rampQueue[q]].parameter == static_cast<uint32_t>(id))
                AM_STD::printv("Param %d - %s already queued in slot %d", id, info.longName,
                               static_cast<int32_t>(block_.rampQueue[q]));
        }
    }
    ramp.target = value;
    float delta = value - block_.values[id];
    if (delta == 0.0f)
        immediate = true;
    if ((info.flags & k_paramWrapAround) != 0) {
        // The short way round the range.
        const float range = info.max - info.min;
        const float other = delta >= 0.0f ? delta - range : range + delta;
        if (std::fabs(other) < std::fabs(delta))
            delta = other;
    }
    ramp.step = delta * factor;
    const int32_t old = ramp.stepsLeft;
    ramp.stepsLeft = length;
    if (old < 1) {
        if (!immediate) {
            block_.rampQueue[header.rampQueueCount] = static_cast<uint32_t>(r);
            ++header.rampQueueCount;
            return false;
        }
        ramp.stepsLeft = 0;
        ramp.step = 0.0f;
        block_.values[id] = value;
        return true;
    }
    // Queued already: a plain change retargets the running ramp, which now
    // runs 50 blocks from where it stands; an immediate one lets it end at
    // the new value with the next step.
    return immediate;
}

// Storage, the owning module and the broadcast of a change.
void AM_ParaMan::storeValue(int32_t id, float value, AM_ParamChangeContext* context)
{
    const AM_ParamInfo& info = table_[id];
    float* storage = block_.storage[id];
    const bool hasStorage = storage && storage != &block_.header->scratch;
    AM_AudioObject* module = moduleOf(info.moduleIndex);
    if (hasStorage) {
        if (info.kind() == k_kindFloat) {
            *storage = value;
        } else if (info.kind() == k_kindInteger) {
            const int32_t stored = toStoredInteger(value);
            std::memcpy(storage, &stored, sizeof(stored));
            if ((info.flags & k_paramSourceSelector) != 0 &&
                (!module || module->isActive(info.moduleIndex)))
                updateModSourceUsage(false);
        }
    }
    // A parameter whose module gives no address still has a pointer, the
    // block's scratch word: its module reads the value from the values array
    // and hears of a change only when it asks to with flag 0x80. One whose
    // pointer was taken away (setValuePointer) is always announced.
    if (!storage || (info.flags & k_paramAlwaysNotify) != 0) {
        if (module) {
            uint32_t local = info.localNumber;
            float changed = value;
            module->parameterChanged(&local, &changed, context);
            if (info.kind() == k_kindAssignment && changed != value) {
                block_.values[id] = changed;
                setRequested(id, changed);
            }
        }
    }
    if ((info.flags & k_paramBroadcast) != 0)
        sendMessage(0, k_msgParameterChanged, static_cast<uint32_t>(info.moduleIndex),
                    module ? module->getGlobalMemory() : nullptr);
}

void AM_ParaMan::beginProcessing()
{
    // Waits for a change being applied directly, so the audio thread never
    // meets one half done.
    const std::lock_guard<std::recursive_mutex> turn(directChanges_);
    running_.store(true, std::memory_order_release);
}

void AM_ParaMan::process(int32_t*, int32_t*, AM_ChildRecord* record, AM_ProcessContext* context)
{
    if (record && record->object)
        static_cast<AM_ParaMan*>(record->object)->runBlock(context);
}

void AM_ParaMan::runBlock(AM_ProcessContext* context)
{
    probe("in");
    if (!table_ || !block_.header) {
        probe("out");
        return;
    }
    running_.store(true, std::memory_order_release);
    queueOff_.store(false, std::memory_order_release);
    if (emptyRequested_.exchange(false, std::memory_order_acq_rel))
        finishAllRamps();
    AM_ParamChangeContext* changeContext = context ? context : context_;
    changeQueue_.drain([this, changeContext](uint32_t id, float value, bool immediate) {
        applyChange(static_cast<int32_t>(id), value, changeContext, immediate);
    });
    advanceRamps();
    applyXY();
    probe("out");
}

// Ends every running ramp at its target at once.
void AM_ParaMan::finishAllRamps()
{
    AM_ParamBlockHeader& header = *block_.header;
    for (int32_t q = 0; q < header.rampQueueCount; ++q) {
        AM_RampRecord& ramp = block_.ramps[block_.rampQueue[q]];
        const int32_t p = static_cast<int32_t>(ramp.parameter);
        ramp.stepsLeft = -1;
        block_.values[p] = ramp.target;
        writeStorage(p);
    }
    header.rampQueueCount = 0;
}

// The value of a parameter into its storage, as its kind stores it.
void AM_ParaMan::writeStorage(int32_t p)
{
    float* storage = block_.storage[p];
    if (!storage || storage == &block_.header->scratch)
        return;
    if (table_[p].kind() == k_kindInteger) {
        const int32_t stored = toStoredInteger(block_.values[p]);
        std::memcpy(storage, &stored, sizeof(stored));
    } else {
        *storage = block_.values[p];
    }
}

// One step of every running ramp; then the stepped values go to storage.
void AM_ParaMan::advanceRamps()
{
    AM_ParamBlockHeader& header = *block_.header;
    header.touchedCount = 0;
    int32_t i = 0;
    while (i < header.rampQueueCount) {
        AM_RampRecord& ramp = block_.ramps[block_.rampQueue[i]];
        const int32_t p = static_cast<int32_t>(ramp.parameter);
        --ramp.stepsLeft;
        if (ramp.stepsLeft > 0) {
            float v = block_.values[p] + ramp.step;
            const AM_ParamInfo& info = table_[p];
            if ((info.flags & k_paramWrapAround) != 0) {
                const float range = info.max - info.min;
                if (v < info.min)
                    v += range;
                if (v > info.max)
                    v -= range;
            }
            block_.values[p] = v;
            ++i;
        } else {
            ramp.stepsLeft = -1;
            block_.values[p] = ramp.target;
            --header.rampQueueCount;
            // The last record takes this place and is stepped in this block.
            if (i < header.rampQueueCount)
                block_.rampQueue[i] = block_.rampQueue[header.rampQueueCount];
        }
        block_.touch[p] = header.touchedCount;
        block_.touched[header.touchedCount++] = p;
    }
    for (int32_t k = header.touchedCount - 1; k >= 0; --k)
        writeStorage(block_.touched[k]);
}

// Adds each XY axis's offsets to its targets' storage and clamps them into
// their ranges; both lists are emptied for the next block.
void AM_ParaMan::applyXY()
{
    AM_ParamBlockHeader& header = *block_.header;
    const int32_t slots = layout_.slots();
    header.xyListCount = 0;
    for (int32_t k = 0; k < header.xyAxisCount; ++k) {
        const float x = block_.values[block_.xyAxes[k]];
        for (int32_t s = 0; s < slots; ++s) {
            AM_XYAssignment& xy = block_.xy[k * slots + s];
            const int32_t t = xy.target;
            if (t < 0 || t >= parameterCount_)
                continue;
            xy.offset = x > 0.0f ? x * xy.up * kPercent : x * xy.down * -kPercent;
            float* storage = block_.storage[t];
            if (!storage || storage == &header.scratch)
                continue;
            block_.xyList[header.xyListCount++] = t;
            if (block_.touch[t] == k_touchXYApplied) {
                *storage += xy.offset;
            } else {
                *storage = block_.values[t] + xy.offset;
                block_.touch[t] = k_touchXYApplied;
            }
        }
    }
    for (int32_t j = 0; j < header.xyListCount; ++j) {
        const int32_t t = block_.xyList[j];
        if (block_.touch[t] == k_touchIdle)
            continue;
        block_.touch[t] = k_touchIdle;
        const float v = *block_.storage[t];
        const float min = table_[t].min;
        const float max = table_[t].max;
        *block_.storage[t] = (std::fabs(v - min) + max + min - std::fabs(v - max)) * 0.5f;
    }
    for (int32_t k = 0; k < header.touchedCount; ++k)
        block_.touch[block_.touched[k]] = k_touchIdle;
    header.touchedCount = 0;
    header.xyListCount = 0;
}

float AM_ParaMan::getValue(int32_t index, bool published)
{
    if (published) {
        if (index < 0 || index >= publishedCount_) {
            AM_STD::printv("AM_ParaMan::getValue: no published parameter %d\n", index);
            return 0.0f;
        }
        index = block_.publishedMap[index];
    }
    if (!table_ || index < 0 || index >= parameterCount_) {
        AM_STD::printv("AM_ParaMan::getValue: no parameter %d\n", index);
        return 0.0f;
    }
    const AM_ParamInfo& info = table_[index];
    float* storage = block_.storage[index];
    const bool hasStorage = storage && storage != &block_.header->scratch;
    if (info.kind() == k_meter)
        return hasStorage ? std::atomic_ref<float>(*storage).load(std::memory_order_relaxed)
                          : requestedValue(index);
    if (info.kind() == k_kindInteger)
        return static_cast<float>(toStoredInteger(requestedValue(index)));
    return requestedValue(index);
}

float AM_ParaMan::getCurrentValue(int32_t index) const
{
    return (table_ && index >= 0 && index < parameterCount_) ? block_.values[index] : 0.0f;
}

float* AM_ParaMan::getValuePointer(int32_t index)
{
    return (table_ && index >= 0 && index < parameterCount_) ? block_.storage[index] : nullptr;
}

void AM_ParaMan::setValuePointer(int32_t index, float* pointer)
{
    if (table_ && index >= 0 && index < parameterCount_)
        block_.storage[index] = pointer;
}
