// Per-block processing of the stereo path: the 16-sample delay for any block
// length, the carry counters, mono output, the master gain ramp, the flush of
// non-finite and denormal samples, and real-time safety.

#include "EngineHarness.h"

#include "AllocationCounter.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace enginetest;

constexpr uint32_t kDelay = 16;

std::vector<float> randomSignal(size_t frames, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> signal(frames);
    for (float& sample : signal)
        sample = value(generator);
    return signal;
}

// Block lengths from 1 to 4096 drawn with a seed, with the lengths around the
// unit and sub-block sizes first.
std::vector<uint32_t> blockLengths(uint32_t seed, size_t count)
{
    std::vector<uint32_t> lengths = {1, 15, 16, 17, 63, 64, 65, 100, 4096, 1, 1, 33, 8};
    std::mt19937 generator(seed);
    std::uniform_int_distribution<uint32_t> length(1, 4096);
    std::uniform_int_distribution<uint32_t> shortLength(1, 80);
    while (lengths.size() < count)
        lengths.push_back(lengths.size() % 3 == 0 ? length(generator) : shortLength(generator));
    return lengths;
}

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// Plays the whole signal through the engine in blocks of the given lengths
// and returns what the host received.
struct Rendered {
    std::vector<float> left;
    std::vector<float> right;
};

enum class Buffers { separate, inPlace, mono };

Rendered play(AM_AudioMan& engine, const std::vector<float>& inLeft,
              const std::vector<float>& inRight, const std::vector<uint32_t>& lengths,
              Buffers buffers)
{
    Rendered out;
    out.left.assign(inLeft.size(), -99.0f);
    out.right.assign(inLeft.size(), -99.0f);
    std::vector<float> workLeft = inLeft;
    std::vector<float> workRight = inRight;
    size_t at = 0;
    for (size_t b = 0; at < inLeft.size(); ++b) {
        const uint32_t n = static_cast<uint32_t>(
            std::min<size_t>(lengths[b % lengths.size()], inLeft.size() - at));
        switch (buffers) {
        case Buffers::separate:
            runHostBlock(engine, n, &inLeft[at], &inRight[at], &out.left[at], &out.right[at]);
            break;
        case Buffers::inPlace:
            runHostBlock(engine, n, &workLeft[at], &workRight[at], &workLeft[at], &workRight[at]);
            break;
        case Buffers::mono:
            runHostBlock(engine, n, &inLeft[at], &inRight[at], &out.left[at], &out.left[at]);
            break;
        }
        EXPECT_EQ(engine.getAheadCount() + engine.getPendingCount(), kDelay) << "block " << b;
        at += n;
    }
    if (buffers == Buffers::inPlace) {
        out.left = workLeft;
        out.right = workRight;
    }
    return out;
}

TEST(AudioManProcess, BareEngineIsAnExactSixteenSampleDelayForAnyBlockLengths)
{
    for (const uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        const std::vector<uint32_t> lengths = blockLengths(seed, 120);
        size_t total = 0;
        for (uint32_t n : lengths)
            total += n;
        const std::vector<float> left = randomSignal(total, seed * 11);
        const std::vector<float> right = randomSignal(total, seed * 13);
        for (const Buffers buffers : {Buffers::separate, Buffers::inPlace}) {
            auto engine = makeEngine();
            const Rendered out = play(*engine, left, right, lengths, buffers);
            size_t wrong = 0;
            for (size_t t = 0; t < total; ++t) {
                const float wantLeft = t < kDelay ? 0.0f : left[t - kDelay];
                const float wantRight = t < kDelay ? 0.0f : right[t - kDelay];
                if (!sameBits(out.left[t], wantLeft) || !sameBits(out.right[t], wantRight)) {
                    if (wrong++ < 5)
                        ADD_FAILURE() << "frame " << t << ": " << out.left[t] << " / "
                                      << out.right[t] << " want " << wantLeft << " / " << wantRight
                                      << (buffers == Buffers::inPlace ? " (in place)" : "");
                }
            }
            EXPECT_EQ(wrong, 0u);
        }
    }
}

TEST(AudioManProcess, EqualOutputPointersGiveTheMeanOfBothChannels)
{
    const std::vector<uint32_t> lengths = blockLengths(7, 60);
    size_t total = 0;
    for (uint32_t n : lengths)
        total += n;
    const std::vector<float> left = randomSignal(total, 21);
    const std::vector<float> right = randomSignal(total, 22);
    auto engine = makeEngine();
    const Rendered out = play(*engine, left, right, lengths, Buffers::mono);
    for (size_t t = 0; t < total; ++t) {
        const float want = t < kDelay ? 0.0f : (left[t - kDelay] + right[t - kDelay]) * 0.5f;
        ASSERT_TRUE(sameBits(out.left[t], want)) << "frame " << t;
    }
}

