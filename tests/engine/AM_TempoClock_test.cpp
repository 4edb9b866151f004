// The tempo-synced clock: song position, bar lines and the swung clock, seen
// by a module once per sub-block, and the clock's guards against tempo 0,
// far jumps and out-of-range values.

#include "EngineHarness.h"

#include "engine/AM_TempoClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace enginetest;

struct ClockRig {
    SubBlockProbe* probe = nullptr;
    std::unique_ptr<BareAudioMan> engine;
    AM_ProcessContext* ctx = nullptr;
    std::vector<float> left = std::vector<float>(4096);
    std::vector<float> right = std::vector<float>(4096);

    explicit ClockRig(float rate)
    {
        engine = makeEngine({}, [this](BareAudioMan& e) {
            probe = new SubBlockProbe(&e);
            e.addModule(probe);
        });
        engine->setSampleRate(rate);
        ctx = engine->getProcessContext();
    }
    // One host block; the bar start follows the song position as the host
    // adapter computes it for a host that does not report its own.
    void block(uint32_t frames)
    {
        const double beatsPerBar = ctx->beatsPerBar;
        ctx->barStart = std::floor(ctx->songPosition / beatsPerBar) * beatsPerBar;
        runHostBlock(*engine, frames, nullptr, nullptr, left.data(), right.data());
    }
};

TEST(TempoClock, At120BpmAnd48kHzThePositionMovesByFrameAndEachBarIsFlaggedOnce)
{
    for (const bool randomLengths : {false, true}) {
        SCOPED_TRACE(randomLengths ? "random block lengths" : "blocks of 480");
        ClockRig rig(48000.0f);
        std::mt19937 generator(5);
        std::uniform_int_distribution<uint32_t> length(1, 4096);
        uint64_t delivered = 0;
        while (delivered < 5 * 96000 + 1000) {
            const uint32_t n = randomLengths ? length(generator) : 480;
            rig.block(n);
            delivered += n;
        }
        const SubBlockProbe& probe = *rig.probe;
        ASSERT_GT(probe.count, 2u);
        uint64_t rendered = 0;
        for (size_t i = 0; i < probe.count; ++i) {
            ASSERT_NEAR(probe.entries[i].songPosition, rendered / 24000.0, 1e-9) << i;
            rendered += static_cast<uint64_t>(probe.entries[i].units) * 16;
        }
        EXPECT_EQ(rendered, delivered + rig.engine->getAheadCount());
        EXPECT_NEAR(rig.ctx->songPosition, rendered / 24000.0, 1e-9);

        // Bar lines at 4, 8, ...: the flag marks exactly the sub-block that
        // reaches each one.
        int flags = 0;
        for (size_t i = 0; i + 1 < probe.count; ++i) {
            const double from = probe.entries[i].songPosition;
            const double to = probe.entries[i + 1].songPosition;
            const bool crosses = std::floor(from / 4.0) != std::floor(to / 4.0);
            EXPECT_EQ(probe.entries[i].newBar, crosses ? 1u : 0u)
                << "sub-block " << i << " from " << from << " to " << to;
            flags += static_cast<int>(probe.entries[i].newBar);
        }
        EXPECT_EQ(flags, 5);
    }
}

TEST(TempoClock, WithoutSwingTheGateStaysOpenAndThePhasesAtHalf)
{
    ClockRig rig(44100.0f);
    rig.ctx->clockSwing = 0.0f;
    rig.ctx->tempo = 93.0;
    for (int b = 0; b < 20; ++b)
        rig.block(300);
    for (size_t i = 0; i < rig.probe->count; ++i) {
        const SubBlockProbe::Entry& e = rig.probe->entries[i];
        ASSERT_EQ(e.gate, 1.0f);
        ASSERT_EQ(e.phase, 0.5);
        ASSERT_EQ(e.shapedPhase, 0.5);
        ASSERT_EQ(e.clockTempo, 93.0);
    }
}

TEST(TempoClock, FullSwingAtOneCyclePerBeatSquaresThePhase)
{
    ClockRig rig(44100.0f);
    rig.ctx->clockSwing = 100.0f;
    rig.ctx->clockNoteValue = 3; // two quarter notes x 0.5: one cycle per beat
    rig.ctx->tempo = 140.0;
    for (int b = 0; b < 40; ++b)
        rig.block(512);
    const SubBlockProbe& probe = *rig.probe;
    int opened = 0;
    for (size_t i = 0; i + 1 < probe.count; ++i) {
        const SubBlockProbe::Entry& e = probe.entries[i];
        const double end = probe.entries[i + 1].songPosition;
        ASSERT_NEAR(e.phase, end - std::floor(end), 1e-9) << i;
        ASSERT_NEAR(e.shapedPhase, e.phase * e.phase, 1e-12) << i;
        ASSERT_EQ(e.gate, e.shapedPhase > 0.5 ? 1.0f : 0.0f) << i;
        ASSERT_GE(e.clockTempo, 1.0);
        opened += e.gate == 1.0f ? 1 : 0;
    }
    EXPECT_GT(opened, 0);
    EXPECT_LT(opened, static_cast<int>(probe.count) - 1);
}

