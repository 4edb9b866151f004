// The multi-channel path, with test engines of more than two channels per
// bus: routing per layout with the 16-sample delay on every channel (also in
// place), dry outputs, silent outputs, sub-block cuts and the carry, the
// gain ramp, reset, layout changes, the main circuit's record and bus rows,
// and real-time safety.

#include "ChannelHarness.h"

#include "AllocationCounter.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace enginetest;

constexpr uint32_t kDelay = 16;
// With "Output" at 50 processed outputs carry half their bus samples
// (exactly), dry outputs their input unchanged.
constexpr float kHalf = 0.5f;

// What a connected host output must carry.
struct Want {
    char kind;     // 'p' processed, 'd' dry, 'z' silence
    int32_t input; // the host input it comes from
};
constexpr Want P(int32_t input)
{
    return {'p', input};
}
constexpr Want D(int32_t input)
{
    return {'d', input};
}
constexpr Want Z = {'z', -1};

struct RoutingCase {
    std::string name;
    uint32_t channels;
    uint32_t layout;
    uint32_t surround;
    uint32_t inputs;
    uint32_t outputs;
    std::vector<Want> want; // per connected output, in channel order
};

const RoutingCase kRouting[] = {
    {"multichannel, four channels",
     4,
     1,
     0,
     firstChannels(4),
     firstChannels(4),
     {P(0), P(1), P(2), P(3)}},
    {"multichannel, sixteen channels",
     16,
     1,
     0,
     firstChannels(16),
     firstChannels(16),
     {P(0), P(1), P(2), P(3), P(4), P(5), P(6), P(7), P(8), P(9), P(10), P(11), P(12), P(13), P(14),
      P(15)}},
    {"stereo 3+4: outputs 0 and 1 carry their inputs dry",
     4,
     3,
     0,
     firstChannels(4),
     firstChannels(4),
     {D(0), D(1), P(2), P(3)}},
    {"a dry output without its own input is silent",
     4,
     3,
     0,
     maskOf({2, 3}),
     firstChannels(4),
     {Z, Z, P(2), P(3)}},
    {"a source after bus channels without one keeps its samples",
     4,
     1,
     0,
     maskOf({0, 3}),
     firstChannels(4),
     {P(0), Z, Z, P(3)}},
    {"auto/surround, no lfe: the LFE is dry",
     6,
     0,
     1,
     firstChannels(6),
     firstChannels(6),
     {P(0), P(1), P(2), D(3), P(4), P(5)}},
    {"auto/surround, no lfe, odd inputs: the LFE is dry though it keeps its bus channel",
     6,
     0,
     1,
     firstChannels(5),
     firstChannels(6),
     {P(0), P(1), P(2), D(3), P(4), Z}},
    {"auto/surround, dry c + lfe: the pairs close up",
     6,
     0,
     2,
     firstChannels(6),
     firstChannels(6),
     {P(0), P(1), D(2), D(3), P(4), P(5)}},
    {"stereo-surround: the rear pair takes the front inputs",
     6,
     7,
     1,
     firstChannels(2),
     firstChannels(6),
     {P(0), P(1), P(0), Z, P(0), P(1)}},
    {"mono: every output takes bus channel 0",
     4,
     6,
     0,
     firstChannels(4),
     firstChannels(4),
     {P(0), P(0), P(0), P(0)}},
    {"one connected output", 4, 1, 0, firstChannels(4), maskOf({0}), {P(0)}},
    {"a layout above 8 routes as connected",
     4,
     9,
     0,
     firstChannels(4),
     firstChannels(4),
     {P(0), P(1), P(2), P(3)}},
    {"outputs past the bus channels are silent",
     4,
     1,
     0,
     firstChannels(6),
     firstChannels(6),
     {P(0), P(1), P(2), P(3), Z, Z}},
    {"no inputs", 4, 1, 0, 0, firstChannels(4), {Z, Z, Z, Z}},
};