TEST(AudioManProcess, WithoutInputsTheOutputIsSilentAndTheCountersStayInRange)
{
    auto engine = makeEngine();
    const std::vector<uint32_t> lengths = blockLengths(5, 300);
    std::vector<float> outLeft(4097), outRight(4097);
    for (uint32_t n : lengths) {
        std::fill(outLeft.begin(), outLeft.end(), 3.0f);
        runHostBlock(*engine, n, nullptr, nullptr, outLeft.data(), outRight.data());
        ASSERT_LE(engine->getAheadCount(), 15u);
        ASSERT_GE(engine->getPendingCount(), 1u);
        ASSERT_EQ(engine->getAheadCount() + engine->getPendingCount(), kDelay);
        for (uint32_t i = 0; i < n; ++i)
            ASSERT_EQ(outLeft[i], 0.0f) << "frame " << i << " of a block of " << n;
        EXPECT_EQ(outLeft[n], 3.0f) << "wrote past the block of " << n;
    }
}

TEST(AudioManProcess, SubBlocksAndCarryFollowTheBlockLengths)
{
    struct Case {
        uint32_t frames;
        std::vector<int32_t> units; // sub-blocks of this block, in units of 16
        uint32_t ahead;
    };
    // One engine, blocks in this order, starting from a reset.
    const std::vector<Case> cases = {
        {64, {4}, 0},                  // 16 pending, 48 fresh, 16 new pending; all 64 delivered
        {100, {4, 3}, 12},             // 64 + 36 rounded up to 48
        {8, {}, 4},                    // served from the carry alone
        {4, {}, 0},        {0, {}, 0}, // nothing at all
        {1, {1}, 15},      {17, {1}, 14}, {200, {4, 4, 4}, 6},
    };
    SubBlockProbe* probe = nullptr;
    auto engine = makeEngine({}, [&probe](BareAudioMan& e) {
        probe = new SubBlockProbe(&e);
        e.addModule(probe);
    });
    std::vector<float> in(256, 0.25f), outLeft(256), outRight(256);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.frames << " frames");
        probe->clear();
        runHostBlock(*engine, c.frames, in.data(), in.data(), outLeft.data(), outRight.data());
        std::vector<int32_t> units;
        for (size_t i = 0; i < probe->count; ++i)
            units.push_back(probe->entries[i].units);
        EXPECT_EQ(units, c.units);
        EXPECT_EQ(engine->getAheadCount(), c.ahead);
        EXPECT_EQ(engine->getPendingCount(), kDelay - c.ahead);
    }
}

TEST(AudioManProcess, ExtraBusRowsAreClearedBeforeEverySubBlockAndTheBlockCounterCounts)
{
    SubBlockProbe* probe = nullptr;
    auto engine = makeEngine({}, [&probe](BareAudioMan& e) {
        probe = new SubBlockProbe(&e);
        e.addModule(probe);
    });
    probe->dirtyRow = 9; // the last row of a capacity of 10
    std::vector<float> outLeft(300), outRight(300);
    const uint32_t counterBefore = engine->getProcessContext()->blockCounter;
    runHostBlock(*engine, 300, nullptr, nullptr, outLeft.data(), outRight.data());
    ASSERT_EQ(probe->count, 5u);
    for (size_t i = 0; i < probe->count; ++i) {
        EXPECT_EQ(probe->entries[i].extraRowFirst, 0.0f) << "sub-block " << i;
        EXPECT_EQ(probe->entries[i].blockCounter, counterBefore + 1 + i);
    }
}

// A constant input of 1.0 makes every output frame show its gain.
struct GainFixture {
    std::unique_ptr<BareAudioMan> engine = makeEngine();
    std::vector<float> ones = std::vector<float>(4096, 1.0f);
    std::vector<float> left = std::vector<float>(4096);
    std::vector<float> right = std::vector<float>(4096);

    GainFixture() { block(64); }
    void block(uint32_t n)
    {
        runHostBlock(*engine, n, ones.data(), ones.data(), left.data(), right.data());
    }
};

TEST(AudioManProcess, OutputChangeRampsOnceAcrossTheNextBlockForEveryLength)
{
    GainFixture f;
    for (uint32_t n = 1; n <= 1000; ++n) {
        SCOPED_TRACE(::testing::Message() << "block of " << n);
        f.engine->outputValue() = 100.0f;
        f.block(n);
        f.block(n);
        ASSERT_EQ(f.left[n - 1], 1.0f);

        f.engine->outputValue() = 50.0f;
        f.block(n);
        float previous = 1.0f;
        for (uint32_t i = 0; i < n; ++i) {
            ASSERT_GE(f.left[i], 0.5f) << "frame " << i;
            ASSERT_LE(f.left[i], previous) << "frame " << i;
            ASSERT_EQ(f.right[i], f.left[i]);
            previous = f.left[i];
        }
        f.block(n);
        for (uint32_t i = 0; i < n; ++i)
            ASSERT_NEAR(f.left[i], 0.5f, 1e-6f) << "frame " << i << " after the ramp";
        EXPECT_EQ(f.engine->getMasterGain(), 0.5f);
    }
}

