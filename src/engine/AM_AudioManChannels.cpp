// The multi-channel path and the no-latency path.
//
// Both route up to 16 host inputs into the bus and the bus into up to 16
// host outputs through the channel tables (AM_ChannelTables.h), point the
// modules at the layout's pan positions, measure the host channels' levels
// while the user interface watches them (AM_LevelMeter.h), and apply the
// master gain ramp across the frames they deliver.
//
// The multi-channel path is the stereo path kept per channel: the same
// sub-block cuts and the same 16-sample delay, with pending input per bus
// channel and carried output per host output. A dry output carries its own
// host input through a 16-sample delay line of its own, so it stays aligned
// with the processed outputs; dry samples take no gain.
//
// The no-latency path renders the host block as it comes, in sub-blocks of
// whole units of 16 samples, with neither carry nor delay. Frames after the
// last whole unit cannot be rendered and are written as silence.
//
// Every connected host output is written in full in both paths: one that the
// layout gives neither a bus channel nor a dry input is silent. A host may
// hand over one buffer as an input and an output: every sub-block reads all
// the host input it needs before it writes any output, and dry outputs are
// written at the end of the block, each input frame read before its output
// frame is written.

#include "engine/AM_AudioMan.h"

#include "engine/AM_ChannelClock.h"
#include "engine/AM_FlushDenormals.h"
#include "engine/AM_LevelMeter.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

constexpr uint32_t kUnit = k_samplesPerUnit;
constexpr uint32_t kMaxSubBlock = k_rowSamples;
constexpr uint32_t kTableSize = k_channelTableSize;
constexpr uint32_t kLatency = AM_AudioMan::kLatency;
constexpr uint32_t kSamplesPerFlushGroup = 4;
static_assert((kLatency & (kLatency - 1)) == 0, "the dry ring position wraps by a mask");
constexpr uint32_t kRingMask = kLatency - 1;

uint32_t roundUpToUnit(uint32_t frames)
{
    return (frames + kUnit - 1) / kUnit * kUnit;
}

uint32_t bitOf(uint32_t channel)
{
    return 1u << channel;
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

// Writes `count` frames to a host output from frame `at`, each with the
// ramp's current gain.
void deliver(float* out, uint32_t at, const float* from, uint32_t count, AM_GainRamp& ramp)
{
    float* to = out + at;
    for (uint32_t i = 0; i < count; ++i)
        to[i] = flushDenormal(from[i] * ramp.take());
}

// The ramp moves on by `count` frames, as every output did.
void advance(AM_GainRamp& ramp, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        ramp.take();
}

void silence(float* out, uint32_t at, uint32_t count)
{
    if (count > 0)
        std::memset(out + at, 0, count * sizeof(float));
}

} // namespace

struct AM_AudioMan::ChannelRouting {
    // C: the bus channels served, and the host outputs served from the bus.
    uint32_t channels;
    // Per bus channel: the host input it takes, or null.
    const float* sources[kTableSize];
    // E: one past the last bus channel with a source, rounded up to an even
    // number; the main circuit's voice field.
    uint32_t sourcedRows;
    // Per host output: the bus channel it takes (k_noChannel: none).
    int32_t outputBus[kTableSize];
    // Per host output, the buffer that is written: from the bus by the
    // sub-blocks, from its own input through its delay line, or with silence.
    float* rendered[kTableSize];
    float* dry[kTableSize];
    float* silent[kTableSize];
    // Bus rows that go to a host output, and host outputs whose carried
    // output the blocks keep (connected ones that take a bus channel).
    uint32_t outputRows;
    uint32_t keptCarries;
};

bool AM_AudioMan::beginChannelBlock(ChannelRouting& r, bool withDryOutputs)
{
    AM_ProcessContext* ctx = context_;
    const uint32_t frames = ctx->sampleFrames;
    const bool metering = meteringCount_.load(std::memory_order_relaxed) != 0;
    if (metering)
        AM_measureLevels(ctx->inputChannels, kMeterChannels, frames, inputLevels_);
    AM_buildChannelTables(ctx->inputChannels, ctx->outputChannels, ctx->channelLayout,
                          ctx->surroundOptions, channelTables_, panPositions_);
    ctx->channelPositions = panPositions_;
    prepareMainRecord();

    r = {};
    r.channels = std::min({carvedChannelsPerBus_, kTableSize, ctx->busRowCount});
    const int32_t channels = static_cast<int32_t>(r.channels);
    uint32_t pastLastSource = 0;
    for (int32_t b = 0; b < channels; ++b) {
        const int32_t input = channelTables_.inputMap[b];
        r.sources[b] =
            (input >= 0 && input < k_contextChannels) ? ctx->inputChannels[input] : nullptr;
        if (r.sources[b])
            pastLastSource = static_cast<uint32_t>(b) + 1;
    }
    r.sourcedRows = (pastLastSource + 1) / 2 * 2;
    for (int32_t h = 0; h < k_contextChannels; ++h) {
        r.outputBus[h] = k_noChannel;
        float* out = ctx->outputChannels[h];
        if (!out)
            continue;
        const int32_t bus = h < channels ? channelTables_.outputMap[h] : k_noChannel;
        const bool mapped = bus >= 0 && bus < channels;
        if (mapped) {
            r.outputBus[h] = bus;
            r.outputRows |= bitOf(static_cast<uint32_t>(bus));
            r.keptCarries |= bitOf(static_cast<uint32_t>(h));
        }
        if (withDryOutputs && h < channels && channelTables_.dryFlags[h] != 0)
            r.dry[h] = out;
        else if (mapped)
            r.rendered[h] = out;
        else
            r.silent[h] = out;
    }
    return metering;
}