TEST(AudioManChannels, EveryOutputIsItsRoutedInputDelayedBySixteenSamples)
{
    for (const RoutingCase& c : kRouting) {
        for (const bool inPlace : {false, true}) {
            for (const uint32_t seed : {1u, 2u}) {
                SCOPED_TRACE(::testing::Message()
                             << c.name << (inPlace ? ", in place" : "") << ", seed " << seed);
                auto engine = makeChannelEngine(c.channels, c.layout, c.surround, {}, 50.0f);
                const std::vector<uint32_t> lengths = randomBlockLengths(seed, 60);
                ChannelHost host(c.inputs, c.outputs, inPlace, totalOf(lengths), seed);
                host.play(*engine, lengths, [&](size_t, uint32_t) {
                    ASSERT_EQ(engine->getAheadCount() + engine->getPendingCount(), kDelay);
                });
                size_t next = 0;
                for (uint32_t h = 0; h < kHostChannels; ++h) {
                    if (!host.hasOutput(h))
                        continue;
                    ASSERT_LT(next, c.want.size());
                    const Want want = c.want[next++];
                    const std::vector<float>& out = host.output[h];
                    size_t wrong = 0;
                    for (size_t t = 0; t < out.size(); ++t) {
                        float expected = 0.0f;
                        if (want.kind != 'z' && t >= kDelay) {
                            expected = host.input[static_cast<uint32_t>(want.input)][t - kDelay];
                            if (want.kind == 'p')
                                expected *= kHalf;
                        }
                        if (!sameBits(out[t], expected) && wrong++ < 3)
                            ADD_FAILURE() << "output " << h << " frame " << t << ": " << out[t]
                                          << ", want " << expected;
                    }
                    EXPECT_EQ(wrong, 0u) << "output " << h;
                }
                EXPECT_EQ(next, c.want.size());
            }
        }
    }
}

TEST(AudioManChannels, TwoConnectedChannelsMatchTheStereoPathWithTheGainRamp)
{
    // The multi-channel path with outputs 0 and 1 is the stereo path, sample
    // for sample, through changes of "Output".
    const std::vector<uint32_t> lengths = randomBlockLengths(9, 150);
    const size_t total = totalOf(lengths);
    auto stereo = makeEngine();
    auto multi = makeChannelEngine(4, k_layoutMultichannel, 0);
    ChannelHost host(firstChannels(2), firstChannels(2), false, total, 9);
    std::vector<float> left(total, kUnwritten), right(total, kUnwritten);
    size_t at = 0;
    size_t block = 0;
    host.play(*multi, lengths, [&](size_t start, uint32_t n) {
        runHostBlock(*stereo, n, &host.input[0][start], &host.input[1][start], &left[start],
                     &right[start]);
        at = start + n;
        const float value = (++block % 4 == 0) ? 30.0f + static_cast<float>(block % 7) * 20.0f
                                               : multi->outputValue();
        multi->outputValue() = value;
        stereo->outputValue() = value;
    });
    ASSERT_EQ(at, total);
    for (size_t t = 0; t < total; ++t) {
        ASSERT_TRUE(sameBits(host.output[0][t], left[t])) << "frame " << t;
        ASSERT_TRUE(sameBits(host.output[1][t], right[t])) << "frame " << t;
    }
    EXPECT_EQ(multi->getMasterGain(), stereo->getMasterGain());
}

TEST(AudioManChannels, SubBlocksAndCarryFollowTheBlockLengths)
{
    struct Case {
        uint32_t frames;
        std::vector<int32_t> units; // sub-blocks of this block, in units of 16
        uint32_t ahead;
    };
    // One engine, blocks in this order, from a reset.
    const std::vector<Case> cases = {
        {64, {4}, 0}, {100, {4, 3}, 12}, {8, {}, 4},    {4, {}, 0},
        {0, {}, 0},   {1, {1}, 15},      {17, {1}, 14}, {200, {4, 4, 4}, 6},
    };
    ChannelProbe* probe = nullptr;
    auto engine = makeChannelEngine(4, k_layoutStereo34, 0, withProbe(probe));
    ChannelHost host(firstChannels(4), firstChannels(4), false, 256, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.frames << " frames");
        probe->clear();
        ChannelPointers in{}, out{};
        for (uint32_t ch = 0; ch < 4; ++ch) {
            in[ch] = host.input[ch].data();
            out[ch] = host.output[ch].data();
            std::fill(host.output[ch].begin(), host.output[ch].end(), kUnwritten);
        }
        runChannelBlock(*engine, c.frames, in, out);
        std::vector<int32_t> units;
        for (size_t i = 0; i < probe->count; ++i)
            units.push_back(probe->entries[i].units);
        EXPECT_EQ(units, c.units);
        EXPECT_EQ(engine->getAheadCount(), c.ahead);
        EXPECT_EQ(engine->getPendingCount(), kDelay - c.ahead);
        // Every frame of the block is written on every output, none after it.
        for (uint32_t ch = 0; ch < 4; ++ch) {
            for (uint32_t t = 0; t < c.frames; ++t)
                ASSERT_NE(host.output[ch][t], kUnwritten) << "output " << ch << " frame " << t;
            EXPECT_EQ(host.output[ch][c.frames], kUnwritten) << "output " << ch;
        }
    }
}

