// One voice over one stretch: its control rows, glide, pressure, gate
// countdown, the modulation matrix for the voice, and the children run with
// their voice memory moved to the voice's copy. Audio thread; allocates
// nothing.

#include "engine/voice/AM_VoiceCircuitMin.h"

#include "engine/module/AM_ProcessContext.h"
#include "engine/voice/AM_VoiceEvents.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kKeyFollowCentre = 64.0f;
constexpr float kKeyFollowScale = 1.0f / 64.0f; // one unit is 64 semitones
constexpr float kPercent = 0.01f;
// "rate" glide: one octave (12/64 key-follow units) x this = 1, so a glide
// takes the time of the "time" mode per octave.
constexpr float kRateDistanceScale = 16.0f / 3.0f;
constexpr float kMaxPressureStep = 0.0003f;
constexpr float kMaxVelocity = 127.0f;
constexpr int32_t kHighestKey = 127;
constexpr int32_t kMaxBend = 24;

struct Rows {
    float* values;
    uint32_t count;

    // The row's values, or null for a row outside the context.
    float* row(uint32_t index) const
    {
        return (values && index > 0 && index < count) ? values + index * k_controlRowSteps
                                                      : nullptr;
    }
};

// Glide phase advance per control step: a glide of g = setting x 0.01 takes
// 4 g^3 seconds in "time" mode, and that time per octave in "rate" mode.
double glideStep(float setting, bool rateMode, float distance, double samplePeriod)
{
    const double g = static_cast<double>(setting) * kPercent;
    if (!(g > 0.0))
        return 1.0;
    double step = samplePeriod / (g * g * g);
    if (rateMode && distance > 0.0f)
        step /= static_cast<double>(distance) * kRateDistanceScale;
    return step;
}

} // namespace

void AM_VoiceCircuitMin::processVoice(int32_t start, int32_t length, AM_ChildRecord* own,
                                      int32_t voice, AM_ProcessContext* ctx)
{
    VoiceRun run;
    if (!beginVoice(start, length, own, voice, ctx, run))
        return;
    runVoiceChildren(own, ctx, run, nullptr);
    endVoice(own, ctx, run);
}

AM_VoiceRecord* AM_VoiceCircuitMin::voiceRecordIn(AM_ChildRecord* own, int32_t voice)
{
    auto* self = static_cast<AM_VoiceCircuitMin*>(own->object);
    auto* shared = reinterpret_cast<AM_VoiceCircuitShared*>(
        static_cast<uint8_t*>(own->voiceMemory) + sizeof(AM_CircuitVoice));
    return reinterpret_cast<AM_VoiceRecord*>(
        reinterpret_cast<uint8_t*>(shared) + k_voiceSharedBytes +
        sizeof(AM_VoiceSlot) * self->slotCount_ + sizeof(AM_VoiceRecord) * voice);
}

