#pragma once
// Host-side helpers for the multi-channel and no-latency paths: a host with
// up to 16 input and output channels, some of them connected, optionally
// sharing one buffer per channel between input and output, that plays long
// signals through an engine in blocks of given lengths.

#include "EngineHarness.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace enginetest {

constexpr uint32_t kHostChannels = 16;
// What a host buffer holds before the engine writes it.
constexpr float kUnwritten = -99.0f;

using ChannelPointers = std::array<float*, kHostChannels>;

inline uint32_t maskOf(std::initializer_list<uint32_t> channels)
{
    uint32_t mask = 0;
    for (uint32_t c : channels)
        mask |= 1u << c;
    return mask;
}

inline uint32_t firstChannels(uint32_t count)
{
    return count >= 32 ? ~0u : (1u << count) - 1;
}

inline bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// Hands one host block to the engine with all 16 pointers of each direction.
inline void runChannelBlock(AM_AudioMan& engine, uint32_t frames, const ChannelPointers& inputs,
                            const ChannelPointers& outputs)
{
    AM_ProcessContext* ctx = engine.getProcessContext();
    ctx->sampleFrames = frames;
    for (uint32_t c = 0; c < kHostChannels; ++c) {
        ctx->inputChannels[c] = inputs[c];
        ctx->outputChannels[c] = outputs[c];
    }
    engine.processBlock();
}

inline std::vector<float> randomSignal(size_t frames, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> signal(frames);
    for (float& sample : signal)
        sample = value(generator);
    return signal;
}

// Block lengths from 1 to 4096 drawn with a seed, the lengths around the
// unit and sub-block sizes first.
inline std::vector<uint32_t> randomBlockLengths(uint32_t seed, size_t count)
{
    std::vector<uint32_t> lengths = {1, 15, 16, 17, 63, 64, 65, 100, 4096, 1, 1, 33, 8};
    std::mt19937 generator(seed);
    std::uniform_int_distribution<uint32_t> length(1, 4096);
    std::uniform_int_distribution<uint32_t> shortLength(1, 80);
    while (lengths.size() < count)
        lengths.push_back(lengths.size() % 3 == 0 ? length(generator) : shortLength(generator));
    return lengths;
}

inline size_t totalOf(const std::vector<uint32_t>& lengths)
{
    size_t total = 0;
    for (uint32_t n : lengths)
        total += n;
    return total;
}

// A host with connected inputs and outputs chosen by bit masks. Each input
// channel carries its own seeded random signal; outputs start unwritten. In
// place, a channel connected both ways uses one buffer: the output overwrites
// the input as the host would see it.
struct ChannelHost {
    uint32_t inputMask = 0;
    uint32_t outputMask = 0;
    bool inPlace = false;
    std::vector<std::vector<float>> input;         // what the host hands in
    std::vector<std::vector<float>> output;        // what the host receives
    std::vector<std::vector<float>> sharedBuffers; // the buffers used both ways in place

    ChannelHost(uint32_t inputs, uint32_t outputs, bool shared, size_t frames, uint32_t seed)
        : inputMask(inputs), outputMask(outputs), inPlace(shared), input(kHostChannels),
          output(kHostChannels), sharedBuffers(kHostChannels)
    {
        for (uint32_t c = 0; c < kHostChannels; ++c) {
            input[c] = randomSignal(frames, seed * 31 + c);
            output[c].assign(frames, kUnwritten);
            sharedBuffers[c] = input[c];
        }
    }

    bool hasInput(uint32_t c) const { return ((inputMask >> c) & 1) != 0; }
    bool hasOutput(uint32_t c) const { return ((outputMask >> c) & 1) != 0; }

    // Plays the signals through the engine; with `check`, called after every
    // block with the block's start and length.
    template <typename Check>
    void play(AM_AudioMan& engine, const std::vector<uint32_t>& lengths, Check check)
    {
        // Allocates nothing, so that tests can count the engine's
        // allocations around it.
        const size_t total = input[0].size();
        std::vector<std::vector<float>>& work = sharedBuffers;
        for (uint32_t c = 0; c < kHostChannels; ++c)
            std::copy(input[c].begin(), input[c].end(), work[c].begin());
        size_t at = 0;
        for (size_t b = 0; at < total; ++b) {
            const uint32_t n =
                static_cast<uint32_t>(std::min<size_t>(lengths[b % lengths.size()], total - at));
            ChannelPointers in{};
            ChannelPointers out{};
            for (uint32_t c = 0; c < kHostChannels; ++c) {
                const bool shared = inPlace && hasInput(c) && hasOutput(c);
                if (hasInput(c))
                    in[c] = shared ? &work[c][at] : &input[c][at];
                if (hasOutput(c)) {
                    if (shared)
                        out[c] = &work[c][at];
                    else
                        out[c] = &output[c][at];
                }
            }
            runChannelBlock(engine, n, in, out);
            check(at, n);
            at += n;
        }
        for (uint32_t c = 0; c < kHostChannels; ++c) {
            if (inPlace && hasInput(c) && hasOutput(c))
                std::copy(work[c].begin(), work[c].end(), output[c].begin());
        }
    }
    void play(AM_AudioMan& engine, const std::vector<uint32_t>& lengths)
    {
        play(engine, lengths, [](size_t, uint32_t) {});
    }
};