TEST(AudioManChannels, ResetClearsTheCarryOfEveryChannelAndTheDryLines)
{
    // Six channels; output 3 is dry ("no lfe"). A constant 1.0 leaves rendered
    // samples in every carry and input in the dry line.
    auto engine = makeChannelEngine(6, k_layoutAutoSurround, k_surroundNoLfe);
    std::vector<std::vector<float>> in(6, std::vector<float>(64, 1.0f));
    std::vector<std::vector<float>> out(6, std::vector<float>(64, kUnwritten));
    ChannelPointers inputs{}, outputs{};
    for (uint32_t c = 0; c < 6; ++c) {
        inputs[c] = in[c].data();
        outputs[c] = out[c].data();
    }
    runChannelBlock(*engine, 40, inputs, outputs);
    ASSERT_GT(engine->getAheadCount(), 0u);
    engine->reset();
    EXPECT_EQ(engine->getAheadCount(), 0u);
    EXPECT_EQ(engine->getPendingCount(), kDelay);
    runChannelBlock(*engine, 48, inputs, outputs);
    for (uint32_t c = 0; c < 6; ++c) {
        for (uint32_t t = 0; t < 48; ++t)
            EXPECT_EQ(out[c][t], t < kDelay ? 0.0f : 1.0f) << "output " << c << " frame " << t;
    }
}

TEST(AudioManChannels, ADryLineStartsSilentInsteadOfReplayingAnEarlierTime)
{
    // Outputs 0 and 1 are dry in "stereo 3+4" and processed in
    // "multichannel". Back to "stereo 3+4", their lines must not replay the
    // input from before the switch.
    auto engine = makeChannelEngine(4, k_layoutStereo34, 0);
    const std::vector<uint32_t> lengths = randomBlockLengths(4, 90);
    ChannelHost host(firstChannels(4), firstChannels(4), true, totalOf(lengths), 4);
    const size_t total = totalOf(lengths);
    const size_t firstSwitch = total / 3;
    const size_t secondSwitch = 2 * total / 3;
    size_t switchedAt[2] = {0, 0};
    host.play(*engine, lengths, [&](size_t start, uint32_t n) {
        AM_ProcessContext* ctx = engine->getProcessContext();
        const size_t next = start + n;
        if (ctx->channelLayout == k_layoutStereo34 && next >= firstSwitch && !switchedAt[0]) {
            ctx->channelLayout = k_layoutMultichannel;
            switchedAt[0] = next;
        } else if (ctx->channelLayout == k_layoutMultichannel && next >= secondSwitch) {
            ctx->channelLayout = k_layoutStereo34;
            switchedAt[1] = next;
        }
    });
    ASSERT_GT(switchedAt[1], switchedAt[0]);
    const size_t back = switchedAt[1];
    for (uint32_t h = 0; h < 2; ++h) {
        for (size_t t = kDelay; t < switchedAt[0]; ++t)
            ASSERT_EQ(host.output[h][t], host.input[h][t - kDelay]) << "frame " << t;
        for (size_t t = back; t < total; ++t) {
            const float want = t < back + kDelay ? 0.0f : host.input[h][t - kDelay];
            ASSERT_EQ(host.output[h][t], want) << "output " << h << " frame " << t;
        }
    }
    // In "multichannel" every output carries its own input once the samples
    // pending from the earlier layout are through.
    for (uint32_t h = 0; h < 4; ++h) {
        for (size_t t = switchedAt[0] + kDelay; t < back; ++t)
            ASSERT_EQ(host.output[h][t], host.input[h][t - kDelay])
                << "output " << h << " frame " << t;
    }
}

TEST(AudioManChannels, MainRecordVoiceFieldCountsTheBusChannelsWithSourcesRoundedUpToEven)
{
    struct Case {
        uint32_t inputs;
        uint8_t voice;
    };
    const Case cases[] = {
        {0, 0},
        {maskOf({0}), 2},
        {firstChannels(3), 4},
        {firstChannels(4), 4},
        // Bus channel 3 has a source, so the rows up to it count.
        {maskOf({0, 3}), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "inputs " << c.inputs);
        ChannelProbe* probe = nullptr;
        auto engine = makeChannelEngine(4, k_layoutMultichannel, 0, withProbe(probe));
        ChannelHost host(c.inputs, firstChannels(4), false, 64, 1);
        host.play(*engine, {64});
        ASSERT_EQ(probe->count, 1u);
        EXPECT_EQ(probe->entries[0].voice, c.voice);
    }
}

