#include "gui/editors/AM_EnvelopeBlock.h"

#include "BlockBytes.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

size_t pointOffset(int i, int field) { return 32 + size_t(i) * 16 + size_t(field) * 4; }

// A block image with points at times 0, 1, 2, ... and levels 0.5.
blocktest::Bytes envelopeBytes(int segments, int loopStart, int loopEnd)
{
    blocktest::Bytes bytes(AM_EnvelopeBlock::kBytes);
    bytes.putI32(4, segments);
    bytes.putI32(8, loopStart);
    bytes.putI32(12, loopEnd);
    for (int i = 0; i < 33; ++i) {
        bytes.putFloat(pointOffset(i, 0), float(i));
        bytes.putFloat(pointOffset(i, 1), 0.5f);
    }
    return bytes;
}

AM_EnvelopeBlock envelope(int segments, int loopStart, int loopEnd)
{
    const blocktest::Bytes bytes = envelopeBytes(segments, loopStart, loopEnd);
    AM_EnvelopeBlock block;
    block.assign(bytes.data(), bytes.size());
    return block;
}

} // namespace

TEST(EnvelopeBlock, FieldsSitAtTheirOffsetsAndEngineBytesPassThrough)
{
    blocktest::Bytes bytes = envelopeBytes(5, 1, 3);
    for (size_t i : {0u, 1u, 2u, 3u, 20u, 25u, 31u})
        bytes.data()[i] = uint8_t(0xA0 + i);
    bytes.putU32(16, 2u | 6u << 8 | 24u << 16);
    bytes.putFloat(pointOffset(2, 2), 0.25f);
    bytes.putFloat(pointOffset(2, 3), -0.75f);
    AM_EnvelopeBlock block;
    ASSERT_TRUE(block.assign(bytes.data(), bytes.size()));
    EXPECT_EQ(block.numSegments(), 5);
    EXPECT_EQ(block.loopStart(), 1);
    EXPECT_EQ(block.loopEnd(), 3);
    EXPECT_EQ(block.dragMode(), 2);
    EXPECT_EQ(block.unitSnap(), 6);
    EXPECT_EQ(block.valueSnap(), 24);
    const AM_EnvelopeBlock::Point p = block.point(2);
    EXPECT_EQ(p.time, 2.0f);
    EXPECT_EQ(p.level, 0.5f);
    EXPECT_EQ(p.swing, 0.25f);
    EXPECT_EQ(p.bow, -0.75f);

    block.removePoint(4);
    blocktest::Bytes out(AM_EnvelopeBlock::kBytes);
    block.copyTo(out.data());
    for (size_t i : {0u, 1u, 2u, 3u, 20u, 25u, 31u})
        EXPECT_EQ(out.data()[i], uint8_t(0xA0 + i)) << i;
    EXPECT_EQ(out.getI32(4), 4);
    EXPECT_EQ(AM_EnvelopeBlock::kBytes, 560u);
}

TEST(EnvelopeBlock, DefaultContent)
{
    const AM_EnvelopeBlock block;
    EXPECT_EQ(block.numSegments(), 16);
    EXPECT_EQ(block.loopStart(), 4);
    EXPECT_EQ(block.loopEnd(), 12);
    EXPECT_EQ(block.dragMode(), 0);
    for (int i = 0; i <= 16; ++i) {
        EXPECT_EQ(block.point(i).time, float(i));
        EXPECT_EQ(block.point(i).level, 0.0f);
        EXPECT_EQ(block.point(i).swing, 0.0f);
        EXPECT_EQ(block.point(i).bow, -0.3f);
    }
    EXPECT_EQ(block.point(17).time, 0.0f) << "beyond the points in use reads zeros";
    EXPECT_EQ(block.point(-1).bow, 0.0f);
}

TEST(EnvelopeBlock, ReceiptHoldsCountsLoopAndPointsToRange)
{
    struct Case {
        const char* name;
        int segments, loopStart, loopEnd;
        int wantSegments, wantStart, wantEnd;
        const char* trace;
    };
    const Case cases[] = {
        {"valid", 8, 2, 6, 8, 2, 6, nullptr},
        {"no segments", 0, 0, 0, 1, 0, 0, "0 segments out of range, using 1"},
        {"negative", -7, 0, 0, 1, 0, 0, "-7 segments out of range"},
        {"too many", 33, 4, 12, 32, 4, 12, "33 segments out of range, using 32"},
        {"huge", 0x7FFFFFFF, 4, 12, 32, 4, 12, "using 32"},
        {"loop past the end", 8, 2, 40, 8, 2, 8, "loop 2 to 40 out of range, using 2 to 8"},
        {"loop reversed", 8, 7, 3, 8, 3, 3, "loop 7 to 3"},
        {"negative loop", 8, -3, -1, 8, 0, 0, "loop -3 to -1"},
    };
    for (const Case& c : cases) {
        testsupport::TraceCapture trace;
        const AM_EnvelopeBlock block = envelope(c.segments, c.loopStart, c.loopEnd);
        EXPECT_EQ(block.numSegments(), c.wantSegments) << c.name;
        EXPECT_EQ(block.loopStart(), c.wantStart) << c.name;
        EXPECT_EQ(block.loopEnd(), c.wantEnd) << c.name;
        if (c.trace)
            EXPECT_TRUE(trace.contains(c.trace)) << c.name << ": " << trace.text();
        else
            EXPECT_EQ(trace.text(), "") << c.name;
    }
}