bool AM_VoiceCircuitMin::beginVoice(int32_t start, int32_t length, AM_ChildRecord* own,
                                    int32_t voice, AM_ProcessContext* ctx, VoiceRun& run)
{
    start = std::clamp(start, 0, k_maxUnitsPerBlock);
    length = std::clamp(length, 0, k_maxUnitsPerBlock - start);
    auto* self = static_cast<AM_VoiceCircuitMin*>(own->object);
    AM_VoiceCircuitParams* p = self->getParams();
    if (length == 0 || !p || voice < 0 || static_cast<uint32_t>(voice) >= self->voices_)
        return false;
    run = VoiceRun{};
    run.start = start;
    run.length = length;
    run.voice = voice;
    auto* shared = reinterpret_cast<AM_VoiceCircuitShared*>(
        static_cast<uint8_t*>(own->voiceMemory) + sizeof(AM_CircuitVoice));
    AM_VoiceRecord& rec = *voiceRecordIn(own, voice);
    auto* header = static_cast<AM_CircuitHeader*>(own->globalMemory);

    const Rows rows{ctx->controlRows, ctx->controlRowCount};
    const uint32_t r = p->firstControlRow;
    const int32_t steps = length * k_stepsPerUnit;
    const int32_t first = start * k_stepsPerUnit;
    const int32_t last = first + steps - 1;

    const float* wheel = rows.row(self->pitchWheelRow_);
    auto wheelAt = [wheel](int32_t step) { return wheel ? wheel[step] : 0.0f; };
    const int32_t bendRange =
        std::clamp(wheelAt(first) < 0.0f ? p->bendDown : p->bendUp, 0, kMaxBend);
    const float bendScale = static_cast<float>(bendRange) * kKeyFollowScale;
    const float voiceOffset = p->voiceOffset[std::clamp(rec.stackSlot, 0, k_voiceStackMax - 1)];
    auto keyFollow = [voiceOffset](float pitch) {
        return (pitch + voiceOffset - kKeyFollowCentre) * kKeyFollowScale;
    };
    auto glided = [&rec](int32_t i) {
        return rec.glideStart[i] + rec.glidePhase[i] * (rec.targetPitch[i] - rec.glideStart[i]);
    };

    // The present values go to the last step first, so that the modulation
    // matrix samples this voice's sources.
    float* gateRow = rows.row(r + k_voiceRowGate);
    float* keyRow = rows.row(r + k_voiceRowKeyFollow);
    float* key2Row = rows.row(r + k_voiceRowKeyFollow2);
    float* velocityRow = rows.row(r + k_voiceRowVelocity);
    float* pressureRow = rows.row(r + k_voiceRowPressure);
    float* alternateRow = rows.row(r + k_voiceRowAlternate);
    float* randomRow = rows.row(r + k_voiceRowRandom);
    float* voiceRow = rows.row(r + k_voiceRowVoice);
    const float lastBend = wheelAt(last) * bendScale;
    if (gateRow)
        gateRow[last] = rec.gateLevel;
    if (keyRow)
        keyRow[last] = keyFollow(glided(0)) + lastBend;
    if (key2Row)
        key2Row[last] = keyFollow(glided(1)) + lastBend;
    if (velocityRow)
        velocityRow[last] = rec.velocity;
    if (pressureRow)
        pressureRow[last] = rec.pressure;

    // Rows r+5 onward hold, per voice, the values the voice left there (the
    // arpeggiator's row is shared by all voices).
    const uint32_t firstKept = r + k_voiceRowAlternate;
    const uint32_t keptRows =
        rows.count > firstKept ? std::min<uint32_t>(rows.count - firstKept, k_voiceRowMemory) : 0;
    auto kept = [&](uint32_t k) -> float* {
        if (firstKept + k == r + k_voiceRowArpModulator)
            return nullptr;
        return rows.row(firstKept + k);
    };
    for (uint32_t k = 0; k < keptRows; ++k) {
        if (float* values = kept(k))
            values[last] = rec.rowMemory[k];
    }

    applyModulation(header->circuitIndex, start, length, ctx);

    ctx->presentKey = std::clamp(rec.key, 0, kHighestKey);
    ctx->presentVelocity = static_cast<int32_t>(rec.velocity * kMaxVelocity);

    // Glide per control step, so that its speed does not depend on how the
    // block is cut.
    const bool rateMode = p->glideMode == 1;
    double phaseStep[2];
    const float glideSettings[2] = {p->glide, std::max(0.0f, p->glide + p->glide2)};
    for (int32_t i = 0; i < 2; ++i) {
        const float distance = std::fabs(rec.targetPitch[i] - rec.glideStart[i]) * kKeyFollowScale;
        phaseStep[i] = glideStep(glideSettings[i], rateMode, distance, ctx->samplePeriodD);
    }
    const float pressureTarget = shared->keyPressure[std::clamp(rec.key, 0, kHighestKey)];
    const float pressureStep =
        std::clamp((pressureTarget - rec.pressure) / static_cast<float>(steps), -kMaxPressureStep,
                   kMaxPressureStep);
    const bool pressureArrives =
        std::fabs(pressureTarget - rec.pressure) <= kMaxPressureStep * static_cast<float>(steps);

    // The phases run in double precision over the stretch, so that long
    // glides keep their time.
    double phase[2] = {rec.glidePhase[0], rec.glidePhase[1]};
    for (int32_t s = first; s <= last; ++s) {
        for (int32_t i = 0; i < 2; ++i) {
            if (phase[i] < 1.0) {
                phase[i] = std::min(1.0, phase[i] + phaseStep[i]);
                rec.glidePhase[i] = static_cast<float>(phase[i]);
            }
        }
        const float bend = wheelAt(s) * bendScale;
        if (gateRow)
            gateRow[s] = rec.gateLevel;
        rec.gateLevel = std::max(0.0f, rec.gateLevel - rec.gateDecrement);
        if (keyRow)
            keyRow[s] = keyFollow(glided(0)) + bend;
        if (key2Row)
            key2Row[s] = keyFollow(glided(1)) + bend;
        rec.pressure =
            (s == last && pressureArrives) ? pressureTarget : rec.pressure + pressureStep;
        if (velocityRow)
            velocityRow[s] = rec.velocity;
        if (pressureRow)
            pressureRow[s] = rec.pressure;
        if (alternateRow)
            alternateRow[s] = rec.alternate;
        if (randomRow)
            randomRow[s] = rec.random;
        if (voiceRow)
            voiceRow[s] = rec.voiceValue;
    }
    const bool flagRow = ctx->rowActiveFlags && r < ctx->controlRowCount;
    if (flagRow)
        ctx->rowActiveFlags[r] = 1;

    if (rec.gateCountdown < k_gateHeld) {
        rec.gateCountdown -= length;
        if (rec.gateCountdown <= 0) {
            rec.gateCountdown = 0;
            rec.gateLevel = 0.0f;
            rec.gateDecrement = 0.0f;
            if (flagRow)
                ctx->rowActiveFlags[r] = 0;
        }
    }
    return true;
}