TEST(AudioManChannels, BusRowsWithoutSourceStartEverySubBlockEmpty)
{
    // Capacity 10, four channels per bus, only input 0: bus channels 1 to 3
    // and the rows up to the capacity start empty, whatever a module left.
    ChannelProbe* probe = nullptr;
    auto engine = makeChannelEngine(4, k_layoutMultichannel, 0, withProbe(probe));
    probe->dirtyRows = maskOf({1, 3, 5, 9});
    ChannelHost host(maskOf({0}), firstChannels(4), false, 300, 2);
    host.play(*engine, {100, 200});
    ASSERT_GE(probe->count, 4u);
    for (size_t i = 0; i < probe->count; ++i) {
        for (uint32_t row : {1u, 3u, 5u, 9u})
            EXPECT_EQ(probe->entries[i].rowFirst[row], 0.0f) << "sub-block " << i << " row " << row;
    }
}

TEST(AudioManChannels, ModulesSeeTheLayoutsPanPositions)
{
    ChannelProbe* probe = nullptr;
    auto engine = makeChannelEngine(4, k_layoutMultichannel, 0, withProbe(probe));
    ChannelHost host(firstChannels(4), firstChannels(4), false, 64, 1);
    host.play(*engine, {64});
    engine->getProcessContext()->channelLayout = k_layoutAutoSurround;
    engine->getProcessContext()->surroundOptions = k_surroundAllChannels;
    host.play(*engine, {64});
    ASSERT_EQ(probe->count, 2u);
    EXPECT_EQ(probe->entries[0].channelPositions, engine->getPanPositions());
    EXPECT_EQ(probe->entries[0].firstPan[5], 5.0f);
    // "auto/surround" with four inputs: the centre and LFE in the middle.
    EXPECT_EQ(probe->entries[1].firstPan[0], -1.0f);
    EXPECT_EQ(probe->entries[1].firstPan[3], 0.0f);
    EXPECT_EQ(probe->entries[1].firstPan[5], 2.0f);
}

TEST(AudioManChannels, ABlockOfNoFramesRendersNothing)
{
    ChannelProbe* probe = nullptr;
    auto engine = makeChannelEngine(4, k_layoutStereo34, 0, withProbe(probe));
    ChannelHost host(firstChannels(4), firstChannels(4), true, 64, 1);
    host.play(*engine, {40});
    probe->clear();
    const uint32_t ahead = engine->getAheadCount();
    const uint32_t ring = engine->getRingPosition();
    ChannelPointers in{}, out{};
    for (uint32_t c = 0; c < 4; ++c)
        in[c] = out[c] = host.output[c].data();
    runChannelBlock(*engine, 0, in, out);
    EXPECT_EQ(probe->count, 0u);
    EXPECT_EQ(engine->getAheadCount(), ahead);
    EXPECT_EQ(engine->getRingPosition(), ring);
}

TEST(AudioManChannels, ProcessingAllocatesNothing)
{
    ChannelProbe* probe = nullptr;
    auto engine = makeChannelEngine(6, k_layoutAutoSurround, k_surroundNoLfe, withProbe(probe));
    const std::vector<uint32_t> lengths = randomBlockLengths(12, 120);
    ChannelHost host(firstChannels(6), firstChannels(6), true, totalOf(lengths), 12);
    engine->getProcessContext()->clockSwing = 40.0f;
    engine->setMeteringCount(2000);
    testsupport::AllocationCounter counter;
    {
        platform::RealtimeScope realtime;
        size_t block = 0;
        host.play(*engine, lengths, [&](size_t, uint32_t) {
            AM_ProcessContext* ctx = engine->getProcessContext();
            ++block;
            ctx->channelLayout = static_cast<uint32_t>(block % 10);
            ctx->surroundOptions = static_cast<uint32_t>(block % 3);
            engine->outputValue() = block % 2 ? 80.0f : 100.0f;
            if (block % 17 == 0)
                engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, block % 34 ? 1 : 0);
        });
    }
    EXPECT_EQ(counter.count(), 0u);
}

} // namespace