TEST(EnvelopeBlock, ReceiptKeepsPointsFiniteAndInOrder)
{
    blocktest::Bytes bytes = envelopeBytes(5, 0, 5);
    bytes.putFloat(pointOffset(0, 0), 3.0f);    // point 0 sits at 0
    bytes.putFloat(pointOffset(2, 0), kNaN);    // not finite: its left neighbour's time
    bytes.putFloat(pointOffset(3, 0), 0.5f);    // before its left neighbour
    bytes.putFloat(pointOffset(4, 0), 500.0f);  // past the end of the time axis
    bytes.putFloat(pointOffset(1, 1), 2.0f);    // level above 1
    bytes.putFloat(pointOffset(1, 2), -kNaN);   // swing not finite
    bytes.putFloat(pointOffset(1, 3), -9.0f);   // bow below -1
    bytes.putFloat(pointOffset(7, 0), kNaN);    // not in use: passed through
    testsupport::TraceCapture trace;
    AM_EnvelopeBlock block;
    block.assign(bytes.data(), bytes.size());
    const float times[] = {0.0f, 1.0f, 1.0f, 1.0f, 128.0f, 128.0f};
    for (int i = 0; i <= 5; ++i)
        EXPECT_EQ(block.point(i).time, times[i]) << i;
    EXPECT_EQ(block.point(1).level, 1.0f);
    EXPECT_EQ(block.point(1).swing, 0.0f);
    EXPECT_EQ(block.point(1).bow, -1.0f);
    EXPECT_TRUE(trace.contains("Envelope block: 8 point fields out of range, limited"))
        << trace.text();
    blocktest::Bytes out(AM_EnvelopeBlock::kBytes);
    block.copyTo(out.data());
    EXPECT_TRUE(std::isnan(out.getFloat(pointOffset(7, 0))));
}

TEST(EnvelopeBlock, InsertShiftsTheLoopIndicesItIsNotAbove)
{
    struct Case {
        float time;
        int wantIndex, wantStart, wantEnd;
    };
    // Points at 0..8, loop 2..6.
    const Case cases[] = {
        {0.5f, 1, 3, 7},  // before the loop start: both shift
        {2.0f, 3, 2, 7},  // at the loop start's time: goes after it
        {5.5f, 6, 2, 7},  // inside the loop
        {6.5f, 7, 2, 6},  // after the loop end
        {99.0f, 9, 2, 6}, // after the last point
        {-4.0f, 1, 3, 7}, // limited to 0, after point 0
    };
    for (const Case& c : cases) {
        AM_EnvelopeBlock block = envelope(8, 2, 6);
        block.setBend(c.wantIndex - 1, 0.4f, -0.2f);
        EXPECT_EQ(block.insertPoint(c.time, 3.0f), c.wantIndex) << c.time;
        EXPECT_EQ(block.numSegments(), 9);
        EXPECT_EQ(block.loopStart(), c.wantStart) << c.time;
        EXPECT_EQ(block.loopEnd(), c.wantEnd) << c.time;
        const AM_EnvelopeBlock::Point p = block.point(c.wantIndex);
        EXPECT_EQ(p.time, std::clamp(c.time, 0.0f, 128.0f));
        EXPECT_EQ(p.level, 1.0f);
        EXPECT_EQ(p.swing, 0.4f) << "inherits the bend of the point before";
        EXPECT_EQ(p.bow, -0.2f);
        EXPECT_EQ(block.point(9).time, c.time > 8 ? 99.0f : 8.0f);
    }
}

TEST(EnvelopeBlock, InsertStopsAtThirtyTwoSegments)
{
    AM_EnvelopeBlock block = envelope(31, 0, 31);
    EXPECT_EQ(block.insertPoint(40.0f, 0.5f), 32);
    EXPECT_EQ(block.insertPoint(41.0f, 0.5f), -1);
    EXPECT_EQ(block.numSegments(), 32);
    EXPECT_EQ(block.insertPoint(kNaN, 0.5f), -1);
}

