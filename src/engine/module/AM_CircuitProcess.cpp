// The control-rate engine: a circuit's per-block routine and the switch
// cross-fade. Audio thread; allocates nothing.

#include "engine/module/AM_CircuitObject.h"

#include "engine/module/AM_ModulationRecord.h"
#include "engine/module/AM_ProcessContext.h"

#include <algorithm>
#include <cmath>

namespace {

// Controller smoothing: a jump d takes about ((1.05 - |d|) / 2)^2 / 12
// seconds, faster the larger the jump.
constexpr float kSmoothingOffset = 1.05f;
constexpr float kSmoothingHalf = 0.5f;
constexpr float kSmoothingRate = 12.0f;
constexpr float kPercent = 0.01f;

// Clamps a stretch to the sub-block (at most 4 units).
void clampStretch(int32_t& start, int32_t& length)
{
    start = std::clamp(start, 0, k_maxUnitsPerBlock);
    length = std::clamp(length, 0, k_maxUnitsPerBlock - start);
}

float rowValue(const AM_ProcessContext* ctx, int32_t row, int32_t step)
{
    if (row <= 0 || static_cast<uint32_t>(row) >= ctx->controlRowCount || !ctx->controlRows)
        return 0.0f;
    return ctx->controlRows[row * k_controlRowSteps + step];
}

} // namespace

void AM_CircuitObject::smoothControllers(AM_CircuitVoice* voice, uint32_t firstRow, int32_t start,
                                         int32_t length, AM_ProcessContext* ctx)
{
    const int32_t steps = length * k_stepsPerUnit;
    for (int32_t k = 0; k < k_circuitControllers; ++k) {
        const float d = voice->target[k] - voice->current[k];
        if (d == 0.0f)
            continue;
        float increment = voice->increment[k];
        float current = voice->current[k];
        if (increment == 0.0f) {
            const float time = (kSmoothingOffset - std::fabs(d)) * kSmoothingHalf;
            increment = d / (time * time) * (kSmoothingRate * ctx->samplePeriod);
        }
        const float end = current + static_cast<float>(steps) * increment;
        if ((d > 0.0f && end >= voice->target[k]) || (d < 0.0f && end <= voice->target[k])) {
            current = voice->target[k];
            increment = 0.0f;
        }
        const uint32_t row = firstRow + static_cast<uint32_t>(k);
        float* values = (row > 0 && row < ctx->controlRowCount && ctx->controlRows)
                            ? ctx->controlRows + row * k_controlRowSteps + start * k_stepsPerUnit
                            : nullptr;
        for (int32_t s = 0; s < steps; ++s) {
            current += increment;
            if (values)
                values[s] = current;
        }
        voice->current[k] = current;
        voice->increment[k] = increment;
    }
}

void AM_CircuitObject::applyModulation(int32_t circuitIndex, int32_t start, int32_t length,
                                       AM_ProcessContext* ctx)
{
    const uint32_t slots = ctx->modulationSlotCount;
    if (slots == 0 || circuitIndex < 0 ||
        static_cast<uint32_t>(circuitIndex) >= ctx->indexedObjectCount)
        return;
    const int32_t lastStep = std::max(0, (start + length) * k_stepsPerUnit - 1);
    const uint32_t count = std::min(ctx->applyCounts[circuitIndex], slots);
    const uint32_t* list = ctx->applyLists + static_cast<size_t>(circuitIndex) * slots;
    for (uint32_t i = 0; i < count; ++i) {
        if (list[i] >= slots)
            continue;
        AM_ModulationRecord& m = ctx->modulationRecords[list[i]];
        if (!m.targetValue)
            continue;
        const float plain = *m.targetValue;
        m.savedValue = plain;
        const float v = rowValue(ctx, m.source, lastStep);
        float a = 0.0f;
        float w = 0.0f;
        if (m.viaSource != 0) {
            a = m.viaDepth * kPercent;
            w = rowValue(ctx, m.viaSource, lastStep);
        }
        float value = plain + v * m.depth * m.scale * (a * w + 1.0f - a);
        value = std::min(std::max(value, m.minimum), m.maximum);
        *m.targetValue = value;
        m.modulatedValue = value;
        m.applied = 1;
    }
}

void AM_CircuitObject::restoreModulation(int32_t circuitIndex, AM_ProcessContext* ctx)
{
    const uint32_t slots = ctx->modulationSlotCount;
    if (slots == 0 || circuitIndex < 0 ||
        static_cast<uint32_t>(circuitIndex) >= ctx->indexedObjectCount)
        return;
    const uint32_t count = std::min(ctx->restoreCounts[circuitIndex], slots);
    const uint32_t* list = ctx->restoreLists + static_cast<size_t>(circuitIndex) * slots;
    for (uint32_t i = count; i-- > 0;) {
        if (list[i] >= slots)
            continue;
        AM_ModulationRecord& m = ctx->modulationRecords[list[i]];
        // A target that something else changed during the block keeps it.
        if (m.applied == 1 && m.targetValue && *m.targetValue == m.modulatedValue)
            *m.targetValue = m.savedValue;
        m.applied = 0;
    }
}

