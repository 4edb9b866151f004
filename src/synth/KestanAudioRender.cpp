// The voice module's per-voice block routine: parameters and control rows
// of the stretch, the shared noise, the oscillators, the noise mix, the
// key-tracked high-pass, the feedback biquads, the filter stage and the
// decimation into the voice's bus rows. Audio thread; allocates nothing.

#include "synth/KestanAudio.h"
#include "synth/KestanVoiceRecord.h"

#include "engine/module/AM_VoiceBatch.h"
#include "synth/dsp/FilterLanes.h"
#include "synth/dsp/OscillatorLanes.h"
#include "synth/dsp/PitchTable.h"
#include "synth/dsp/VoiceControlLaws.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

using K = KestanAudio;

// Control rows that the synth's module tree puts at fixed places: the voice
// circuit's "Voice" row (scales Detune) and the row the vibrato reads while
// its source selector is 0.
constexpr int32_t kVoiceRow = 12;
constexpr int32_t kDefaultVibratoRow = 15;
constexpr int32_t kDestOsc2Fm = 0;
constexpr int32_t kDestOsc2Pwm = 1;
constexpr int32_t kDestFilterFm = 2;

// High-pass: pitch offset of HP_fc, its pitch range, q per unit of HP_Res;
// Osc1's pitch terms.
constexpr double kHighpassOffset = 60.0;
constexpr double kHighpassMaxPitch = 150.0;
constexpr double kHighpassQScale = 0.1;
constexpr float kKeyScaleFactor = 0.64f;
constexpr float kDetuneFactor = 0.02f;
constexpr float kOscBasePitch = 76.0f;
// The feedback path's three low-pass biquads.
constexpr float kFeedbackPitch = 125.0f;
constexpr float kFeedbackQ = 0.7f;
// The two half-band passes leave the voice at this level.
constexpr float kOutputScale = 0.5f;
constexpr int32_t kNoiseColours = 3;
// The work buffer holds two floats per frame: the mix, then Osc1.
constexpr int32_t kWorkStride = 2;
// Lane groups of up to this many voices run each voice's one-voice filter
// kernel; larger ones the voice lanes.
constexpr int32_t kFewVoices = 2;

alignas(16) const float kZeroRow[k_controlRowSteps] = {};

static_assert(synthdsp::kMaxFilterLanes <= synthdsp::kMaxOscillatorLanes,
              "a filter lane group fits the oscillator lanes");

std::atomic<uint32_t> g_noiseGenerator{0};
std::atomic<float> g_plotCoefficient{0.0f};
std::atomic<float> g_plotDamping{0.0f};

// The parameter words of the global record.
struct Words {
    const uint32_t* w;
    float real(uint32_t id) const { return std::bit_cast<float>(w[id]); }
    int32_t integer(uint32_t id) const { return std::bit_cast<int32_t>(w[id]); }
};

// Control rows from the stretch's first step. A row outside the context, and
// the reserved row 0, read as zeros.
struct Rows {
    const AM_ProcessContext* ctx;
    int32_t firstStep;
    const float* row(int32_t index) const
    {
        if (index <= 0 || !ctx->controlRows || static_cast<uint32_t>(index) >= ctx->controlRowCount)
            return kZeroRow;
        return ctx->controlRows + static_cast<size_t>(index) * k_controlRowSteps + firstStep;
    }
    const float* rowOrOnes(int32_t index) const
    {
        return index == 0 ? synthdsp::onesControlRow() : row(index);
    }
};

// What one voice's stretch reads: the parameter words (as the matrix left
// them for the voice) and its control rows by role, each from the stretch's
// first step.
struct VoiceInputs {
    Words p;
    const float* rows[k_kestanRowRoles];
};

