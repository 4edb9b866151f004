// The manager's own assignments: matrix rows and XY assignments, the usage
// of modulation sources, and the data-block records.

#include "params/AM_ParaMan.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ModulationRecord.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t kUsageBitsPerWord = 23;
constexpr uint32_t kOneBits = 0x3F800000; // 1.0f
constexpr float kPercent = 0.01f;
// The context of the manager's own changes of XY targets and axes.
constexpr float kXYSampleRate = 44.1f;
constexpr uint32_t kChunkMagic = 0x414D6263; // "cbMA" in little-endian order
constexpr uint32_t kChunkHeaderBytes = 16;

void putU32(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t floatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

} // namespace

bool AM_ParaMan::validMatrixTarget(int32_t target, int32_t selfId) const
{
    if (target < selfId || target >= parameterCount_ || table_[target].kind() != k_kindFloat)
        return false;
    const AM_ModuleRecord* record =
        owner_ ? owner_->getModuleRecord(table_[target].moduleIndex) : nullptr;
    return record && record->group >= 0;
}

bool AM_ParaMan::validXYTarget(int32_t target) const
{
    if (target < 0 || target >= parameterCount_ || table_[target].kind() != k_kindFloat)
        return false;
    // Never a parameter of the XY block itself (its axes and amounts).
    return target < ownId(0) || target >= ownId(layout_.xyBlockEnd());
}

// The target of a matrix row or an XY assignment as a global id; a target
// that is not allowed becomes -1 (and so does the value).
int32_t AM_ParaMan::checkOwnAssignment(uint32_t local, float* value) const
{
    const AM_CoreLayout::Place place = layout_.placeOf(local);
    int32_t target = static_cast<int32_t>(std::floor(*value + 0.5f));
    bool valid = target == -1;
    if (!valid && place.section == AM_CoreLayout::Section::matrix)
        valid = validMatrixTarget(target, ownId(local));
    else if (!valid && place.section == AM_CoreLayout::Section::xyAssignment)
        valid = validXYTarget(target);
    if (!valid)
        target = -1;
    *value = static_cast<float>(target);
    return target;
}

void AM_ParaMan::parameterChanged(uint32_t* local, float* value, AM_ParamChangeContext*)
{
    if (!local || !value || !table_)
        return;
    const AM_CoreLayout::Place place = layout_.placeOf(*local);
    if (place.section == AM_CoreLayout::Section::matrix && place.second == k_matrixTarget) {
        const int32_t target = checkOwnAssignment(*local, value);
        if (AM_ModulationRecord* record = matrixRecord(place.first))
            record->target = target;
        if (owner_)
            owner_->invalidateModulationRouting();
    } else if (place.section == AM_CoreLayout::Section::xyAssignment) {
        if (place.third == k_xyTarget) {
            setXYAssignment(place.first, place.second, checkOwnAssignment(*local, value));
        } else {
            const AM_XYAssignment* xy = getXYAssignment(place.first, place.second);
            if (xy)
                setXYAssignment(place.first, place.second, xy->target);
        }
    }
}

const AM_XYAssignment* AM_ParaMan::getXYAssignment(int32_t axis, int32_t slot) const
{
    if (!block_.xy || axis < 0 || axis >= layout_.axes() || slot < 0 || slot >= layout_.slots())
        return nullptr;
    return &block_.xy[axis * layout_.slots() + slot];
}

void AM_ParaMan::setXYAssignment(int32_t axis, int32_t slot, int32_t target)
{
    if (!table_ || !getXYAssignment(axis, slot))
        return;
    AM_XYAssignment& xy = block_.xy[axis * layout_.slots() + slot];
    AM_ParamChangeContext xyContext{kXYSampleRate};
    if (target != -2) {
        if (target >= 0 && target < parameterCount_) {
            // The target is set to its own value again, so that it loses any
            // offset of the old assignment; the amounts take its range.
            int32_t id = target;
            float value = getValue(target, false);
            setParam(&id, &value, &xyContext, false);
            const float range = table_[target].max - table_[target].min;
            const int32_t upId = ownId(layout_.assignmentLocal(axis, slot, k_xyUp));
            const int32_t downId = ownId(layout_.assignmentLocal(axis, slot, k_xyDown));
            setRange(upId, -range, range);
            setRange(downId, -range, range);
            xy.up = std::clamp(xy.up, -range, range);
            xy.down = std::clamp(xy.down, -range, range);
            block_.values[upId] = xy.up;
            block_.values[downId] = xy.down;
            setRequested(upId, xy.up);
            setRequested(downId, xy.down);
        } else {
            target = -1;
        }
        if (xy.target != target) {
            if (xy.target >= 0) {
                int32_t old = xy.target;
                float value = getValue(old, false);
                setParam(&old, &value, &xyContext, false);
            }
            xy.target = target;
        }
    }
    int32_t axisId = block_.xyAxes[axis];
    float x = requestedValue(axisId);
    xy.offset = x > 0.0f ? x * xy.up * kPercent : x * xy.down * -kPercent;
    setParam(&axisId, &x, &xyContext, false);
}

void AM_ParaMan::clearXYAssignments()
{
    for (int32_t axis = 0; axis < layout_.axes(); ++axis) {
        for (int32_t slot = 0; slot < layout_.slots(); ++slot)
            setXYAssignment(axis, slot, -1);
    }
}

void AM_ParaMan::setUsageBit(int32_t bit, bool on)
{
    AM_ProcessContext* ctx = context_;
    if (!ctx || bit < 0 || bit >= 2 * kUsageBitsPerWord)
        return;
    uint32_t& word = bit < kUsageBitsPerWord ? ctx->usageWord1 : ctx->usageWord2;
    const uint32_t mask = 1u << (bit % kUsageBitsPerWord);
    std::atomic_ref<uint32_t> ref(word);
    if (on)
        ref.fetch_or(mask, std::memory_order_relaxed);
    else
        ref.fetch_and(~mask, std::memory_order_relaxed);
}