TEST(AudioManProcess, OutputChangeRampsLinearlyAcrossBlocksOfWholeUnits)
{
    GainFixture f;
    for (uint32_t n = 16; n <= 4096; n *= 2) {
        SCOPED_TRACE(::testing::Message() << "block of " << n);
        f.engine->outputValue() = 100.0f;
        f.block(n);
        f.engine->outputValue() = 50.0f;
        f.block(n);
        for (uint32_t i = 0; i < n; ++i)
            ASSERT_NEAR(f.left[i], 1.0f - 0.5f * static_cast<float>(i) / n, 1e-5f);
        f.block(n);
        for (uint32_t i = 0; i < n; ++i)
            ASSERT_NEAR(f.left[i], 0.5f, 1e-6f);
    }
}

TEST(AudioManProcess, OutputParameterReachesTheGainThroughThePlainChangePath)
{
    GainFixture f;
    const int32_t output = f.engine->idOf(f.engine->getMainCircuit(), 0);
    f.engine->setParameter(output, 50.0f, false);
    float previous = 1.0f;
    for (int b = 0; b < 60; ++b) {
        f.block(64);
        for (uint32_t i = 0; i < 64; ++i) {
            ASSERT_LE(f.left[i], previous);
            ASSERT_GE(f.left[i], 0.5f);
            previous = f.left[i];
        }
    }
    EXPECT_NEAR(f.left[63], 0.5f, 1e-6f);
}

TEST(AudioManProcess, ResetTakesTheOutputValueWithoutARampAndClearsTheCarry)
{
    GainFixture f;
    f.block(40); // leaves rendered frames of 1.0 in the carry
    ASSERT_GT(f.engine->getAheadCount(), 0u);
    f.engine->outputValue() = 25.0f;
    f.engine->reset();
    EXPECT_EQ(f.engine->getMasterGain(), 0.25f);
    EXPECT_EQ(f.engine->getAheadCount(), 0u);
    EXPECT_EQ(f.engine->getPendingCount(), kDelay);
    f.block(48);
    for (uint32_t i = 0; i < kDelay; ++i)
        EXPECT_EQ(f.left[i], 0.0f) << "frame " << i;
    for (uint32_t i = kDelay; i < 48; ++i)
        EXPECT_EQ(f.left[i], 0.25f) << "frame " << i;
}

TEST(AudioManProcess, NonFiniteAndDenormalSamplesOnTheBusBecomeZero)
{
    BusWriter* writer = nullptr;
    auto engine = makeEngine({}, [&writer](BareAudioMan& e) {
        writer = new BusWriter(&e);
        e.addModule(writer);
    });
    const float nan = std::nanf("");
    const float inf = INFINITY;
    writer->left = {nan, inf, -inf, 1e-40f, -1e-40f, 0.5f, -0.0f, 2.0f};
    writer->right = {0.25f, nan, 1e-40f, inf, 3.0f, -inf, 1e-45f, -nan};
    const std::vector<float> wantLeft = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 2.0f};
    const std::vector<float> wantRight = {0.25f, 0.0f, 0.0f, 0.0f, 3.0f, 0.0f, 0.0f, 0.0f};
    std::vector<float> left(256), right(256);
    runHostBlock(*engine, 256, nullptr, nullptr, left.data(), right.data());
    // The first 16 frames are the reset's silence; the rendered pattern follows.
    for (uint32_t t = kDelay; t < 256; ++t) {
        const size_t k = (t - kDelay) % wantLeft.size();
        ASSERT_TRUE(sameBits(left[t], wantLeft[k])) << "left frame " << t << ": " << left[t];
        ASSERT_TRUE(sameBits(right[t], wantRight[k])) << "right frame " << t << ": " << right[t];
    }
}