VoiceInputs inputsFromContext(const uint32_t* values, const Rows& rows)
{
    const Words p{values};
    const int32_t keySource = p.integer(K::k_pKeySource);
    const int32_t vibratoSource = p.integer(K::k_pVibratoSrc);
    VoiceInputs in{p, {}};
    in.rows[k_kestanRowVoice] = rows.row(kVoiceRow);
    in.rows[k_kestanRowKey] = rows.row(keySource);
    in.rows[k_kestanRowKey2] = rows.row(keySource + 1);
    in.rows[k_kestanRowTune1] = rows.row(p.integer(K::k_pTuneModSrc1));
    in.rows[k_kestanRowTune2] = rows.row(p.integer(K::k_pTuneModSrc2));
    in.rows[k_kestanRowVibrato] = rows.row(vibratoSource != 0 ? vibratoSource : kDefaultVibratoRow);
    in.rows[k_kestanRowPulseWidth] = rows.rowOrOnes(p.integer(K::k_pPWSrc));
    in.rows[k_kestanRowCrossMod] = rows.rowOrOnes(p.integer(K::k_pAudioRateModSrc));
    in.rows[k_kestanRowFm1] = rows.row(p.integer(K::k_pFreqModSrc1));
    in.rows[k_kestanRowFm2] = rows.row(p.integer(K::k_pFreqModSrc2));
    return in;
}

VoiceInputs inputsFromJob(const KestanVoiceJob& job)
{
    VoiceInputs in{Words{job.values}, {}};
    for (int32_t r = 0; r < k_kestanRowRoles; ++r)
        in.rows[r] = job.rows[r];
    return in;
}

synthdsp::OscillatorSettings oscillatorSettings(const Words& p, float voiceRow)
{
    synthdsp::OscillatorSettings s;
    s.shape1 = p.real(K::k_pShape1);
    s.shape2 = p.real(K::k_pShape2);
    s.tune2 = p.real(K::k_pTune2);
    s.fineTune2 = p.real(K::k_pFineTune2);
    s.tuneModDepth1 = p.real(K::k_pTuneModDepth1);
    s.tuneModDepth2 = p.real(K::k_pTuneModDepth2);
    s.pulseWidthDepth = p.real(K::k_pPWDepth);
    s.pulseWidthSourceSet = p.integer(K::k_pPWSrc) != 0;
    s.detune = p.real(K::k_pDetune);
    s.softSync = p.real(K::k_pSoftSync);
    s.vibrato = p.real(K::k_pVibrato);
    s.keyScale = p.real(K::k_pKeyScale);
    s.oscVolume1 = p.real(K::k_pOscVolume1);
    s.oscVolume2 = p.real(K::k_pOscVolume2);
    s.subVolume = p.real(K::k_pSubVolume);
    s.audioRateDest = p.integer(K::k_pAudioRateDest);
    s.xModDepth = p.real(K::k_pXModDepth);
    s.voiceRow = voiceRow;
    return s;
}

synthdsp::FilterSettings filterSettings(const Words& p, float voiceRow)
{
    synthdsp::FilterSettings s;
    s.mode = p.integer(K::k_pVCFMode);
    s.poles = p.integer(K::k_pVCFPoles);
    s.ringModIn1 = p.integer(K::k_pRingModIn1);
    s.ringModIn2 = p.integer(K::k_pRingModIn2);
    s.ringModVolume = p.real(K::k_pRingModVolume);
    s.feedbackVolume = p.real(K::k_pFeedbackVolume);
    s.cutoff = p.real(K::k_pCutoff);
    s.fmDepth1 = p.real(K::k_pFreqModDepth1);
    s.fmDepth2 = p.real(K::k_pFreqModDepth2);
    s.keyFollow = p.real(K::k_pKeyFollow);
    s.resonance = p.real(K::k_pResonance);
    s.mixSpread = p.real(K::k_pMixSpread);
    s.audioRateDest = p.integer(K::k_pAudioRateDest);
    s.xModDepth = p.real(K::k_pXModDepth);
    s.headroom1 = p.real(K::k_pHeadroom1);
    s.clipping1 = p.real(K::k_pClipping1);
    s.detune = p.real(K::k_pDetune);
    s.voiceRow = voiceRow;
    return s;
}

// The noise of the sub-block up to host sample `end`, generated once for all
// voices: a new block counter starts the sub-block over at sample 0, and each
// call extends what is there. So every voice reads the same noise at the same
// place, also when the first call of a block renders only a later stretch.
void ensureNoise(KestanGlobalRecord& g, const AM_ProcessContext* ctx, int32_t end)
{
    if (g.noiseStarted == 0 || g.noise.blockStamp != ctx->blockCounter) {
        g.noise.blockStamp = ctx->blockCounter;
        g.noiseGenerated = 0;
        g.noiseStarted = 1;
    }
    const int32_t from = std::clamp(g.noiseGenerated, 0, k_rowSamples);
    if (end <= from)
        return;
    uint32_t generator = g_noiseGenerator.load(std::memory_order_relaxed);
    synthdsp::generateNoise(g.noise, generator, ctx->samplePeriod, end - from, g.white + from,
                            g.red + from, g.pink + from);
    g_noiseGenerator.store(generator, std::memory_order_relaxed);
    g.noiseGenerated = end;
}

