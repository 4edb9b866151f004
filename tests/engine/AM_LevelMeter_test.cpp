// Level metering: the formula per channel, -1 for a channel that is not
// connected, the metering count, and both process paths measuring the host
// buffers before and after they are written.

#include "ChannelHarness.h"

#include "engine/AM_LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace enginetest;

// The meter's formula: sqrt(S x 0.03 / n) + 0.97 x previous level.
double formula(const float* samples, uint32_t frames, double previous)
{
    double sum = 0.0;
    for (uint32_t i = 0; i < frames; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum * 0.03 / frames) + 0.97 * previous;
}

TEST(LevelMeter, NextLevelFollowsTheFormula)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> half(64, 0.5f);
    const std::vector<float> specials = {0.5f, nan, 0.5f, -inf};
    struct Case {
        std::string name;
        const float* samples;
        uint32_t frames;
        float previous;
        float want;
    };
    const Case cases[] = {
        {"from silence", half.data(), 64, 0.0f, std::sqrt(0.0075f)},
        {"with the previous level decaying", half.data(), 64, 1.0f, std::sqrt(0.0075f) + 0.97f},
        {"a channel that is not connected", nullptr, 64, 0.7f, -1.0f},
        {"a block of no frames keeps the level", half.data(), 0, 0.7f, 0.7f},
        {"a channel connected again starts from 0", half.data(), 64, -1.0f, std::sqrt(0.0075f)},
        // Two samples of 0.5 over four frames.
        {"samples that are not finite are left out", specials.data(), 4, 0.0f,
         std::sqrt(0.5f * 0.03f / 4.0f)},
        {"a level that is not a number starts from 0", half.data(), 64, nan, std::sqrt(0.0075f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(AM_nextLevel(c.samples, c.frames, c.previous), c.want, 1e-6f);
    }
}

TEST(LevelMeter, BothPathsMeasureWhileTheCountRuns)
{
    for (const bool noLatency : {false, true}) {
        for (const bool inPlace : {false, true}) {
            SCOPED_TRACE(::testing::Message() << (noLatency ? "no latency" : "multi-channel")
                                              << (inPlace ? ", in place" : ""));
            auto engine = makeChannelEngine(4, k_layoutMultichannel, 0);
            engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, noLatency ? 1 : 0);
            const uint32_t inputs = maskOf({0, 1});
            const uint32_t outputs = maskOf({0, 1, 2});
            ChannelHost host(inputs, outputs, inPlace, 4 * 64, 6);
            engine->setMeteringCount(3);
            std::vector<double> inLevel(16, 0.0), outLevel(16, 0.0);
            float in[16], out[16];
            host.play(*engine, {64}, [&](size_t start, uint32_t n) {
                const uint32_t block = static_cast<uint32_t>(start / 64);
                engine->readLevels(in, out);
                if (block >= 3) {
                    // The count has run out: the levels stay as they were.
                    for (uint32_t c = 0; c < 16; ++c) {
                        EXPECT_EQ(in[c], static_cast<float>(inLevel[c]));
                        EXPECT_EQ(out[c], static_cast<float>(outLevel[c]));
                    }
                    EXPECT_EQ(engine->getMeteringCount(), 0u);
                    return;
                }
                EXPECT_EQ(engine->getMeteringCount(), 2 - block);
                for (uint32_t c = 0; c < 16; ++c) {
                    // In place, a shared buffer now holds the output.
                    const bool shared = inPlace && host.hasInput(c) && host.hasOutput(c);
                    const std::vector<std::vector<float>>& written =
                        shared ? host.sharedBuffers : host.output;
                    inLevel[c] =
                        host.hasInput(c) ? formula(&host.input[c][start], n, inLevel[c]) : -1.0;
                    outLevel[c] =
                        host.hasOutput(c) ? formula(&written[c][start], n, outLevel[c]) : -1.0;
                    EXPECT_NEAR(in[c], inLevel[c], 1e-5) << "input " << c;
                    EXPECT_NEAR(out[c], outLevel[c], 1e-5) << "output " << c;
                    inLevel[c] = in[c];
                    outLevel[c] = out[c];
                }
            });
        }
    }
}

TEST(LevelMeter, TheStereoPathDoesNotMeasure)
{
    auto engine = makeEngine();
    engine->setMeteringCount(10);
    std::vector<float> in(64, 0.5f), left(64), right(64);
    runHostBlock(*engine, 64, in.data(), in.data(), left.data(), right.data());
    float inputs[16], outputs[16];
    engine->readLevels(inputs, outputs);
    EXPECT_EQ(inputs[0], 0.0f);
    EXPECT_EQ(engine->getMeteringCount(), 10u);
}

} // namespace