void AM_VoiceCircuitMin::runVoiceChildren(AM_ChildRecord* own, AM_ProcessContext* ctx,
                                          VoiceRun& run, AM_VoiceBatch* batch)
{
    auto* self = static_cast<AM_VoiceCircuitMin*>(own->object);
    AM_VoiceCircuitParams* p = self->getParams();
    auto* header = static_cast<AM_CircuitHeader*>(own->globalMemory);
    const int32_t voice = run.voice;
    const bool delivering = batch && batch->phase == k_voiceBatchDeliver;
    run.deferred = false;

    // The children, each with its voice memory moved to this voice's copy;
    // the voice-ended bit passes from record to record.
    const int32_t runCount = std::min(header->runCount, header->recordCount);
    uint32_t endedBit = run.endedBit;
    for (int32_t i = run.nextChild; i < runCount; ++i) {
        const uint32_t number = header->runList[i];
        if (number >= static_cast<uint32_t>(header->recordCount))
            continue;
        AM_ChildRecord& child = header->records[number];
        void* base = child.voiceMemory;
        if (base)
            child.voiceMemory =
                static_cast<uint8_t*>(base) + static_cast<size_t>(voice) * p->childStride;
        child.voice = static_cast<uint8_t>(voice);
        child.flags = (child.flags & ~k_childVoiceEnded) | endedBit;
        if (child.spare[0] != 0) {
            // A switch fade moves once per block, however many voices run.
            child.setFadeCountdown(child.spare[0]);
            crossfadeChild(&child, run.start, run.length, ctx);
        } else if ((child.flags & k_childRun) != 0 && child.routine) {
            int32_t s = run.start;
            int32_t l = run.length;
            // A batch phase reaches the child that took the voice (deliver)
            // or any child (gather); the others render as usual.
            const bool batched = batch && (!delivering || i == run.nextChild);
            if (batched) {
                batch->taken = 0;
                ctx->voiceBatch = batch;
            }
            child.routine(&s, &l, &child, ctx);
            ctx->voiceBatch = nullptr;
            if (batched && !delivering && batch->taken != 0) {
                // Taken: the rest of the voice waits for the flush.
                child.voiceMemory = base;
                run.nextChild = i;
                run.endedBit = endedBit;
                run.deferred = true;
                return;
            }
        }
        child.voiceMemory = base;
        endedBit = child.flags & k_childVoiceEnded;
        run.lastRecord = static_cast<int32_t>(number);
    }
    run.nextChild = runCount;
    run.endedBit = endedBit;
}

void AM_VoiceCircuitMin::endVoice(AM_ChildRecord* own, AM_ProcessContext* ctx, const VoiceRun& run)
{
    auto* self = static_cast<AM_VoiceCircuitMin*>(own->object);
    AM_VoiceCircuitParams* p = self->getParams();
    auto* header = static_cast<AM_CircuitHeader*>(own->globalMemory);
    AM_VoiceRecord& rec = *voiceRecordIn(own, run.voice);
    if (run.lastRecord >= 0 && run.lastRecord < header->recordCount) {
        AM_ChildRecord& lastRecord = header->records[run.lastRecord];
        if ((lastRecord.flags & k_childVoiceEnded) != 0) {
            lastRecord.flags &= ~k_childVoiceEnded;
            rec.state = k_voiceIdle;
        }
    }

    restoreModulation(header->circuitIndex, ctx);

    const Rows rows{ctx->controlRows, ctx->controlRowCount};
    const uint32_t r = p->firstControlRow;
    const int32_t last = (run.start + run.length) * k_stepsPerUnit - 1;
    const uint32_t firstKept = r + k_voiceRowAlternate;
    const uint32_t keptRows =
        rows.count > firstKept ? std::min<uint32_t>(rows.count - firstKept, k_voiceRowMemory) : 0;
    for (uint32_t k = 0; k < keptRows; ++k) {
        if (firstKept + k == r + k_voiceRowArpModulator)
            continue;
        if (const float* values = rows.row(firstKept + k))
            rec.rowMemory[k] = values[last];
    }
}