// Adds the weighted noise colours to the mix of the frames each host sample
// spans.
void mixNoise(const Words& p, const KestanGlobalRecord& g, int32_t first, int32_t hostSamples,
              float* work)
{
    const float gain = synthdsp::levelToGain(p.real(K::k_pNoiseVolume));
    if (!(gain > 0.0f))
        return;
    float weight[kNoiseColours];
    for (int32_t c = 0; c < kNoiseColours; ++c)
        weight[c] = synthdsp::shapeWeight(p.real(K::k_pNoiseColour), c + 1) * gain;
    for (int32_t i = 0; i < hostSamples; ++i) {
        const int32_t s = first + i;
        const float noise = weight[0] * g.white[s] + weight[1] * g.red[s] + weight[2] * g.pink[s];
        float* frame = work + 2 * k_kestanOversampling * i;
        for (int32_t k = 0; k < k_kestanOversampling; ++k)
            frame[2 * k] += noise;
    }
}

// The key-tracked high-pass's tuning for the stretch, gliding toward this
// block's design (the filter stage, or the lanes of a batch, run it over the
// mix).
void setHighpassRamp(KestanVoiceRecord& v, const Words& p, const VoiceInputs& in,
                     double oversampledPeriod, float voiceRow, int32_t frames)
{
    const float osc1Pitch = p.real(K::k_pKeyScale) * kKeyScaleFactor * in.rows[k_kestanRowKey][0] +
                            p.real(K::k_pTuneModDepth1) * in.rows[k_kestanRowTune1][0] +
                            p.real(K::k_pDetune) * kDetuneFactor * voiceRow + kOscBasePitch;
    double pitch = double(p.real(K::k_pHPCutoff)) - kHighpassOffset + double(osc1Pitch);
    if (!(pitch > 0.0))
        pitch = 0.0;
    pitch = std::min(pitch, kHighpassMaxPitch);
    const synthdsp::HighpassTuning tuning = synthdsp::stateVariableHighpassTuning(
        pitch, double(p.real(K::k_pHPResonance)) * kHighpassQScale, oversampledPeriod);
    synthdsp::stateVariableHighpassRamp(v.highpass, tuning, 1.0 / double(frames), v.resetFlag != 0);
}

// The bus row, or null when the context has no such row.
float* busRow(const AM_ProcessContext* ctx, uint32_t row)
{
    if (!ctx->busBuffer || row >= ctx->busRowCount)
        return nullptr;
    return ctx->busBuffer + static_cast<size_t>(row) * k_rowSamples;
}

// The buffers one voice's stretch renders through: the work buffer (the
// mix and Osc1 per frame) and each oscillator's signal.
struct StretchBuffers {
    float* work;
    float* osc1;
    float* osc2;
    float* sub;
};

// What the stages before the filter leave for it.
struct FilterInput {
    synthdsp::FilterBlock block;
    synthdsp::FilterRows rows;
    synthdsp::FilterBuffers buffers;
    int32_t frames;
};

// The oscillators' block constants and rows of a voice's stretch.
struct OscillatorInput {
    synthdsp::OscillatorBlock block;
    synthdsp::OscillatorRows rows;
};

OscillatorInput oscillatorInput(const VoiceInputs& in, const AM_ProcessContext* ctx)
{
    const Words& p = in.p;
    const float voiceRow = in.rows[k_kestanRowVoice][0];
    const int32_t dest = p.integer(K::k_pAudioRateDest);
    const float* crossModRow = in.rows[k_kestanRowCrossMod];
    return {synthdsp::makeOscillatorBlock(oscillatorSettings(p, voiceRow), ctx->samplePeriod),
            {
                in.rows[k_kestanRowKey],
                in.rows[k_kestanRowKey2],
                in.rows[k_kestanRowTune1],
                in.rows[k_kestanRowTune2],
                in.rows[k_kestanRowVibrato],
                in.rows[k_kestanRowPulseWidth],
                dest == kDestOsc2Fm ? crossModRow : kZeroRow,
                dest == kDestOsc2Pwm ? crossModRow : kZeroRow,
            }};
}

