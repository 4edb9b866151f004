// Per-block processing: the choice of path and the stereo path.
//
// The engine renders in sub-blocks of 16 to 64 samples and answers every
// host block with exactly its frames, 16 samples late. Two small queues
// carry the difference between host blocks and sub-blocks:
//   - pending input: host input frames taken but not yet rendered (P);
//   - carried output: rendered frames not yet delivered (A);
// with A + P = 16 after every block. Each sub-block first takes the pending
// input, then fresh host frames, and keeps the next P host frames as the new
// pending input before it writes any output frame; so the host frames it
// writes have all been read, and host buffers may be shared by input and
// output. Frames are delivered in order: the carried ones first, then the
// sub-block's own; what the block does not need yet is carried.
//
// The master gain ramps across the frames delivered; carried frames wait
// without gain and take it when they are delivered.

#include "engine/AM_AudioMan.h"

#include "engine/AM_FlushDenormals.h"
#include "engine/AM_TempoClock.h"
#include "engine/module/AM_CircuitObject.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kUnit = k_samplesPerUnit;
constexpr uint32_t kMaxSubBlock = k_rowSamples;
constexpr uint32_t kStereoChannels = 2;
constexpr float kPercent = 0.01f;
// Both channels into one output: their mean.
constexpr float kMonoMix = 0.5f;
// The voice field of the main circuit's record.
constexpr uint8_t kMainRecordVoice = 2;

uint32_t roundUpToUnit(uint32_t frames)
{
    return (frames + kUnit - 1) / kUnit * kUnit;
}

// `count` host frames of one channel from frame `at`, or zeros without the
// channel.
void takeInput(float* to, const float* channel, uint32_t at, uint32_t count)
{
    if (count == 0)
        return;
    if (channel)
        std::memcpy(to, channel + at, count * sizeof(float));
    else
        std::memset(to, 0, count * sizeof(float));
}

struct StereoOutput {
    float* left;
    float* right;
    bool mono; // both pointers name one buffer
};

// Writes `count` frames to the host from frame `at`, each with the ramp's
// current gain.
void deliver(const StereoOutput& out, uint32_t at, const float* left, const float* right,
             uint32_t count, AM_GainRamp& ramp)
{
    if (out.mono) {
        float* to = out.left + at;
        for (uint32_t i = 0; i < count; ++i)
            to[i] = flushDenormal((left[i] + right[i]) * kMonoMix * ramp.take());
        return;
    }
    float* toLeft = out.left ? out.left + at : nullptr;
    float* toRight = out.right ? out.right + at : nullptr;
    if (ramp.increment == 0.0f) {
        // The gain stands still (every take gives the same value): both
        // channels at once, four samples at a time.
        const float gain = ramp.gain;
        scaleAndFlush(toLeft, left, gain, count);
        scaleAndFlush(toRight, right, gain, count);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const float gain = ramp.take();
        if (toLeft)
            toLeft[i] = flushDenormal(left[i] * gain);
        if (toRight)
            toRight[i] = flushDenormal(right[i] * gain);
    }
}

// Drops the first `count` of `kept + count` carried frames.
void dropFront(float* carry, uint32_t count, uint32_t kept)
{
    if (kept > 0 && count > 0)
        std::memmove(carry, carry + count, kept * sizeof(float));
}

} // namespace

void AM_AudioMan::processBlock()
{
    if (!context_ || !mainCircuit_ || !paraMan_)
        return;
    resetDone_ = 0;
    applyStagedDataBlocks();
    if (routingDirty_.load(std::memory_order_acquire) != 0)
        rebuildModulationRouting();
    if (getEngineOption(kOptionBlockLatencyOff) != 0) {
        processBlockNoLatency();
        return;
    }
    if (pluginInfo_.channelsPerBus > kStereoChannels) {
        processBlockMultiChannel();
        return;
    }
    renderStereoBlock();
}