void AM_ParaMan::flagModSourceUsed(int32_t source, bool used)
{
    if (source < 1 || source > kUsageCounts)
        return;
    const int32_t k = source - 1;
    if (used) {
        if (++usageCounts_[k] == 1)
            setUsageBit(k, true);
    } else if (usageCounts_[k] > 0) {
        if (--usageCounts_[k] == 0)
            setUsageBit(k, false);
    }
}

int32_t AM_ParaMan::getModSourceUsageCount(int32_t source) const
{
    return (source >= 1 && source <= kUsageCounts) ? usageCounts_[source - 1] : 0;
}

// A module with a usage bit runs only while a selector of a running module
// chooses its source, and that selector may stand anywhere in the table,
// before or after the module's own selectors. So the words are rebuilt from
// nothing and the selectors walked again until the words stop growing: each
// walk finds at least the modules the walk before found running, so the
// last walk counts the selectors of exactly the modules that run, whatever
// their order. Only then do the selectors of idle modules take their
// defaults.
void AM_ParaMan::updateModSourceUsage(bool resetInactive)
{
    if (!table_ || !context_)
        return;
    std::atomic_ref<uint32_t> word1(context_->usageWord1);
    std::atomic_ref<uint32_t> word2(context_->usageWord2);
    word1.store(kOneBits, std::memory_order_relaxed);
    word2.store(kOneBits, std::memory_order_relaxed);
    // Every walk but the last sets at least one more bit.
    for (int32_t walk = 0; walk <= 2 * kUsageBitsPerWord; ++walk) {
        const uint32_t before1 = word1.load(std::memory_order_relaxed);
        const uint32_t before2 = word2.load(std::memory_order_relaxed);
        std::memset(usageCounts_, 0, sizeof(usageCounts_));
        visitSourceSelectors(false);
        if (word1.load(std::memory_order_relaxed) == before1 &&
            word2.load(std::memory_order_relaxed) == before2)
            break;
    }
    if (resetInactive)
        visitSourceSelectors(true);
}

// One walk over the selectors that have storage: those of running modules
// count their source; with resetIdle, those of idle modules take their
// defaults instead. Entry 0 of the source list is "none", so a stored 0 of
// a selector of that list chooses nothing. The second list holds real
// sources only: each of its places, the first included, chooses one.
void AM_ParaMan::visitSourceSelectors(bool resetIdle)
{
    for (int32_t i = 0; i < parameterCount_; ++i) {
        const AM_ParamInfo& info = table_[i];
        if (info.kind() != k_kindInteger || (info.flags & k_paramSourceSelector) == 0)
            continue;
        // Only selectors' storage is looked at: the state reader may move the
        // meta texts' storage meanwhile.
        float* storage = block_.storage[i];
        if (!storage || storage == &block_.header->scratch)
            continue;
        int32_t stored = 0;
        std::memcpy(&stored, storage, sizeof(stored));
        const bool secondList = (info.flags & k_paramSecondList) != 0;
        if (stored == 0 && !secondList)
            continue;
        AM_AudioObject* module = moduleOf(info.moduleIndex);
        const bool idle = module && !module->isActive(info.moduleIndex);
        if (resetIdle) {
            if (idle) {
                const float value = info.defaultValue;
                block_.values[i] = value;
                setRequested(i, value);
                const int32_t reset = static_cast<int32_t>(std::floor(value + 0.5f));
                std::memcpy(storage, &reset, sizeof(reset));
            }
            continue;
        }
        if (idle)
            continue;
        int32_t source = stored;
        if (secondList)
            source = (stored >= 0 && stored < secondCount_) ? block_.secondListSources[stored] : 0;
        flagModSourceUsed(source, true);
    }
}

uint32_t AM_ParaMan::collectBinaryChunks(uint8_t* out, uint32_t capacity)
{
    if (!table_ || !out)
        return 0;
    uint32_t written = 0;
    for (int32_t i = 0; i < parameterCount_; ++i) {
        AM_ParamInfo& info = table_[i];
        if (moduleFilter_ > 0 && info.moduleIndex != moduleFilter_)
            continue;
        if (info.kind() != k_kindData || (info.flags & (k_paramHidden | k_paramNotSaved)) != 0 ||
            (info.flags & k_paramDataPending) == 0)
            continue;
        const int32_t size = static_cast<int32_t>(info.max);
        const uint32_t payload = size > 0 ? static_cast<uint32_t>(size) : 0;
        if (capacity - written < kChunkHeaderBytes + payload || written > capacity) {
            // Later records would take this one's number; stop here.
            AM_STD::printv("AM_ParaMan::collectBinaryChunks: no room for %s\n", info.longName);
            break;
        }
        info.flags &= ~static_cast<uint32_t>(k_paramDataPending);
        uint8_t* record = out + written;
        putU32(record, kChunkMagic);
        putU32(record + 4, static_cast<uint32_t>(size));
        putU32(record + 8, floatBits(info.min));
        putU32(record + 12, floatBits(info.defaultValue));
        if (!owner_ || !owner_->copyBinaryParameterData(i, record + kChunkHeaderBytes, payload)) {
            // The record keeps its size, so the records after it stay readable.
            AM_STD::printv("dataPtr == NULL");
            std::memset(record + kChunkHeaderBytes, 0, payload);
        }
        written += kChunkHeaderBytes + payload;
    }
    return written;
}