void AM_AudioMan::renderChannelSubBlock(const ChannelRouting& r, uint32_t frames)
{
    AM_ProcessContext* ctx = context_;
    // Bus channels without a source were cleared with their input; every row
    // from the first of them up to the capacity starts empty.
    const uint32_t rows = std::min(ctx->channelCapacity, ctx->busRowCount);
    for (uint32_t row = std::min(r.sourcedRows, r.channels); row < rows; ++row)
        std::memset(ctx->busBuffer + row * k_rowSamples, 0, k_rowSamples * sizeof(float));
    mainRecord_.voice = static_cast<uint8_t>(r.sourcedRows);
    runMainCircuit(static_cast<int32_t>(frames));
    const int32_t groups = static_cast<int32_t>(frames / kSamplesPerFlushGroup);
    for (uint32_t row = 0; row < r.channels; ++row) {
        if ((r.outputRows & bitOf(row)) != 0)
            flushDenormalsSSE(ctx->busBuffer + row * k_rowSamples, groups);
    }
}

void AM_AudioMan::passDryOutputs(const ChannelRouting& r, uint32_t frames)
{
    uint32_t fed = 0;
    uint32_t end = ringPosition_;
    for (uint32_t h = 0; h < r.channels; ++h) {
        float* out = r.dry[h];
        if (!out)
            continue;
        const float* in = context_->inputChannels[h];
        if (!in) {
            silence(out, 0, frames);
            continue;
        }
        float* line = dryLines_[h];
        if ((freshDryLines_ & bitOf(h)) == 0)
            std::memset(line, 0, sizeof(dryLines_[h]));
        uint32_t q = ringPosition_;
        for (uint32_t i = 0; i < frames; ++i) {
            const float sample = in[i]; // before the output frame, which may be the same
            out[i] = line[q];
            line[q] = sample;
            q = (q + 1) & kRingMask;
        }
        end = q;
        fed |= bitOf(h);
    }
    ringPosition_ = end;
    freshDryLines_ = fed;
}

void AM_AudioMan::endChannelBlock(const ChannelRouting& r, bool metering, uint32_t frames)
{
    for (float* out : r.silent) {
        if (out)
            silence(out, 0, frames);
    }
    if (metering) {
        uint32_t count = meteringCount_.load(std::memory_order_relaxed);
        // The user interface may set a new count meanwhile; that one stands.
        while (count != 0 &&
               !meteringCount_.compare_exchange_weak(count, count - 1, std::memory_order_relaxed)) {
        }
        AM_measureLevels(context_->outputChannels, kMeterChannels, frames, outputLevels_);
    }
    decayMidiActivity();
}

void AM_AudioMan::clearChannelState()
{
    std::memset(dryLines_, 0, sizeof(dryLines_));
    ringPosition_ = 0;
    freshDryLines_ = 0;
    freshCarries_ = 0;
}