TEST(TempoClock, TempoZeroStandsStillWithFiniteValues)
{
    for (const float swing : {0.0f, 50.0f}) {
        ClockRig rig(44100.0f);
        rig.ctx->clockSwing = swing;
        rig.ctx->tempo = 0.0;
        rig.ctx->songPosition = 3.25;
        for (int b = 0; b < 10; ++b)
            rig.block(777);
        EXPECT_EQ(rig.ctx->songPosition, 3.25);
        for (size_t i = 0; i < rig.probe->count; ++i) {
            const SubBlockProbe::Entry& e = rig.probe->entries[i];
            ASSERT_TRUE(std::isfinite(e.clockTempo));
            ASSERT_TRUE(std::isfinite(e.phase));
            ASSERT_TRUE(std::isfinite(e.shapedPhase));
            ASSERT_EQ(e.newBar, 0u);
        }
        EXPECT_TRUE(std::isfinite(rig.ctx->clockBeatCount));
    }
}

TEST(TempoClock, RestartReferenceFarAheadComesBackInOneStep)
{
    ClockRig rig(44100.0f);
    rig.ctx->clockSwing = 50.0f;
    rig.ctx->clockNoteValue = 4; // half a cycle per quarter note
    rig.ctx->clockRestartOnNote = 1;
    for (const double reference : {1e12, 123456.789, 1e300}) {
        rig.ctx->clockReferencePosition = reference;
        const double position = rig.ctx->songPosition;
        rig.block(64);
        EXPECT_LE(rig.ctx->clockReferencePosition, position) << reference;
        EXPECT_GT(rig.ctx->clockReferencePosition, position - 2.0 - 1e-9 * reference) << reference;
        EXPECT_TRUE(std::isfinite(rig.ctx->clockTempo));
    }
}

TEST(TempoClock, NoteValuesFollowTheTableAndOutOfRangeIndicesAreClamped)
{
    struct Case {
        int32_t index;
        double value;
    };
    const Case cases[] = {{0, 16.0},       {4, 1.0},         {7, 16.0 / 3.0},  {12, 6.0},
                          {16, 3.0 / 8.0}, {23, 1.0 / 32.0}, {24, 1.0 / 32.0}, {99, 1.0 / 32.0},
                          {-1, 16.0},      {-500, 16.0}};
    for (const Case& c : cases)
        EXPECT_EQ(AM_clockNoteValue(c.index), c.value) << c.index;
}

TEST(TempoClock, BarLinesAreFoundWhateverTheTempoAndTheBarLength)
{
    AM_ProcessContext ctx{};
    ctx.samplePeriodD = 1.0 / 44100.0;
    ctx.beatsPerBar = 4.0f;
    ctx.tempo = 1e7; // hundreds of bars in one sub-block
    double next = AM_firstBarLine(ctx);
    EXPECT_EQ(next, 4.0);
    const double beats = AM_clockBarStep(ctx, 64, next);
    EXPECT_EQ(ctx.newBarFlag, 1u);
    EXPECT_GT(next, beats);
    EXPECT_LE(next - beats, 4.0);
    EXPECT_EQ(std::fmod(next, 4.0), 0.0);

    // A bar start behind the song position: the next line is 16 beats on.
    ctx.songPosition = 10.0;
    EXPECT_EQ(AM_firstBarLine(ctx), 26.0);
    // Unusable bar lengths and periods count as 4 beats and 44100 Hz.
    ctx.songPosition = 0.0;
    ctx.beatsPerBar = 0.0f;
    EXPECT_EQ(AM_firstBarLine(ctx), 4.0);
    ctx.beatsPerBar = std::nanf("");
    EXPECT_EQ(AM_firstBarLine(ctx), 4.0);
    ctx.samplePeriodD = 0.0;
    ctx.tempo = 120.0;
    next = 4.0;
    EXPECT_NEAR(AM_clockBarStep(ctx, 441, next), 441 / 44100.0 * 2.0, 1e-12);
    ctx.tempo = std::nan("");
    EXPECT_EQ(AM_clockBarStep(ctx, 64, next), 0.0);
}

} // namespace