// The stages between the oscillators (already rendered into `buf`) and the
// filter: noise, the high-pass's tuning and the feedback biquads' ramp.
FilterInput renderAfterOscillators(KestanGlobalRecord& g, KestanVoiceRecord& v,
                                   const VoiceInputs& in, const AM_ProcessContext* ctx,
                                   int32_t start, int32_t length, const StretchBuffers& buf)
{
    const Words& p = in.p;
    const int32_t firstSample = start * k_samplesPerUnit;
    const int32_t hostSamples = length * k_samplesPerUnit;
    const int32_t frames = k_kestanOversampling * hostSamples;
    const float period = ctx->samplePeriod;
    const bool reset = v.resetFlag != 0;
    const float voiceRow = in.rows[k_kestanRowVoice][0];
    const int32_t dest = p.integer(K::k_pAudioRateDest);
    const float* crossModRow = in.rows[k_kestanRowCrossMod];

    mixNoise(p, g, firstSample, hostSamples, buf.work);
    setHighpassRamp(v, p, in, ctx->samplePeriodD / k_kestanOversampling, voiceRow, frames);

    FilterInput f{synthdsp::makeFilterBlock(filterSettings(p, voiceRow), period),
                  {
                      in.rows[k_kestanRowKey],
                      in.rows[k_kestanRowFm1],
                      in.rows[k_kestanRowFm2],
                      dest == kDestFilterFm ? crossModRow : kZeroRow,
                  },
                  {buf.work, buf.osc1, buf.osc2, buf.sub, g.pink + firstSample},
                  frames};
    // The feedback biquads run only while the frames read them; after
    // standing still they restart from cleared state, as after a note on.
    if (synthdsp::filterStageRuns(f.block) && f.block.feedbackUsed) {
        const float rampFactor = 1.0f / float(frames);
        const auto feedbackDesign =
            synthdsp::lowpassBiquadFloat(synthdsp::pitchTable(), kFeedbackPitch, kFeedbackQ,
                                         period / float(k_kestanOversampling));
        const bool restart = reset || v.filter.feedbackIdle != 0;
        for (auto& biquad : v.filter.feedbackLowpass)
            synthdsp::biquadRampFloat(biquad, feedbackDesign, rampFactor, restart);
        v.filter.feedbackIdle = 0;
    } else {
        v.filter.feedbackIdle = 1;
    }
    return f;
}

// The stages before the filter for one voice alone: oscillators, then the
// rest as above.
FilterInput renderToFilter(const synthdsp::OscillatorTables& tables, KestanGlobalRecord& g,
                           KestanVoiceRecord& v, const VoiceInputs& in,
                           const AM_ProcessContext* ctx, int32_t start, int32_t length,
                           const StretchBuffers& buf)
{
    const int32_t frames = k_kestanOversampling * length * k_samplesPerUnit;
    const OscillatorInput osc = oscillatorInput(in, ctx);
    synthdsp::renderOscillators(v.oscillators, osc.block, osc.rows, tables, frames,
                                {buf.work, buf.osc1, buf.osc2, buf.sub});
    return renderAfterOscillators(g, v, in, ctx, start, length, buf);
}

// Back to the host rate from the filtered work buffer into `left` and
// `right`, scaled for the output; the voice's reset is done.
void renderFromFilter(KestanVoiceRecord& v, float* work, int32_t length, float* left, float* right)
{
    const int32_t hostSamples = length * k_samplesPerUnit;
    enginedsp::decimateHalfBand(left, right, work, hostSamples, v.decimatorA, v.decimatorB);
    for (int32_t i = 0; i < hostSamples; ++i) {
        left[i] *= kOutputScale;
        right[i] *= kOutputScale;
    }
    v.resetFlag = 0;
}

void storePlotCoefficients(const KestanVoiceRecord& v)
{
    g_plotCoefficient.store(v.filter.lastCoefficient, std::memory_order_relaxed);
    g_plotDamping.store(v.filter.lastDamping, std::memory_order_relaxed);
}