void AM_AudioMan::renderStereoBlock()
{
    AM_ProcessContext* ctx = context_;
    const uint32_t frames = ctx->sampleFrames;
    StereoOutput out{ctx->outputChannels[0], ctx->outputChannels[1], false};
    out.mono = out.left && out.left == out.right;
    const float* inLeft = ctx->inputChannels[0];
    const float* inRight = ctx->inputChannels[1];
    float* busLeft = ctx->busBuffer;
    float* busRight = busLeft + k_rowSamples;
    float* carryLeft = carriedOutput(0);
    float* carryRight = carriedOutput(1);
    float* pendingLeft = pendingInput(0);
    float* pendingRight = pendingInput(1);

    prepareMainRecord();
    AM_GainRamp ramp = beginGainRamp(frames);
    double nextBarLine = AM_firstBarLine(*ctx);
    uint32_t ahead = std::min(aheadCount_, kLatency);
    uint32_t pending = kLatency - ahead;

    if (frames <= ahead) {
        // Served from the carry alone; the host input waits as pending input
        // (taken before any output is written).
        takeInput(pendingLeft + pending, inLeft, 0, frames);
        takeInput(pendingRight + pending, inRight, 0, frames);
        pending += frames;
        deliver(out, 0, carryLeft, carryRight, frames, ramp);
        ahead -= frames;
        dropFront(carryLeft, frames, ahead);
        dropFront(carryRight, frames, ahead);
    } else {
        uint32_t toRender = frames - ahead;
        uint32_t position = 0; // host frames read and written so far
        while (toRender > 0) {
            const bool last = toRender <= kMaxSubBlock;
            const uint32_t length = last ? roundUpToUnit(toRender) : kMaxSubBlock;

            std::memcpy(busLeft, pendingLeft, pending * sizeof(float));
            std::memcpy(busRight, pendingRight, pending * sizeof(float));
            const uint32_t fresh = length - pending;
            takeInput(busLeft + pending, inLeft, position, fresh);
            takeInput(busRight + pending, inRight, position, fresh);
            // The next host frames wait as pending input: as many as before,
            // or in the last sub-block all that are left (16 at most).
            const uint32_t read = position + fresh;
            if (frames - read <= kLatency)
                pending = frames - read;
            takeInput(pendingLeft, inLeft, read, pending);
            takeInput(pendingRight, inRight, read, pending);
            clearExtraBusRows();

            const AM_ClockStep clock = AM_runClock(*ctx, static_cast<int32_t>(length), nextBarLine);
            runMainCircuit(static_cast<int32_t>(length));
            const int32_t flushed = static_cast<int32_t>(length);
            flushDenormals(busLeft, &flushed);
            flushDenormals(busRight, &flushed);

            const uint32_t due = last ? frames - position : length;
            const uint32_t fromBus = due - ahead;
            deliver(out, position, carryLeft, carryRight, ahead, ramp);
            deliver(out, position + ahead, busLeft, busRight, fromBus, ramp);
            ahead = length - fromBus;
            std::memcpy(carryLeft, busLeft + fromBus, ahead * sizeof(float));
            std::memcpy(carryRight, busRight + fromBus, ahead * sizeof(float));
            position += due;
            AM_finishClock(*ctx, clock);
            toRender = last ? 0 : toRender - length;
        }
    }
    aheadCount_ = ahead;
    pendingCount_ = pending;
    masterGain_ = ramp.target;
    decayMidiActivity();
}

float AM_AudioMan::outputGain() const
{
    const AM_CircuitHeader* header = mainCircuit_ ? mainCircuit_->getHeader() : nullptr;
    const float gain = header ? header->outputValue * kPercent : masterGain_;
    if (std::isfinite(gain))
        return gain;
    return std::isfinite(masterGain_) ? masterGain_ : 0.0f;
}

AM_GainRamp AM_AudioMan::beginGainRamp(uint32_t frames) const
{
    const float to = outputGain();
    const float from = std::isfinite(masterGain_) ? masterGain_ : to;
    return AM_GainRamp::across(from, to, frames);
}

void AM_AudioMan::prepareMainRecord()
{
    mainRecord_.voiceMemory = mainCircuit_->getVoiceMemory(0);
    mainRecord_.globalMemory = mainCircuit_->getGlobalMemory();
    mainRecord_.object = mainCircuit_;
    mainRecord_.routine = mainCircuit_->getProcessRoutine(context_);
    mainRecord_.inputRow = 0;
    mainRecord_.outputRow = 0;
    mainRecord_.voice = kMainRecordVoice;
    mainRecord_.flags = k_childRun | k_childCreated;
}

void AM_AudioMan::clearExtraBusRows()
{
    const uint32_t rows = std::min(context_->channelCapacity, context_->busRowCount);
    for (uint32_t row = kStereoChannels; row < rows; ++row)
        std::memset(context_->busBuffer + row * k_rowSamples, 0, k_rowSamples * sizeof(float));
}

void AM_AudioMan::runMainCircuit(int32_t frames)
{
    ++context_->blockCounter;
    int32_t start = 0;
    int32_t units = frames / k_samplesPerUnit;
    if (mainRecord_.routine)
        mainRecord_.routine(&start, &units, &mainRecord_, context_);
}

void AM_AudioMan::decayMidiActivity()
{
    std::atomic_ref<float> activity(midiActivity_);
    activity.store(flushDenormal(activity.load(std::memory_order_relaxed) * kMidiActivityDecay),
                   std::memory_order_relaxed);
}

float* AM_AudioMan::carriedOutput(uint32_t channel) const
{
    return carryArea_ + channel * k_rowSamples;
}

float* AM_AudioMan::pendingInput(uint32_t channel) const
{
    return carryArea_ + (carvedChannelsPerBus_ + channel) * k_rowSamples;
}
