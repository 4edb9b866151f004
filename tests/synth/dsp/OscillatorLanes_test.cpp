// The oscillator core in voice lanes against the one-voice loop: random
// settings of every kind (all shapes and their crossfades, sub, detune,
// sync windows, audio-rate FM and pulse-width modulation, pulse-width rows
// of both signs), random rows, voices at different ring positions and
// phases, groups of 2 to 8 voices over blocks of several lengths; every
// width (4 SSE2 lanes, 8 as two SSE2 vectors, 8 AVX2 lanes where the
// processor has them, and the choice the plug-in makes), some voices
// without the signal buffers. Every output buffer and every state must match
// bit for bit.

#include "synth/dsp/OscillatorLanes.h"

#include "synth/dsp/FilterLanes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

using synthdsp::OscillatorBlock;
using synthdsp::OscillatorLane;
using synthdsp::OscillatorSettings;
using synthdsp::OscillatorState;

constexpr int32_t kMaxFrames = 600;
constexpr int32_t kSteps = (kMaxFrames + 15) / 16;
constexpr float kPeriod = 1.0f / 44100.0f;

OscillatorSettings randomSettings(std::mt19937& rng)
{
    auto uniform = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    auto chance = [&rng](int32_t in) { return std::uniform_int_distribution<int32_t>(0, in - 1)(rng) == 0; };
    OscillatorSettings s;
    s.shape1 = chance(2) ? float(std::uniform_int_distribution<int32_t>(1, 4)(rng))
                         : uniform(1.0f, 4.0f);
    s.shape2 = chance(2) ? float(std::uniform_int_distribution<int32_t>(1, 2)(rng))
                         : uniform(1.0f, 2.0f);
    s.tune2 = uniform(0.0f, 24.0f);
    s.fineTune2 = uniform(-50.0f, 50.0f);
    s.tuneModDepth1 = chance(2) ? 0.0f : uniform(-24.0f, 24.0f);
    s.tuneModDepth2 = chance(2) ? 0.0f : uniform(-24.0f, 24.0f);
    s.pulseWidthDepth = uniform(0.0f, 50.0f);
    s.pulseWidthSourceSet = chance(2);
    s.detune = uniform(-50.0f, 50.0f);
    s.softSync = chance(2) ? 0.0f : uniform(0.0f, 100.0f);
    s.vibrato = uniform(0.0f, 100.0f);
    s.keyScale = uniform(-200.0f, 200.0f);
    s.oscVolume1 = uniform(-100.0f, 25.0f);
    s.oscVolume2 = uniform(-100.0f, 25.0f);
    s.subVolume = chance(2) ? -100.0f : uniform(-99.0f, 25.0f);
    s.audioRateDest = std::uniform_int_distribution<int32_t>(0, 2)(rng);
    s.xModDepth = chance(2) ? 0.0f : uniform(0.0f, 100.0f);
    s.voiceRow = uniform(-1.0f, 1.0f);
    return s;
}

// One voice: its block, rows and two copies of its state and outputs, one
// for each path.
struct Voice {
    OscillatorBlock block{};
    std::array<std::array<float, kSteps>, 8> rows{};
    OscillatorState alone{}, laned{};
    bool keepsSignals = true;
    std::vector<float> work[2], osc1[2], osc2[2], sub[2];

    synthdsp::OscillatorRows oscillatorRows() const
    {
        return {rows[0].data(), rows[1].data(), rows[2].data(), rows[3].data(),
                rows[4].data(), rows[5].data(), rows[6].data(), rows[7].data()};
    }
    synthdsp::OscillatorOutput output(int32_t path)
    {
        return {work[path].data(), osc1[path].data(), osc2[path].data(), sub[path].data()};
    }
};

void randomise(Voice& v, std::mt19937& rng)
{
    auto uniform = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    const OscillatorSettings settings = randomSettings(rng);
    v.block = synthdsp::makeOscillatorBlock(settings, kPeriod);
    const float key = uniform(-1.0f, 1.2f);
    for (int32_t step = 0; step < kSteps; ++step) {
        v.rows[0][step] = key;
        v.rows[1][step] = key + uniform(-0.01f, 0.01f);
        v.rows[2][step] = uniform(-1.0f, 1.0f);
        v.rows[3][step] = uniform(-1.0f, 1.0f);
        v.rows[4][step] = uniform(-0.3f, 0.3f);
        v.rows[5][step] = settings.pulseWidthSourceSet ? uniform(-1.0f, 1.0f) : 1.0f;
        // Cross modulation by Osc1, as the module routes it.
        v.rows[6][step] = settings.audioRateDest == 0 ? uniform(-1.0f, 1.0f) : 0.0f;
        v.rows[7][step] = settings.audioRateDest == 1 ? uniform(-1.0f, 1.0f) : 0.0f;
    }
}

struct LaneRig {
    std::vector<Voice> voices;

    explicit LaneRig(int32_t count) : voices(size_t(count))
    {
        for (Voice& v : voices) {
            for (int32_t path = 0; path < 2; ++path) {
                v.work[path].assign(2 * kMaxFrames, 0.0f);
                v.osc1[path].assign(kMaxFrames, 0.0f);
                v.osc2[path].assign(kMaxFrames, 0.0f);
                v.sub[path].assign(kMaxFrames, 0.0f);
            }
        }
    }
};