TEST(EnvelopeBlock, RemoveKeepsTheLoopConsistent)
{
    struct Case {
        int remove;
        int wantStart, wantEnd;
    };
    // Points 0..8, loop 2..6.
    const Case cases[] = {
        {1, 1, 5}, // before the loop: both drop
        {2, 2, 5}, // the loop start: the start stays on the next point
        {4, 2, 5}, // inside
        {6, 2, 5}, // the loop end moves to the point before it
        {7, 2, 6}, // after the loop
    };
    for (const Case& c : cases) {
        AM_EnvelopeBlock block = envelope(8, 2, 6);
        EXPECT_TRUE(block.removePoint(c.remove));
        EXPECT_EQ(block.numSegments(), 7);
        EXPECT_EQ(block.loopStart(), c.wantStart) << c.remove;
        EXPECT_EQ(block.loopEnd(), c.wantEnd) << c.remove;
        EXPECT_EQ(block.point(c.remove).time, float(c.remove + 1));
    }
    AM_EnvelopeBlock single = envelope(3, 3, 3);
    EXPECT_TRUE(single.removePoint(3));
    EXPECT_EQ(single.loopStart(), 2);
    EXPECT_EQ(single.loopEnd(), 2);
    EXPECT_FALSE(single.removePoint(0));
    EXPECT_FALSE(single.removePoint(3));
    EXPECT_TRUE(single.removePoint(1));
    EXPECT_FALSE(single.removePoint(1)) << "one segment is the least";
    EXPECT_EQ(single.numSegments(), 1);
}

TEST(EnvelopeBlock, SnapRoundsToTheGrid)
{
    struct Case {
        float value;
        int snap;
        float wantTime, wantLevel;
    };
    const Case cases[] = {
        {0.3f, 0, 0.3f, 0.3f},        {0.3f, 4, 0.25f, 0.25f},  {0.38f, 4, 0.5f, 0.5f},
        {0.49f, 12, 0.5f, 0.5f},      {127.9f, 3, 128.0f, 1.0f}, {-2.0f, 4, 0.0f, 0.0f},
        {kNaN, 4, 0.0f, 0.0f},        {1e9f, 8, 128.0f, 1.0f},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(AM_EnvelopeBlock::snapTime(c.value, c.snap), c.wantTime) << c.value;
        EXPECT_FLOAT_EQ(AM_EnvelopeBlock::snapLevel(c.value, c.snap), c.wantLevel) << c.value;
    }
}

TEST(EnvelopeBlock, WholeEnvelopeCommands)
{
    AM_EnvelopeBlock block = envelope(4, 0, 4);
    block.setEditSettings(1, 2, 4);
    EXPECT_EQ(block.dragMode(), 1);
    block.movePoint(2, 2.2f, 0.3f, 0, false);
    block.quantize();
    EXPECT_EQ(block.point(2).time, 2.0f);
    EXPECT_EQ(block.point(2).level, 0.25f);

    block.halfSize();
    EXPECT_EQ(block.point(3).time, 1.5f);
    block.doubleSize();
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(block.point(i).time, float(i)) << "half then double restores";
    block.upsideDown();
    EXPECT_EQ(block.point(2).level, 0.75f);

    AM_EnvelopeBlock wide = envelope(4, 0, 4);
    wide.movePoint(4, 100.0f, 0.5f, 0, false);
    wide.doubleSize();
    EXPECT_EQ(wide.point(4).time, 128.0f) << "double size stays on the time axis";
    EXPECT_TRUE(wide.evenSpacing());
    EXPECT_EQ(wide.point(1).time, 32.0f);
    EXPECT_EQ(wide.point(3).time, 96.0f);
    wide.unitSpacing();
    EXPECT_EQ(wide.point(4).time, 4.0f);
    AM_EnvelopeBlock one = envelope(1, 0, 1);
    EXPECT_FALSE(one.evenSpacing());
}

TEST(EnvelopeBlock, EditSettingsReadAndPack)
{
    AM_EnvelopeBlock block;
    blocktest::Bytes bytes = envelopeBytes(4, 0, 4);
    bytes.putU32(16, 7u | 0xFFu << 8 | 0xFFu << 16 | 0xFFu << 24);
    block.assign(bytes.data(), bytes.size());
    EXPECT_EQ(block.dragMode(), 2) << "a larger mode reads as 2";
    EXPECT_EQ(block.unitSnap(), 127);
    EXPECT_EQ(block.valueSnap(), 127);
    block.setEditSettings(1, 8, 48);
    blocktest::Bytes out(AM_EnvelopeBlock::kBytes);
    block.copyTo(out.data());
    EXPECT_EQ(out.getI32(16), int32_t(48 << 16 | 8 << 8 | 1));
}

