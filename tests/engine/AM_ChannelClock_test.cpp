// The clock of the multi-channel and no-latency paths: swing off, the swung
// clock with and without restart-on-note, and that neither path writes the
// phase fields the stereo path's clock owns.

#include "ChannelHarness.h"

#include "engine/AM_ChannelClock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace enginetest;

constexpr double kRate = 48000.0;
constexpr int32_t kFrames = 64;
// 64 samples at 120 beats per minute and 48 kHz.
constexpr double kBeats = kFrames / kRate * 120.0 / 60.0;
// Fields this clock never writes.
constexpr double kPhaseMark = 0.125;
constexpr double kShapedMark = 0.375;

AM_ProcessContext clockContext(float swing, int32_t noteValue, uint32_t restart, double position,
                               double reference, double beatCount)
{
    AM_ProcessContext ctx{};
    ctx.sampleRateD = kRate;
    ctx.samplePeriodD = 1.0 / kRate;
    ctx.tempo = 120.0;
    ctx.beatsPerBar = 4.0f;
    ctx.clockSwing = swing;
    ctx.clockNoteValue = noteValue;
    ctx.clockRestartOnNote = restart;
    ctx.songPosition = position;
    ctx.clockReferencePosition = reference;
    ctx.clockBeatCount = beatCount;
    ctx.clockPhase = kPhaseMark;
    ctx.clockShapedPhase = kShapedMark;
    return ctx;
}

TEST(ChannelClock, WithoutSwingTheClockFollowsTheSongPosition)
{
    AM_ProcessContext ctx = clockContext(0.0f, 3, 0, 2.5, 0.0, 7.0);
    double nextBar = 4.0;
    const AM_ClockStep step = AM_runChannelClock(ctx, kFrames, nextBar);
    EXPECT_DOUBLE_EQ(step.beats, kBeats);
    EXPECT_EQ(ctx.clockTempo, 120.0);
    EXPECT_EQ(ctx.clockBeatCount, 2.5);
    EXPECT_EQ(ctx.clockGate, 1.0f);
    EXPECT_EQ(ctx.newBarFlag, 0u);
    AM_finishClock(ctx, step);
    EXPECT_DOUBLE_EQ(ctx.songPosition, 2.5 + kBeats);
    EXPECT_DOUBLE_EQ(ctx.clockBeatCount, 2.5 + kBeats);
    EXPECT_EQ(ctx.clockPhase, kPhaseMark);
    EXPECT_EQ(ctx.clockShapedPhase, kShapedMark);
}

TEST(ChannelClock, SwungClockEndsTheSubBlockOnTheShapedPhasePlusWholeCycles)
{
    struct Case {
        const char* name;
        float swing;
        int32_t noteValue; // 3: one cycle per quarter note; 4: one per two
        uint32_t restart;
        double position;
        double reference;
        double beatCount;
        double x; // cycles from the position (or reference) to the sub-block's end
        double rate;
    };
    const Case cases[] = {
        {"full swing squares the phase", 100.0f, 3, 0, 0.5, 9.0, 0.0, 0.5 + kBeats, 1.0},
        {"half swing, two quarter notes per cycle", 50.0f, 4, 0, 3.0, 0.0, 0.9,
         (3.0 + kBeats) * 0.5, 0.5},
        {"restart-on-note counts from the reference", 100.0f, 3, 1, 3.25, 1.0, 2.0,
         3.25 - 1.0 + kBeats, 1.0},
        {"a reference after the position stays where it is", 100.0f, 3, 1, 0.5, 2.0, 0.0,
         0.5 - 2.0 + kBeats, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AM_ProcessContext ctx =
            clockContext(c.swing, c.noteValue, c.restart, c.position, c.reference, c.beatCount);
        double nextBar = 100.0;
        const AM_ClockStep step = AM_runChannelClock(ctx, kFrames, nextBar);
        const double whole = std::floor(c.x);
        const double phase = c.x - whole;
        const double a = c.swing / 100.0;
        const double shaped = (a * phase + 1.0 - a) * phase;
        EXPECT_EQ(ctx.clockGate, shaped > 0.5 ? 1.0f : 0.0f);
        const double growth = shaped + whole - c.beatCount;
        EXPECT_NEAR(step.beatGrowth, growth, 1e-12);
        const double tempo = growth * 60.0 / (kFrames / kRate * c.rate);
        EXPECT_NEAR(ctx.clockTempo, std::max(tempo, 1.0), 1e-6);
        AM_finishClock(ctx, step);
        EXPECT_NEAR(ctx.clockBeatCount, shaped + whole, 1e-12);
        EXPECT_EQ(ctx.clockReferencePosition, c.reference);
        EXPECT_EQ(ctx.clockPhase, kPhaseMark);
        EXPECT_EQ(ctx.clockShapedPhase, kShapedMark);
    }
}

TEST(ChannelClock, BothPathsUseThisClockAndLeaveThePhaseFields)
{
    for (const bool noLatency : {false, true}) {
        SCOPED_TRACE(noLatency ? "no-latency path" : "multi-channel path");
        ChannelProbe* probe = nullptr;
        auto engine = makeChannelEngine(4, k_layoutMultichannel, 0, withProbe(probe));
        engine->setEngineOption(AM_AudioMan::kOptionBlockLatencyOff, noLatency ? 1 : 0);
        AM_ProcessContext* ctx = engine->getProcessContext();
        ctx->clockSwing = 40.0f;
        ctx->clockPhase = kPhaseMark;
        ctx->clockShapedPhase = kShapedMark;
        ChannelHost host(0, firstChannels(4), false, 512, 1);
        host.play(*engine, {128});
        ASSERT_EQ(probe->count, 8u);
        for (size_t i = 0; i < probe->count; ++i) {
            EXPECT_EQ(probe->entries[i].phase, kPhaseMark);
            EXPECT_EQ(probe->entries[i].shapedPhase, kShapedMark);
            EXPECT_GE(probe->entries[i].clockTempo, 1.0);
        }
        // The song position still moves by the rendered frames.
        EXPECT_NEAR(ctx->songPosition, 512.0 / 44100.0 * 2.0, 1e-9);
    }
}

} // namespace
