#include "engine/AM_EngineBlockLayout.h"

#include "engine/module/AM_ModulationRecord.h"
#include "engine/module/AM_ProcessContext.h"

namespace {

constexpr size_t kFloat = sizeof(float);
constexpr size_t kWord = sizeof(uint32_t);
constexpr size_t kRecordBytes = sizeof(AM_ModulationRecord);
constexpr size_t kCarryArraysPerChannel = 2; // carried output, pending input
constexpr size_t kFadeRowsPerChannel = 4;
// Rows of 64 bytes the size formula keeps for the context, and per channel
// of a bus and per channel of the capacity.
constexpr size_t kContextRows = k_contextReservedBytes / 64;
constexpr size_t kRowsPerBusChannel = 40;
constexpr size_t kRowsPerCapacityChannel = 4;
constexpr size_t kControlRowBytes = 64 + kWord; // one row and its active flag

size_t roundUp(size_t n)
{
    return (n + k_engineBlockAlignment - 1) & ~(k_engineBlockAlignment - 1);
}

} // namespace

AM_EngineBlockLayout AM_layoutEngineBlock(const AM_EngineBlockCounts& counts)
{
    const size_t c = counts.channelCapacity;
    const size_t b = counts.channelsPerBus;
    const size_t m = counts.modulationSlots;
    const size_t s = counts.controlRows;
    const size_t x = counts.indexedObjects;

    AM_EngineBlockLayout layout{};
    size_t cursor = roundUp(sizeof(AM_ProcessContext));
    auto take = [&cursor](size_t bytes) {
        const size_t at = cursor;
        cursor += bytes;
        return at;
    };
    layout.controlRows = take(s * k_controlRowSteps * kFloat);
    layout.carryArea = take(b * kCarryArraysPerChannel * k_rowSamples * kFloat);
    layout.busBuffer = take((b + c) * k_rowSamples * kFloat);
    layout.fadeRows = take(b * kFadeRowsPerChannel * k_rowSamples * kFloat);
    layout.modulationRecords = take(m * kRecordBytes);
    layout.indexedModuleIndices = take(x * kWord);
    layout.applyCounts = take(x * kWord);
    layout.applyLists = take(x * m * kWord);
    layout.restoreCounts = take(x * kWord);
    layout.restoreLists = take(x * m * kWord);
    layout.rowActiveFlags = take(s * kWord);
    layout.areasEnd = cursor;
    layout.moduleVoice = roundUp(cursor);
    layout.moduleGlobal = layout.moduleVoice + (counts.moduleVoiceBytes & ~size_t{3});
    layout.moduleEnd = layout.moduleGlobal + counts.moduleGlobalBytes;

    const size_t rows = m + kRowsPerCapacityChannel * c + kRowsPerBusChannel * b + kContextRows;
    layout.blockBytes = rows * 64 + kControlRowBytes * s + kWord * (2 * x * m + 3 * x) +
                        counts.moduleVoiceBytes + counts.moduleGlobalBytes + k_engineBlockSlack;
    return layout;
}
