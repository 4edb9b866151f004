// The voice circuit's batched pass: voices taken by a module wait with a
// copy of what they left in the context, the module renders them all, and
// each voice's block then ends in the original order. Audio thread;
// allocates nothing (the store is sized by prepare).

#include "engine/voice/AM_VoiceCircuitBatch.h"

#include "engine/module/AM_CircuitMemory.h"
#include "engine/module/AM_ModulationRecord.h"
#include "engine/module/AM_ProcessContext.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

std::atomic<bool> g_voiceBatching{true};

// The apply list of a circuit: its entries and their records, as the
// matrix walks them.
template <class Visit>
void forEachApplied(int32_t circuitIndex, AM_ProcessContext* ctx, Visit visit)
{
    const uint32_t slots = ctx->modulationSlotCount;
    if (slots == 0 || circuitIndex < 0 ||
        static_cast<uint32_t>(circuitIndex) >= ctx->indexedObjectCount)
        return;
    const uint32_t count = std::min(ctx->applyCounts[circuitIndex], slots);
    const uint32_t* list = ctx->applyLists + static_cast<size_t>(circuitIndex) * slots;
    for (uint32_t i = 0; i < count; ++i) {
        if (list[i] >= slots)
            continue;
        AM_ModulationRecord& m = ctx->modulationRecords[list[i]];
        if (m.targetValue)
            visit(i, m);
    }
}

} // namespace

AM_VoiceCircuitMin::BatchStore::BatchStore(uint32_t voices, uint32_t rowsIn, uint32_t slots)
    : capacity(voices), rowCount(rowsIn), slotCount(slots),
      rows(new float[static_cast<size_t>(voices) * rowsIn * k_controlRowSteps]()),
      flags(new uint32_t[static_cast<size_t>(voices) * rowsIn]()),
      modulated(new float[static_cast<size_t>(voices) * slots + 1]()), runs(new VoiceRun[voices]()),
      present(new int32_t[2 * static_cast<size_t>(voices)]())
{
}

bool AM_VoiceCircuitMin::BatchStore::fits(const AM_ProcessContext* ctx) const
{
    return ctx->controlRowCount <= rowCount && ctx->modulationSlotCount <= slotCount;
}

void AM_VoiceCircuitMin::setVoiceBatching(bool on)
{
    g_voiceBatching.store(on, std::memory_order_relaxed);
}

bool AM_VoiceCircuitMin::voiceBatching()
{
    return g_voiceBatching.load(std::memory_order_relaxed);
}

bool AM_VoiceCircuitMin::canBatch(AM_ChildRecord* own, AM_ProcessContext* ctx)
{
    auto* self = static_cast<AM_VoiceCircuitMin*>(own->object);
    BatchStore* store = self->batchStore_.get();
    if (!voiceBatching() || !store || ctx->voiceBatch || !store->fits(ctx) || !ctx->controlRows)
        return false;
    // A switch fade runs per voice as the voices come; no batch then.
    const auto* header = static_cast<const AM_CircuitHeader*>(own->globalMemory);
    for (int32_t i = 0; i < header->recordCount; ++i) {
        if (header->records[i].spare[0] != 0)
            return false;
    }
    return true;
}

void AM_VoiceCircuitMin::gatherVoice(int32_t start, int32_t length, AM_ChildRecord* own,
                                     int32_t voice, AM_ProcessContext* ctx)
{
    auto* self = static_cast<AM_VoiceCircuitMin*>(own->object);
    BatchStore& store = *self->batchStore_;
    if (store.waiting >= store.capacity) {
        processVoice(start, length, own, voice, ctx);
        return;
    }
    VoiceRun run;
    if (!beginVoice(start, length, own, voice, ctx, run))
        return;
    store.batch.phase = k_voiceBatchGather;
    runVoiceChildren(own, ctx, run, &store.batch);
    store.batch.phase = k_voiceBatchRender;
    if (!run.deferred) {
        endVoice(own, ctx, run);
        return;
    }

    // Keep what the rest of the voice's block reads, then leave the context
    // as the voice's end would (the matrix's values back).
    const uint32_t w = store.waiting++;
    store.runs[w] = run;
    const size_t rowValues = static_cast<size_t>(ctx->controlRowCount) * k_controlRowSteps;
    std::memcpy(store.rows.get() + w * static_cast<size_t>(store.rowCount) * k_controlRowSteps,
                ctx->controlRows, rowValues * sizeof(float));
    if (ctx->rowActiveFlags)
        std::memcpy(store.flags.get() + w * static_cast<size_t>(store.rowCount),
                    ctx->rowActiveFlags, ctx->controlRowCount * sizeof(uint32_t));
    float* modulated = store.modulated.get() + w * static_cast<size_t>(store.slotCount);
    const auto* header = static_cast<const AM_CircuitHeader*>(own->globalMemory);
    forEachApplied(header->circuitIndex, ctx, [modulated](uint32_t i, AM_ModulationRecord& m) {
        modulated[i] = m.modulatedValue;
    });
    store.present[2 * w] = ctx->presentKey;
    store.present[2 * w + 1] = ctx->presentVelocity;
    restoreModulation(header->circuitIndex, ctx);
}

void AM_VoiceCircuitMin::flushVoices(AM_ChildRecord* own, AM_ProcessContext* ctx)
{
    auto* self = static_cast<AM_VoiceCircuitMin*>(own->object);
    BatchStore* store = self->batchStore_.get();
    if (!store || store->waiting == 0)
        return;
    if (store->batch.flush)
        store->batch.flush(store->batch.flushMemory, ctx);

    const auto* header = static_cast<const AM_CircuitHeader*>(own->globalMemory);
    for (uint32_t w = 0; w < store->waiting; ++w) {
        VoiceRun& run = store->runs[w];
        const size_t rowValues = static_cast<size_t>(ctx->controlRowCount) * k_controlRowSteps;
        std::memcpy(ctx->controlRows,
                    store->rows.get() +
                        w * static_cast<size_t>(store->rowCount) * k_controlRowSteps,
                    rowValues * sizeof(float));
        if (ctx->rowActiveFlags)
            std::memcpy(ctx->rowActiveFlags,
                        store->flags.get() + w * static_cast<size_t>(store->rowCount),
                        ctx->controlRowCount * sizeof(uint32_t));
        // The matrix as the voice had it: each target saved and set, in the
        // order of the apply list.
        const float* modulated = store->modulated.get() + w * static_cast<size_t>(store->slotCount);
        forEachApplied(header->circuitIndex, ctx, [modulated](uint32_t i, AM_ModulationRecord& m) {
            m.savedValue = *m.targetValue;
            *m.targetValue = modulated[i];
            m.modulatedValue = modulated[i];
            m.applied = 1;
        });
        ctx->presentKey = store->present[2 * w];
        ctx->presentVelocity = store->present[2 * w + 1];
        store->batch.phase = k_voiceBatchDeliver;
        runVoiceChildren(own, ctx, run, &store->batch);
        store->batch.phase = k_voiceBatchRender;
        endVoice(own, ctx, run);
    }
    store->waiting = 0;
    store->batch = AM_VoiceBatch{};
}