TEST(EnvelopeBlock, MovingAPointHoldsItBetweenItsNeighbours)
{
    struct Case {
        const char* name;
        int point;
        float time, level;
        int dragMode;
        bool snap;
        float wantTime, wantLevel, wantNextTime;
    };
    // Points at 0..4; unit snap 2, value snap 4.
    const Case cases[] = {
        {"inside", 2, 2.3f, 0.6f, 0, false, 2.3f, 0.6f, 3.0f},
        {"past the right", 2, 5.0f, 0.6f, 0, false, 3.0f, 0.6f, 3.0f},
        {"past the left", 2, 0.2f, 2.0f, 0, false, 1.0f, 1.0f, 3.0f},
        {"point 0", 0, 2.0f, 0.2f, 0, false, 0.0f, 0.2f, 1.0f},
        {"last", 4, 400.0f, 0.2f, 0, false, 128.0f, 0.2f, 0.0f},
        {"shift following", 2, 3.5f, 0.5f, 1, false, 3.5f, 0.5f, 4.5f},
        {"snapped", 2, 2.3f, 0.6f, 0, true, 2.5f, 0.5f, 3.0f},
        {"snap keeps the order", 2, 1.1f, 0.6f, 0, true, 1.0f, 0.5f, 3.0f},
    };
    for (const Case& c : cases) {
        AM_EnvelopeBlock block = envelope(4, 0, 4);
        block.setEditSettings(c.dragMode, 2, 4);
        EXPECT_TRUE(block.movePoint(c.point, c.time, c.level, c.dragMode, c.snap)) << c.name;
        EXPECT_FLOAT_EQ(block.point(c.point).time, c.wantTime) << c.name;
        EXPECT_FLOAT_EQ(block.point(c.point).level, c.wantLevel) << c.name;
        EXPECT_FLOAT_EQ(block.point(c.point + 1).time, c.wantNextTime) << c.name;
        for (int i = 1; i <= 4; ++i)
            EXPECT_LE(block.point(i - 1).time, block.point(i).time) << c.name;
    }
    AM_EnvelopeBlock block = envelope(4, 0, 4);
    EXPECT_FALSE(block.movePoint(2, 2.0f, 0.5f, 0, false)) << "no change";
    EXPECT_FALSE(block.movePoint(5, 2.0f, 0.5f, 0, false));
    EXPECT_FALSE(block.movePoint(2, kNaN, 0.5f, 0, false));
}

TEST(EnvelopeBlock, LevelsBendsAndLoopHandles)
{
    AM_EnvelopeBlock block = envelope(6, 2, 4);
    EXPECT_TRUE(block.setLevel(3, 7.0f));
    EXPECT_EQ(block.point(3).level, 1.0f);
    EXPECT_FALSE(block.setLevel(3, 1.0f));
    EXPECT_FALSE(block.setLevel(9, 0.5f));
    block.setBend(1, 3.0f, kNaN);
    EXPECT_EQ(block.point(1).swing, 1.0f);
    EXPECT_EQ(block.point(1).bow, 0.0f);

    EXPECT_TRUE(block.setLoopStart(4));
    EXPECT_FALSE(block.setLoopStart(5)) << "never after the loop end";
    EXPECT_TRUE(block.setLoopEnd(6));
    EXPECT_FALSE(block.setLoopEnd(3));
    EXPECT_FALSE(block.setLoopEnd(7));
    EXPECT_EQ(block.loopStart(), 4);
    EXPECT_EQ(block.loopEnd(), 6);

    const AM_SegmentCurve curve = block.segmentCurve(0);
    EXPECT_EQ(curve.x0, 0.0f);
    EXPECT_EQ(curve.x1, 1.0f);
    EXPECT_TRUE(block.segmentCurve(6).straight);
    EXPECT_EQ(block.segmentCurve(6).x1, 0.0f) << "no segment starts at the last point";
}

// Regression: shifting the following points by a difference that rounds
// (128 down to a tiny time) put them before the moved point.
TEST(EnvelopeBlock, ShiftingFollowersKeepsTheOrderWhenTheSumRounds)
{
    AM_EnvelopeBlock block = envelope(4, 0, 4);
    for (int i = 4; i >= 2; --i)
        block.movePoint(i, 128.0f, 0.5f, 0, false);
    block.movePoint(1, 3e-27f, 0.5f, 0, false);
    ASSERT_EQ(block.point(1).time, 3e-27f);
    EXPECT_TRUE(block.movePoint(2, 1e-27f, 0.5f, AM_EnvelopeBlock::kShiftFollowingMode, false));
    for (int i = 1; i <= 4; ++i)
        EXPECT_LE(block.point(i - 1).time, block.point(i).time) << i;
}