void AM_CircuitObject::runChildren(AM_CircuitHeader* header, const AM_ChildRecord* own,
                                   int32_t start, int32_t length, AM_ProcessContext* ctx)
{
    const int32_t runCount = std::min(header->runCount, header->recordCount);
    for (int32_t i = 0; i < runCount; ++i) {
        const uint32_t number = header->runList[i];
        if (number >= static_cast<uint32_t>(header->recordCount))
            continue;
        AM_ChildRecord& record = header->records[number];
        record.voice = own->voice;
        if (record.fadeCountdown() != 0) {
            crossfadeChild(&record, start, length, ctx);
        } else if ((record.flags & k_childRun) != 0 && record.routine) {
            int32_t s = start;
            int32_t l = length;
            record.routine(&s, &l, &record, ctx);
        }
    }
}

// Runs a child whose switch changed and blends its output with its input:
// the gain moves linearly per sample by (remaining units) / 511 toward the
// end state, so a whole fade spans 511 units of 16 samples.
void AM_CircuitObject::crossfadeChild(AM_ChildRecord* record, int32_t start, int32_t length,
                                      AM_ProcessContext* ctx)
{
    uint32_t channels = record->object ? record->object->getChannelCount() : 0;
    channels = std::min(channels, ctx->fadeRowCount);
    const int32_t first = start * k_samplesPerUnit;
    const int32_t end = (start + length) * k_samplesPerUnit;
    auto busRow = [ctx](uint32_t row) -> float* {
        return (ctx->busBuffer && row < ctx->busRowCount) ? ctx->busBuffer + row * k_rowSamples
                                                          : nullptr;
    };
    for (uint32_t ch = 0; ch < channels; ++ch) {
        const float* in = busRow(record->inputRow + ch);
        float* saved = ctx->fadeRows + ch * k_rowSamples;
        for (int32_t n = first; n < end; ++n)
            saved[n] = in ? in[n] : 0.0f;
    }
    if (record->routine) {
        int32_t s = start;
        int32_t l = length;
        record->routine(&s, &l, record, ctx);
    }
    const uint32_t c = record->fadeCountdown();
    const uint32_t unitsDone = static_cast<uint32_t>(length);
    const uint32_t next = c > unitsDone ? c - unitsDone : 0;
    const float perSample =
        length > 0 ? 1.0f / static_cast<float>(k_samplesPerUnit * length) : 1.0f;
    const float fullFade = static_cast<float>(k_fadeUnits);
    float g0 = static_cast<float>(c) / fullFade;
    float g1 = static_cast<float>(next) / fullFade;
    if ((record->flags & k_childRun) != 0) {
        g0 = 1.0f - g0;
        g1 = 1.0f - g1;
    }
    const float step = (g1 - g0) * perSample;
    for (uint32_t ch = 0; ch < channels; ++ch) {
        float* out = busRow(record->outputRow + ch);
        if (!out)
            continue;
        const float* saved = ctx->fadeRows + ch * k_rowSamples;
        float g = g0;
        for (int32_t n = first; n < end; ++n) {
            out[n] = saved[n] + (out[n] - saved[n]) * g;
            g += step;
        }
    }
    record->setFadeCountdown(next);
}

void AM_CircuitObject::processModules(int32_t* startP, int32_t* lengthP, AM_ChildRecord* own,
                                      AM_ProcessContext* ctx)
{
    if (!own || !ctx || !own->globalMemory || !own->voiceMemory)
        return;
    int32_t start = startP ? *startP : 0;
    int32_t length = lengthP ? *lengthP : 0;
    clampStretch(start, length);
    auto* header = static_cast<AM_CircuitHeader*>(own->globalMemory);
    auto* voice = static_cast<AM_CircuitVoice*>(own->voiceMemory);
    smoothControllers(voice, header->firstControlRow, start, length, ctx);
    applyModulation(header->circuitIndex, start, length, ctx);
    runChildren(header, own, start, length, ctx);
    restoreModulation(header->circuitIndex, ctx);
}

void AM_CircuitObject::processModulesProbed(int32_t* start, int32_t* length, AM_ChildRecord* own,
                                            AM_ProcessContext* ctx)
{
    if (own && own->object)
        own->object->probe("in");
    processModules(start, length, own, ctx);
    if (own && own->object)
        own->object->probe("out");
}