// One voice's stretch from its inputs into `left` and `right` (the host-rate
// samples of the stretch, scaled for the output), all stages in a row.
void renderStretch(const synthdsp::OscillatorTables& tables, KestanGlobalRecord& g,
                   KestanVoiceRecord& v, const VoiceInputs& in, const AM_ProcessContext* ctx,
                   int32_t start, int32_t length, float* left, float* right)
{
    FilterInput f =
        renderToFilter(tables, g, v, in, ctx, start, length, {g.work, g.osc1, g.osc2, g.sub});
    // The filter stage runs the high-pass frame by frame in its own loop,
    // where the high-pass's work overlaps the filter's long frame-to-frame
    // chain; without the stage it runs alone.
    if (synthdsp::filterStageRuns(f.block))
        f.buffers.highpass = &v.highpass;
    else
        synthdsp::stateVariableHighpassProcess(v.highpass, g.work, f.frames, kWorkStride);
    synthdsp::processFilterStage(v.filter, f.block, f.rows, f.frames, f.buffers);
    storePlotCoefficients(v);
    renderFromFilter(v, g.work, length, left, right);
}

// A lane group's filter stage for a few voices: each voice's one-voice
// kernel with its high-pass in the frame loop (in voice lanes most lanes
// would idle, and the lanes' preparation costs more than they save).
void filterEachVoice(KestanGlobalRecord& g, const uint32_t* members, int32_t size,
                     FilterInput* filters)
{
    for (int32_t m = 0; m < size; ++m) {
        KestanVoiceRecord& v = *g.waiting[members[m]];
        filters[m].buffers.highpass = &v.highpass;
        synthdsp::processFilterStage(v.filter, filters[m].block, filters[m].rows, filters[m].frames,
                                     filters[m].buffers);
    }
}

// A lane group's filter stage in voice lanes: the high-passes side by side,
// each voice's prepared rows in its column, the kernel over all columns.
void filterInLanes(KestanGlobalRecord& g, const uint32_t* members, int32_t size,
                   const FilterInput* filters)
{
    synthdsp::FilterLane lanes[synthdsp::kMaxFilterLanes];
    synthdsp::StateVariableHighpass* highpasses[synthdsp::kMaxFilterLanes];
    float* mixes[synthdsp::kMaxFilterLanes];
    for (int32_t m = 0; m < size; ++m) {
        highpasses[m] = &g.waiting[members[m]]->highpass;
        mixes[m] = g.lanes[m].work;
    }
    const int32_t frames = filters[0].frames;
    synthdsp::processHighpassLanes(highpasses, mixes, size, frames, kWorkStride);
    uint8_t perFrameSteps[k_controlRowSteps] = {};
    for (int32_t m = 0; m < size; ++m)
        synthdsp::markPerFrameSteps(filters[m].block, filters[m].rows, frames, perFrameSteps);
    for (int32_t m = 0; m < size; ++m) {
        KestanVoiceRecord& v = *g.waiting[members[m]];
        synthdsp::prepareFilterLane(v.filter, filters[m].block, filters[m].rows, frames,
                                    filters[m].buffers, g.laneInput + m, g.laneControl + m,
                                    perFrameSteps);
        lanes[m] = {&v.filter, &filters[m].block, g.lanes[m].work};
    }
    // Columns without a voice hold zeros: those written for voices before
    // are cleared when the group shrinks; the others never were written.
    constexpr int32_t kColumns = synthdsp::kMaxFilterLanes;
    const int32_t written = std::clamp(g.laneColumnsWritten, 0, kColumns);
    for (int32_t row = 0; row < k_kestanMaxFrames; ++row) {
        for (int32_t c = size; c < written; ++c) {
            g.laneInput[row * kColumns + c] = 0.0f;
            for (int32_t f = 0; f < synthdsp::kLaneControlFloats; ++f)
                g.laneControl[(synthdsp::kLaneControlFloats * row + f) * kColumns + c] = 0.0f;
        }
    }
    g.laneColumnsWritten = size;
    synthdsp::clipLaneInputs(g.laneInput, frames * kColumns);
    synthdsp::processFilterLanes(lanes, size, frames, {g.laneInput, g.laneControl, perFrameSteps});
}

// A voice taken for a batch: its inputs now, its output at the flush.
void gatherVoice(const KestanAudio* self, KestanGlobalRecord& g, KestanVoiceRecord& v,
                 const AM_ChildRecord* record, const AM_ProcessContext* ctx, int32_t start,
                 int32_t length)
{
    KestanVoiceJob& job = v.job;
    std::memcpy(job.values, g.values, sizeof(job.values));
    const VoiceInputs live = inputsFromContext(g.values, Rows{ctx, start * k_stepsPerUnit});
    const int32_t steps = length * k_stepsPerUnit;
    for (int32_t r = 0; r < k_kestanRowRoles; ++r)
        std::memcpy(job.rows[r], live.rows[r], sizeof(float) * size_t(steps));
    job.start = start;
    job.length = length;
    job.outputRow = record->outputRow;
    g.batchOwner = self;
    g.waiting[g.waitingCount++] = &v;
}

} // namespace

