// The no-latency path (engine option 1): no delay for blocks of whole units,
// silence in the frames it cannot render and on unmapped outputs, the
// sub-block cuts, the gain ramp, and the carry of the other paths left alone.

#include "ChannelHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace enginetest;

constexpr uint32_t kUnitFrames = 16;
constexpr float kHalf = 0.5f;

std::unique_ptr<BareAudioMan> makeNoLatencyEngine(uint32_t channels, uint32_t layout,
                                                  uint32_t surround,
                                                  std::function<void(BareAudioMan&)> builder = {})
{
    auto engine = makeChannelEngine(channels, layout, surround, std::move(builder), 50.0f);
    engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 1);
    return engine;
}

std::vector<uint32_t> wholeUnitLengths(uint32_t seed, size_t count)
{
    std::vector<uint32_t> lengths = randomBlockLengths(seed, count);
    for (uint32_t& n : lengths)
        n = std::max(n / kUnitFrames, 1u) * kUnitFrames;
    return lengths;
}

struct Case {
    std::string name;
    uint32_t channels;
    uint32_t layout;
    uint32_t surround;
    uint32_t inputs;
    uint32_t outputs;
    std::vector<int32_t> source; // per connected output: host input, -1 for silence
};

const Case kCases[] = {
    {"two channels per bus, as the instrument",
     2,
     0,
     1,
     firstChannels(2),
     firstChannels(2),
     {0, 1}},
    {"multichannel", 4, 1, 0, firstChannels(4), firstChannels(4), {0, 1, 2, 3}},
    {"dry flags are ignored: outputs without a bus channel are silent",
     4,
     3,
     0,
     firstChannels(4),
     firstChannels(4),
     {-1, -1, 2, 3}},
    {"an output flagged dry that keeps its bus channel is rendered",
     6,
     0,
     1,
     firstChannels(5),
     firstChannels(6),
     {0, 1, 2, 3, 4, -1}},
};

TEST(AudioManNoLatency, BlocksOfWholeUnitsPassWithoutDelay)
{
    for (const Case& c : kCases) {
        for (const bool inPlace : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.name << (inPlace ? ", in place" : ""));
            auto engine = makeNoLatencyEngine(c.channels, c.layout, c.surround);
            const std::vector<uint32_t> lengths = wholeUnitLengths(5, 80);
            ChannelHost host(c.inputs, c.outputs, inPlace, totalOf(lengths), 5);
            host.play(*engine, lengths);
            size_t next = 0;
            for (uint32_t h = 0; h < kHostChannels; ++h) {
                if (!host.hasOutput(h))
                    continue;
                const int32_t source = c.source.at(next++);
                for (size_t t = 0; t < host.output[h].size(); ++t) {
                    const float want =
                        source < 0 ? 0.0f : host.input[static_cast<uint32_t>(source)][t] * kHalf;
                    ASSERT_TRUE(sameBits(host.output[h][t], want))
                        << "output " << h << " frame " << t << ": " << host.output[h][t]
                        << ", want " << want;
                }
            }
            // The carry of the delayed paths is neither read nor changed.
            EXPECT_EQ(engine->getAheadCount(), 0u);
            EXPECT_EQ(engine->getPendingCount(), 16u);
        }
    }
}

TEST(AudioManNoLatency, FramesAfterTheLastWholeUnitAreSilentAndNothingPastTheBlockIsWritten)
{
    for (const uint32_t channels : {2u, 4u}) {
        SCOPED_TRACE(::testing::Message() << channels << " channels per bus");
        auto engine = makeNoLatencyEngine(channels, k_layoutMultichannel, 0);
        const std::vector<uint32_t> lengths = randomBlockLengths(8, 150);
        ChannelHost host(firstChannels(channels), firstChannels(channels), false, totalOf(lengths),
                         8);
        host.play(*engine, lengths, [&](size_t start, uint32_t n) {
            const uint32_t rendered = n / kUnitFrames * kUnitFrames;
            for (uint32_t h = 0; h < channels; ++h) {
                for (uint32_t i = 0; i < n; ++i) {
                    const float want = i < rendered ? host.input[h][start + i] * kHalf : 0.0f;
                    ASSERT_TRUE(sameBits(host.output[h][start + i], want))
                        << "block of " << n << ", output " << h << " frame " << i;
                }
                if (start + n < host.output[h].size()) {
                    ASSERT_EQ(host.output[h][start + n], kUnwritten) << "block of " << n;
                }
            }
        });
    }
}