// Records what every sub-block of the main circuit sees, and optionally
// dirties bus rows after it. Holds a fixed number of entries, so it never
// allocates while the engine runs.
class ChannelProbe : public AM_AudioObject {
public:
    struct Entry {
        int32_t units;
        uint8_t voice;
        uint32_t blockCounter;
        const float* channelPositions;
        float firstPan[kHostChannels];
        float rowFirst[kHostChannels]; // first sample of each bus row before dirtying
        double songPosition;
        double beatCount;
        double clockTempo;
        double phase;
        double shapedPhase;
        float gate;
    };
    static constexpr size_t kCapacity = 4096;

    explicit ChannelProbe(AM_EngineOwner* owner) : AM_AudioObject(owner, "CPR: Channel Probe")
    {
        entries.resize(kCapacity);
    }
    uint32_t getVoiceMemorySize() override { return 0; }
    uint32_t getGlobalMemorySize() override { return 0; }
    AM_ProcessRoutine getProcessRoutine(AM_ProcessContext*) override { return &routine; }

    std::vector<Entry> entries;
    size_t count = 0;
    uint32_t dirtyRows = 0; // bit per bus row: filled with 7.0 after each run

    void clear() { count = 0; }

private:
    static void routine(int32_t*, int32_t* length, AM_ChildRecord* record, AM_ProcessContext* ctx)
    {
        auto* self = static_cast<ChannelProbe*>(record->object);
        const uint32_t rows = std::min<uint32_t>(ctx->busRowCount, kHostChannels);
        if (self->count < kCapacity) {
            Entry& e = self->entries[self->count++];
            e.units = *length;
            e.voice = record->voice;
            e.blockCounter = ctx->blockCounter;
            e.channelPositions = ctx->channelPositions;
            for (uint32_t c = 0; c < kHostChannels; ++c) {
                e.firstPan[c] = ctx->channelPositions ? ctx->channelPositions[c] : 0.0f;
                e.rowFirst[c] = c < rows ? ctx->busBuffer[c * k_rowSamples] : 0.0f;
            }
            e.songPosition = ctx->songPosition;
            e.beatCount = ctx->clockBeatCount;
            e.clockTempo = ctx->clockTempo;
            e.phase = ctx->clockPhase;
            e.shapedPhase = ctx->clockShapedPhase;
            e.gate = ctx->clockGate;
        }
        for (uint32_t row = 0; row < rows; ++row) {
            if ((self->dirtyRows >> row) & 1)
                std::fill_n(ctx->busBuffer + row * k_rowSamples, k_rowSamples, 7.0f);
        }
    }
};

// Adds a channel probe to an engine being built and hands it out.
inline std::function<void(BareAudioMan&)> withProbe(ChannelProbe*& probe)
{
    return [&probe](BareAudioMan& e) {
        probe = new ChannelProbe(&e);
        e.addModule(probe);
    };
}

// An engine whose bus has `channels` channels (more than the instrument's
// two selects the multi-channel path), with the given layout words and
// "Output" value (taken at the reset, without a ramp).
inline std::unique_ptr<BareAudioMan>
makeChannelEngine(uint32_t channels, uint32_t layout, uint32_t surround,
                  std::function<void(BareAudioMan&)> builder = {}, float outputPercent = 100.0f)
{
    EnginePlan plan;
    plan.channelsPerBus = channels;
    auto engine = std::make_unique<BareAudioMan>(plan);
    engine->builder = std::move(builder);
    engine->init();
    engine->getProcessContext()->channelLayout = layout;
    engine->getProcessContext()->surroundOptions = surround;
    engine->outputValue() = outputPercent;
    engine->reset();
    return engine;
}

} // namespace enginetest