void KestanAudio::process(int32_t* startP, int32_t* lengthP, AM_ChildRecord* record,
                          AM_ProcessContext* ctx)
{
    if (!startP || !lengthP || !record || !ctx || !record->object || !record->voiceMemory ||
        !record->globalMemory)
        return;
    const int32_t start = std::clamp(*startP, 0, k_maxUnitsPerBlock);
    const int32_t length = std::clamp(*lengthP, 0, k_maxUnitsPerBlock - start);
    if (length == 0)
        return;
    const auto* self = static_cast<const KestanAudio*>(record->object);
    auto& g = *static_cast<KestanGlobalRecord*>(record->globalMemory);
    auto& v = *static_cast<KestanVoiceRecord*>(record->voiceMemory);
    const int32_t firstSample = start * k_samplesPerUnit;
    const int32_t hostSamples = length * k_samplesPerUnit;
    float* left = busRow(ctx, record->outputRow);
    float* right = busRow(ctx, record->outputRow + 1u);

    AM_VoiceBatch* batch = ctx->voiceBatch;
    if (batch && batch->phase == k_voiceBatchDeliver) {
        // The voice rendered at the flush: its samples into the bus rows.
        const KestanVoiceJob& job = v.job;
        const int32_t samples = std::min(hostSamples, job.length * k_samplesPerUnit);
        if (left)
            std::memcpy(left + firstSample, job.output, sizeof(float) * size_t(samples));
        if (right)
            std::memcpy(right + firstSample, job.outputRight, sizeof(float) * size_t(samples));
        return;
    }

    // The shared noise as far as this stretch reaches, also for a voice that
    // renders later in the block.
    ensureNoise(g, ctx, firstSample + hostSamples);

    if (batch && batch->mayTake(&KestanAudio::renderBatch, &g) &&
        g.waitingCount < k_kestanBatchVoices) {
        gatherVoice(self, g, v, record, ctx, start, length);
        batch->take(&KestanAudio::renderBatch, &g);
        return;
    }

    const VoiceInputs in = inputsFromContext(g.values, Rows{ctx, start * k_stepsPerUnit});
    // Scratch when the context lacks the bus rows.
    left = left ? left + firstSample : g.osc2;
    right = right ? right + firstSample : g.sub;
    renderStretch(self->tables_, g, v, in, ctx, start, length, left, right);
}