TEST(AudioManProcess, LongRenderHoldsOnlyFiniteNormalOrZeroSamples)
{
    BusWriter* writer = nullptr;
    auto engine = makeEngine({}, [&writer](BareAudioMan& e) {
        writer = new BusWriter(&e);
        e.addModule(writer);
    });
    // Random values with specials and values near the smallest normal, which
    // the gain and the mono mix would push into the denormal range.
    std::mt19937 generator(99);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    const float specials[] = {std::nanf(""), INFINITY, -INFINITY, 1e-40f, 1.5e-38f, -1.2e-38f};
    for (int i = 0; i < 997; ++i) {
        const bool special = generator() % 5 == 0;
        writer->left.push_back(special ? specials[generator() % 6] : value(generator));
        writer->right.push_back(special ? specials[generator() % 6] : value(generator));
    }
    const std::vector<uint32_t> lengths = blockLengths(17, 200);
    std::vector<float> left(4096), right(4096);
    size_t bad = 0;
    for (size_t b = 0; b < lengths.size(); ++b) {
        engine->outputValue() = (b % 3 == 0) ? 37.0f : 100.0f;
        const bool mono = b % 4 == 1;
        runHostBlock(*engine, lengths[b], nullptr, nullptr, left.data(),
                     mono ? left.data() : right.data());
        for (uint32_t i = 0; i < lengths[b]; ++i) {
            for (float s : {left[i], right[i]}) {
                if (!(s == 0.0f || std::fpclassify(s) == FP_NORMAL))
                    ++bad;
            }
        }
    }
    EXPECT_EQ(bad, 0u);
}

TEST(AudioManProcess, ProcessBlockAllocatesNothing)
{
    ParamModule* params = nullptr;
    auto engine = makeEngine({}, [&params](BareAudioMan& e) {
        params = new ParamModule(&e, "PAR: Params");
        e.addModule(params);
    });
    AM_ProcessContext* ctx = engine->getProcessContext();
    ctx->modulationRecords[0].target = engine->idOf(params, ParamModule::kGain);
    ctx->clockSwing = 40.0f;
    std::vector<float> in = randomSignal(4096, 3);
    std::vector<float> left(4096), right(4096);
    const std::vector<uint32_t> lengths = blockLengths(23, 100);
    const int32_t output = engine->idOf(engine->getMainCircuit(), 0);

    testsupport::AllocationCounter counter;
    {
        platform::RealtimeScope realtime;
        for (size_t b = 0; b < lengths.size(); ++b) {
            if (b % 10 == 0)
                engine->invalidateModulationRouting();
            if (b % 7 == 0)
                engine->setParameter(output, b % 2 ? 80.0f : 100.0f, false);
            const bool mono = b % 5 == 0;
            runHostBlock(*engine, lengths[b], in.data(), b % 3 ? in.data() : nullptr, left.data(),
                         mono ? left.data() : right.data());
        }
    }
    EXPECT_EQ(counter.count(), 0u);
}

TEST(AudioManProcess, NullOutputsAreSkippedAndTheEngineKeepsCounting)
{
    SubBlockProbe* probe = nullptr;
    auto engine = makeEngine({}, [&probe](BareAudioMan& e) {
        probe = new SubBlockProbe(&e);
        e.addModule(probe);
    });
    std::vector<float> in = randomSignal(100, 4), right(100, -5.0f);
    runHostBlock(*engine, 100, in.data(), in.data(), nullptr, nullptr);
    EXPECT_EQ(probe->count, 2u);
    EXPECT_EQ(engine->getAheadCount(), 12u);
    runHostBlock(*engine, 100, in.data(), in.data(), nullptr, right.data());
    for (uint32_t t = 0; t < 100; ++t)
        ASSERT_TRUE(sameBits(right[t], in[(t + 100 - kDelay) % 100])) << "frame " << t;
}

TEST(AudioManProcess, MidiActivityDecaysOncePerBlock)
{
    auto engine = makeEngine();
    float* activity = engine->getMidiActivityAddress();
    *activity = 1.0f;
    std::vector<float> left(32), right(32);
    runHostBlock(*engine, 32, nullptr, nullptr, left.data(), right.data());
    runHostBlock(*engine, 5, nullptr, nullptr, left.data(), right.data());
    EXPECT_FLOAT_EQ(*activity, 0.97f * 0.97f);
}

// A host that sets the sample rate before it resumes (as most do) must still
// find changes from other threads queued for the audio thread once it has
// resumed, although the new rate already reset the engine.
TEST(AudioManProcess, ResumingAfterANewSampleRateQueuesChangesFromOtherThreads)
{
    BareAudioMan engine;
    engine.init();
    engine.setSampleRate(48000.0f);
    EXPECT_FALSE(engine.getParaMan()->isProcessing());
    engine.reset();
    EXPECT_TRUE(engine.getParaMan()->isProcessing());
}

TEST(AudioManProcess, NothingHappensBeforeInit)
{
    BareAudioMan engine;
    engine.processBlock();
    engine.reset();
    EXPECT_EQ(engine.getProcessContext(), nullptr);
    EXPECT_EQ(engine.getAheadCount(), 0u);
}

} // namespace