// The first index at which the two buffers differ in their bits, or `count`.
int32_t firstDifference(const std::vector<float>& a, const std::vector<float>& b, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        if (std::memcmp(&a[size_t(i)], &b[size_t(i)], sizeof(float)) != 0)
            return i;
    }
    return count;
}

using Kernel = void (*)(const OscillatorLane*, int32_t, const synthdsp::OscillatorTables&, int32_t);

struct Width {
    const char* name;
    Kernel kernel;
    int32_t lanes;
};

// Renders blocks of random voices through `kernel` and through the
// one-voice loop, and compares.
void compareWidth(const Width& width, uint32_t seed)
{
    std::mt19937 rng(seed);
    const synthdsp::OscillatorTables tables = synthdsp::oscillatorTables();
    const int32_t count = std::uniform_int_distribution<int32_t>(2, width.lanes)(rng);
    LaneRig rig(count);
    // Each voice first runs alone for a while, so that ring positions,
    // phases and pending corrections differ from voice to voice.
    for (Voice& v : rig.voices) {
        randomise(v, rng);
        const int32_t warm = std::uniform_int_distribution<int32_t>(1, 255)(rng);
        synthdsp::renderOscillators(v.alone, v.block, v.oscillatorRows(), tables, warm,
                                    v.output(0));
        v.laned = v.alone;
    }
    const int32_t lengths[] = {256, 64, 1, 37, 16, 255, 100, 600};
    for (int32_t block = 0; block < 12; ++block) {
        SCOPED_TRACE(block);
        const int32_t frames = lengths[std::uniform_int_distribution<int32_t>(0, 7)(rng)];
        std::vector<OscillatorLane> lanes;
        for (Voice& v : rig.voices) {
            // Half the blocks change the settings, as a patch change would.
            if (block % 2 == 1)
                randomise(v, rng);
            synthdsp::renderOscillators(v.alone, v.block, v.oscillatorRows(), tables, frames,
                                        v.output(0));
            // Voices whose signals nothing reads leave them out.
            synthdsp::OscillatorOutput out = v.output(1);
            v.keepsSignals = std::uniform_int_distribution<int32_t>(0, 3)(rng) != 0;
            if (!v.keepsSignals)
                out.osc1 = out.osc2 = out.sub = nullptr;
            lanes.push_back({&v.laned, &v.block, v.oscillatorRows(), out});
        }
        width.kernel(lanes.data(), count, tables, frames);
        for (int32_t i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            Voice& v = rig.voices[size_t(i)];
            if (v.keepsSignals) {
                ASSERT_EQ(firstDifference(v.osc1[0], v.osc1[1], frames), frames) << "osc1";
                ASSERT_EQ(firstDifference(v.sub[0], v.sub[1], frames), frames) << "sub";
                ASSERT_EQ(firstDifference(v.osc2[0], v.osc2[1], frames), frames) << "osc2";
            }
            ASSERT_EQ(firstDifference(v.work[0], v.work[1], 2 * frames), 2 * frames) << "work";
            ASSERT_EQ(0, std::memcmp(&v.alone, &v.laned, sizeof(OscillatorState)));
        }
    }
}

std::vector<Width> widths()
{
    std::vector<Width> list = {
        {"SSE2 x4", synthdsp::renderOscillatorLanes4, 4},
        {"SSE2 x8", synthdsp::renderOscillatorLanes8Sse2, 8},
        {"chosen", synthdsp::renderOscillatorLanes, 8},
    };
    if (synthdsp::processorHasAvx2())
        list.push_back({"AVX2 x8", synthdsp::renderOscillatorLanes8, 8});
    return list;
}

TEST(OscillatorLanes, EveryWidthRendersBitForBitAsTheOneVoiceLoop)
{
    for (const Width& width : widths()) {
        SCOPED_TRACE(width.name);
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            SCOPED_TRACE(seed);
            compareWidth(width, seed);
            if (testing::Test::HasFatalFailure())
                return;
        }
    }
}

// A single voice, too many voices, blocks longer than the lanes take and
// empty blocks go through the one-voice loop.
TEST(OscillatorLanes, CallsTheLanesDoNotTakeRenderEachVoiceAlone)
{
    const synthdsp::OscillatorTables tables = synthdsp::oscillatorTables();
    std::mt19937 rng(7);
    for (const auto& [count, frames] :
         std::vector<std::pair<int32_t, int32_t>>{{1, 64}, {3, 0}, {3, -5}}) {
        SCOPED_TRACE(count);
        LaneRig rig(count);
        std::vector<OscillatorLane> lanes;
        for (Voice& v : rig.voices) {
            randomise(v, rng);
            synthdsp::renderOscillators(v.alone, v.block, v.oscillatorRows(), tables, frames,
                                        v.output(0));
            // The one-voice loop leaves out the signals nothing reads.
            lanes.push_back({&v.laned, &v.block, v.oscillatorRows(), {v.work[1].data(), nullptr, nullptr, nullptr}});
        }
        synthdsp::renderOscillatorLanes(lanes.data(), count, tables, frames);
        for (Voice& v : rig.voices) {
            EXPECT_EQ(0, std::memcmp(&v.alone, &v.laned, sizeof(OscillatorState)));
            EXPECT_EQ(v.work[0], v.work[1]);
        }
    }
    synthdsp::renderOscillatorLanes(nullptr, 4, tables, 64);
}

} // namespace