void KestanAudio::renderBatch(void* memory, AM_ProcessContext* ctx)
{
    if (!memory || !ctx)
        return;
    auto& g = *static_cast<KestanGlobalRecord*>(memory);
    const uint32_t count = std::min<uint32_t>(g.waitingCount, k_kestanBatchVoices);
    g.waitingCount = 0;
    if (count == 0 || !g.batchOwner)
        return;
    const synthdsp::OscillatorTables& tables = g.batchOwner->tables_;

    // The filter block of each voice decides whether it runs in lanes and
    // with which others (equal lane keys).
    bool laned[k_kestanBatchVoices];
    uint32_t key[k_kestanBatchVoices];
    // Whether the filter's ring modulator reads the oscillators' signals.
    bool ringModulated[k_kestanBatchVoices];
    uint32_t lanedCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const KestanVoiceJob& job = g.waiting[i]->job;
        const Words p{job.values};
        const synthdsp::FilterBlock block = synthdsp::makeFilterBlock(
            filterSettings(p, job.rows[k_kestanRowVoice][0]), ctx->samplePeriod);
        laned[i] = synthdsp::filterRunsInLanes(block);
        key[i] = synthdsp::filterLaneKey(block);
        ringModulated[i] = block.ringModGain != 0.0f;
        lanedCount += laned[i] ? 1 : 0;
    }

    bool done[k_kestanBatchVoices] = {};
    for (uint32_t i = 0; i < count; ++i) {
        if (done[i])
            continue;
        // The group of voice i: it and the next voices with its key, up to
        // the widest lanes. A voice alone renders as usual.
        uint32_t members[synthdsp::kMaxFilterLanes];
        int32_t size = 0;
        members[size++] = i;
        if (laned[i] && lanedCount > 1) {
            for (uint32_t j = i + 1; j < count && size < synthdsp::kMaxFilterLanes; ++j) {
                if (!done[j] && laned[j] && key[j] == key[i] &&
                    g.waiting[j]->job.length == g.waiting[i]->job.length)
                    members[size++] = j;
            }
        }
        if (size == 1) {
            KestanVoiceRecord& v = *g.waiting[i];
            KestanVoiceJob& job = v.job;
            // The left channel is the output; the right one (the same
            // samples) goes to scratch.
            renderStretch(tables, g, v, inputsFromJob(job), ctx, job.start, job.length, job.output,
                          job.outputRight);
            done[i] = true;
            continue;
        }

        FilterInput filters[synthdsp::kMaxFilterLanes];
        // The oscillators side by side, then each voice's stages up to the
        // filter.
        OscillatorInput oscillators[synthdsp::kMaxFilterLanes];
        synthdsp::OscillatorLane oscillatorLanes[synthdsp::kMaxFilterLanes];
        for (int32_t m = 0; m < size; ++m) {
            KestanVoiceRecord& v = *g.waiting[members[m]];
            KestanLaneScratch& lane = g.lanes[m];
            oscillators[m] = oscillatorInput(inputsFromJob(v.job), ctx);
            const bool signals = ringModulated[members[m]];
            oscillatorLanes[m] = {&v.oscillators,
                                  &oscillators[m].block,
                                  oscillators[m].rows,
                                  {lane.work, signals ? lane.osc1 : nullptr,
                                   signals ? lane.osc2 : nullptr, signals ? lane.sub : nullptr}};
        }
        synthdsp::renderOscillatorLanes(oscillatorLanes, size, tables,
                                        k_kestanOversampling * g.waiting[i]->job.length *
                                            k_samplesPerUnit);
        for (int32_t m = 0; m < size; ++m) {
            KestanVoiceRecord& v = *g.waiting[members[m]];
            KestanVoiceJob& job = v.job;
            KestanLaneScratch& lane = g.lanes[m];
            filters[m] =
                renderAfterOscillators(g, v, inputsFromJob(job), ctx, job.start, job.length,
                                       {lane.work, lane.osc1, lane.osc2, lane.sub});
        }
        if (size <= kFewVoices)
            filterEachVoice(g, members, size, filters);
        else
            filterInLanes(g, members, size, filters);
        // Back to the host rate two voices at a time (a filtered voice's
        // channels are equal, so the right one is the left one).
        for (int32_t m = 0; m < size; m += 2) {
            KestanVoiceRecord& v = *g.waiting[members[m]];
            if (m + 1 == size) {
                renderFromFilter(v, g.lanes[m].work, v.job.length, v.job.output, v.job.outputRight);
            } else {
                KestanVoiceRecord& w = *g.waiting[members[m + 1]];
                const int32_t hostSamples = v.job.length * k_samplesPerUnit;
                enginedsp::decimateHalfBandPair(
                    v.job.output, w.job.output, g.lanes[m].work, g.lanes[m + 1].work, g.work,
                    hostSamples, v.decimatorA, v.decimatorB, w.decimatorA, w.decimatorB);
                for (KestanVoiceRecord* r : {&v, &w}) {
                    for (int32_t k = 0; k < hostSamples; ++k) {
                        r->job.output[k] *= kOutputScale;
                        r->job.outputRight[k] = r->job.output[k];
                    }
                    r->resetFlag = 0;
                }
            }
            done[members[m]] = true;
            if (m + 1 < size)
                done[members[m + 1]] = true;
        }
    }
    // The plot shows the voice that would have rendered last.
    storePlotCoefficients(*g.waiting[count - 1]);
}

float KestanAudio::lastCutoffCoefficient()
{
    return g_plotCoefficient.load(std::memory_order_relaxed);
}

float KestanAudio::lastDamping()
{
    return g_plotDamping.load(std::memory_order_relaxed);
}

void KestanAudio::storeFilterCoefficients(float coefficient, float damping)
{
    g_plotCoefficient.store(coefficient, std::memory_order_relaxed);
    g_plotDamping.store(damping, std::memory_order_relaxed);
}

void KestanAudio::resetProcessState()
{
    g_noiseGenerator.store(0, std::memory_order_relaxed);
    storeFilterCoefficients(0.0f, 0.0f);
}