TEST(AudioManNoLatency, SubBlocksAreWholeUnitsAndAShortTailRendersNothing)
{
    struct Block {
        uint32_t frames;
        std::vector<int32_t> units; // sub-blocks in units of 16
    };
    // One engine, blocks in this order. A tail shorter than a unit runs no
    // sub-block at all.
    const Block blocks[] = {
        {100, {4, 2}}, {8, {}}, {64, {4}}, {200, {4, 4, 4}}, {15, {}}, {16, {1}}, {0, {}},
    };
    ChannelProbe* probe = nullptr;
    auto engine = makeNoLatencyEngine(4, k_layoutMultichannel, 0, withProbe(probe));
    std::vector<std::vector<float>> in(4, randomSignal(256, 3));
    std::vector<std::vector<float>> out(4, std::vector<float>(256));
    ChannelPointers inputs{}, outputs{};
    for (uint32_t c = 0; c < 4; ++c) {
        inputs[c] = in[c].data();
        outputs[c] = out[c].data();
    }
    for (const Block& b : blocks) {
        SCOPED_TRACE(::testing::Message() << "block of " << b.frames);
        probe->clear();
        for (auto& channel : out)
            std::fill(channel.begin(), channel.end(), kUnwritten);
        const uint32_t before = engine->getProcessContext()->blockCounter;
        runChannelBlock(*engine, b.frames, inputs, outputs);
        std::vector<int32_t> units;
        for (size_t i = 0; i < probe->count; ++i)
            units.push_back(probe->entries[i].units);
        EXPECT_EQ(units, b.units);
        EXPECT_EQ(engine->getProcessContext()->blockCounter - before, b.units.size());
        const uint32_t rendered = b.frames / kUnitFrames * kUnitFrames;
        for (uint32_t c = 0; c < 4; ++c) {
            for (uint32_t t = 0; t < b.frames; ++t)
                ASSERT_EQ(out[c][t], t < rendered ? in[c][t] * kHalf : 0.0f) << "frame " << t;
            EXPECT_EQ(out[c][b.frames], kUnwritten);
        }
    }
}

TEST(AudioManNoLatency, ABlockTooShortToRenderIsStillMetered)
{
    auto engine = makeNoLatencyEngine(2, k_layoutMultichannel, 0);
    engine->setMeteringCount(5);
    std::vector<float> in(8, 0.5f), left(8, kUnwritten), right(8, kUnwritten);
    runHostBlock(*engine, 8, in.data(), in.data(), left.data(), right.data());
    float inputs[16], outputs[16];
    engine->readLevels(inputs, outputs);
    // sqrt(8 x 0.25 x 0.03 / 8) from a level of 0.
    EXPECT_NEAR(inputs[0], std::sqrt(0.0075f), 1e-6f);
    EXPECT_EQ(outputs[0], 0.0f);
    EXPECT_EQ(inputs[2], -1.0f);
    EXPECT_EQ(engine->getMeteringCount(), 4u);
    for (uint32_t t = 0; t < 8; ++t)
        EXPECT_EQ(left[t], 0.0f);
}

TEST(AudioManNoLatency, OutputChangeRampsAcrossTheBlock)
{
    auto engine = makeChannelEngine(2, k_layoutMultichannel, 0);
    engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 1);
    std::vector<float> ones(256, 1.0f), left(256), right(256);
    engine->outputValue() = 50.0f;
    runHostBlock(*engine, 256, ones.data(), ones.data(), left.data(), right.data());
    for (uint32_t i = 0; i < 256; ++i) {
        ASSERT_NEAR(left[i], 1.0f - 0.5f * static_cast<float>(i) / 256.0f, 1e-5f) << i;
        ASSERT_EQ(right[i], left[i]);
    }
    runHostBlock(*engine, 256, ones.data(), ones.data(), left.data(), right.data());
    for (uint32_t i = 0; i < 256; ++i)
        ASSERT_NEAR(left[i], 0.5f, 1e-6f);
    EXPECT_EQ(engine->getMasterGain(), 0.5f);
}

TEST(AudioManNoLatency, SwitchingBackToTheDelayedPathStartsItsCarryAfresh)
{
    // The carry waits while the option is on; what it held belongs to an
    // earlier time and is not delivered when the delayed path resumes.
    auto engine = makeChannelEngine(4, k_layoutMultichannel, 0);
    std::vector<std::vector<float>> in(4, std::vector<float>(128, 1.0f));
    std::vector<std::vector<float>> out(4, std::vector<float>(128, kUnwritten));
    ChannelPointers inputs{}, outputs{};
    for (uint32_t c = 0; c < 4; ++c) {
        inputs[c] = in[c].data();
        outputs[c] = out[c].data();
    }
    runChannelBlock(*engine, 100, inputs, outputs);
    ASSERT_EQ(engine->getAheadCount(), 12u);
    engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 1);
    for (auto& channel : in)
        std::fill(channel.begin(), channel.end(), 0.0f);
    runChannelBlock(*engine, 64, inputs, outputs);
    EXPECT_EQ(engine->getAheadCount(), 12u);
    engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, 0);
    runChannelBlock(*engine, 64, inputs, outputs);
    for (uint32_t c = 0; c < 4; ++c) {
        // The 4 pending input frames of 1.0 come out after the 12 carried.
        for (uint32_t t = 0; t < 64; ++t)
            EXPECT_EQ(out[c][t], (t >= 12 && t < 16) ? 1.0f : 0.0f) << "output " << c << " " << t;
    }
}

} // namespace