void AM_AudioMan::processBlockMultiChannel()
{
    if (!context_ || !mainCircuit_)
        return;
    AM_ProcessContext* ctx = context_;
    const uint32_t frames = ctx->sampleFrames;
    ChannelRouting routing;
    const bool metering = beginChannelBlock(routing, true);
    const uint32_t channels = routing.channels;
    float* const bus = ctx->busBuffer;

    AM_GainRamp ramp = beginGainRamp(frames);
    double nextBarLine = AM_firstBarLine(*ctx);
    uint32_t ahead = std::min(aheadCount_, kLatency);
    uint32_t pending = kLatency - ahead;
    for (uint32_t h = 0; h < channels; ++h) {
        if ((routing.keptCarries & ~freshCarries_ & bitOf(h)) != 0)
            std::memset(carriedOutput(h), 0, k_rowSamples * sizeof(float));
    }

    if (frames <= ahead) {
        // Served from the carry alone; the host input waits as pending input
        // (taken before any output is written).
        for (uint32_t b = 0; b < channels; ++b)
            takeInput(pendingInput(b) + pending, routing.sources[b], 0, frames);
        pending += frames;
        for (uint32_t h = 0; h < channels; ++h) {
            if ((routing.keptCarries & bitOf(h)) == 0)
                continue;
            float* carry = carriedOutput(h);
            if (routing.rendered[h]) {
                AM_GainRamp outputRamp = ramp;
                deliver(routing.rendered[h], 0, carry, frames, outputRamp);
            }
            if (frames > 0 && ahead > frames)
                std::memmove(carry, carry + frames, (ahead - frames) * sizeof(float));
        }
        ahead -= frames;
    } else {
        uint32_t toRender = frames - ahead;
        uint32_t position = 0; // host frames read and written so far
        while (toRender > 0) {
            const bool last = toRender <= kMaxSubBlock;
            const uint32_t length = last ? roundUpToUnit(toRender) : kMaxSubBlock;

            const uint32_t fresh = length - pending;
            for (uint32_t b = 0; b < channels; ++b) {
                float* row = bus + b * k_rowSamples;
                std::memcpy(row, pendingInput(b), pending * sizeof(float));
                takeInput(row + pending, routing.sources[b], position, fresh);
            }
            // The next host frames wait as pending input: as many as before,
            // or in the last sub-block all that are left (16 at most).
            const uint32_t read = position + fresh;
            if (frames - read <= kLatency)
                pending = frames - read;
            for (uint32_t b = 0; b < channels; ++b)
                takeInput(pendingInput(b), routing.sources[b], read, pending);

            const AM_ClockStep clock =
                AM_runChannelClock(*ctx, static_cast<int32_t>(length), nextBarLine);
            renderChannelSubBlock(routing, length);

            const uint32_t due = last ? frames - position : length;
            const uint32_t fromBus = due - ahead;
            for (uint32_t h = 0; h < channels; ++h) {
                if ((routing.keptCarries & bitOf(h)) == 0)
                    continue;
                const float* row = bus + static_cast<uint32_t>(routing.outputBus[h]) * k_rowSamples;
                float* carry = carriedOutput(h);
                if (routing.rendered[h]) {
                    AM_GainRamp outputRamp = ramp;
                    deliver(routing.rendered[h], position, carry, ahead, outputRamp);
                    deliver(routing.rendered[h], position + ahead, row, fromBus, outputRamp);
                }
                std::memcpy(carry, row + fromBus, (length - fromBus) * sizeof(float));
            }
            advance(ramp, due);
            ahead = length - fromBus;
            position += due;
            AM_finishClock(*ctx, clock);
            toRender = last ? 0 : toRender - length;
        }
    }
    passDryOutputs(routing, frames);
    aheadCount_ = ahead;
    pendingCount_ = pending;
    freshCarries_ = routing.keptCarries;
    masterGain_ = ramp.target;
    endChannelBlock(routing, metering, frames);
}

void AM_AudioMan::processBlockNoLatency()
{
    if (!context_ || !mainCircuit_)
        return;
    AM_ProcessContext* ctx = context_;
    const uint32_t frames = ctx->sampleFrames;
    ChannelRouting routing;
    const bool metering = beginChannelBlock(routing, false);
    const uint32_t channels = routing.channels;
    float* const bus = ctx->busBuffer;

    AM_GainRamp ramp = beginGainRamp(frames);
    double nextBarLine = AM_firstBarLine(*ctx);
    // Whole units only: a sub-block of 64 while that many are left, then the
    // rest rounded down to a unit. A shorter tail is not rendered.
    const uint32_t renderable = frames / kUnit * kUnit;
    uint32_t position = 0;
    while (position < renderable) {
        const uint32_t length = std::min(renderable - position, kMaxSubBlock);
        for (uint32_t b = 0; b < channels; ++b)
            takeInput(bus + b * k_rowSamples, routing.sources[b], position, length);
        const AM_ClockStep clock =
            AM_runChannelClock(*ctx, static_cast<int32_t>(length), nextBarLine);
        renderChannelSubBlock(routing, length);
        for (uint32_t h = 0; h < channels; ++h) {
            if (!routing.rendered[h])
                continue;
            const float* row = bus + static_cast<uint32_t>(routing.outputBus[h]) * k_rowSamples;
            AM_GainRamp outputRamp = ramp;
            deliver(routing.rendered[h], position, row, length, outputRamp);
        }
        advance(ramp, length);
        position += length;
        AM_finishClock(*ctx, clock);
    }
    for (float* out : routing.rendered) {
        if (out)
            silence(out, renderable, frames - renderable);
    }
    // The carries and dry lines wait untouched; what they hold is from before
    // this path ran, so the multi-channel path starts them afresh.
    freshCarries_ = 0;
    freshDryLines_ = 0;
    masterGain_ = ramp.target;
    endChannelBlock(routing, metering, frames);
}
