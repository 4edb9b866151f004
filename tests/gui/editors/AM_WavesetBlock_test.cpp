#include "gui/editors/AM_WaveRender.h"
#include "gui/editors/AM_WaveSegment.h"
#include "gui/editors/AM_WavesetBlock.h"

#include "BlockBytes.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

size_t offsetOf(int array, int wave, int point)
{
    return size_t(array) * 2048 + size_t(wave * 32 + point) * 4;
}
enum { kX = 0, kY = 1, kIn = 2, kOut = 3 };

// A block image whose every wave has the given points.
blocktest::Bytes wavesetBytes(int count, const float* xs, const float* ys, float weight = 0.0f)
{
    blocktest::Bytes bytes(AM_WavesetBlock::kBytes);
    for (int w = 0; w < 16; ++w) {
        for (int p = 0; p < count; ++p) {
            bytes.putFloat(offsetOf(kX, w, p), xs[p]);
            bytes.putFloat(offsetOf(kY, w, p), ys[p]);
            bytes.putFloat(offsetOf(kIn, w, p), weight);
            bytes.putFloat(offsetOf(kOut, w, p), weight);
        }
    }
    bytes.putU32(8192, uint32_t(count));
    return bytes;
}

} // namespace

TEST(WavesetBlock, FieldsSitAtTheirByteOffsets)
{
    blocktest::Bytes bytes(AM_WavesetBlock::kBytes);
    bytes.putU32(8192, 6);
    bytes.putFloat(offsetOf(kX, 3, 5), 0.75f);
    bytes.putFloat(offsetOf(kY, 3, 5), -0.25f);
    bytes.putFloat(offsetOf(kIn, 3, 5), 0.5f);
    bytes.putFloat(offsetOf(kOut, 3, 5), -0.5f);
    for (int p = 1; p < 5; ++p)
        bytes.putFloat(offsetOf(kX, 3, p), 0.1f * float(p));
    AM_WavesetBlock block;
    ASSERT_TRUE(block.assign(bytes.data(), bytes.size()));
    EXPECT_EQ(block.pointCount(), 6);
    EXPECT_EQ(block.x(3, 5), 0.75f);
    EXPECT_EQ(block.y(3, 5), -0.25f);
    EXPECT_EQ(block.inWeight(3, 5), 0.5f);
    EXPECT_EQ(block.outWeight(3, 5), -0.5f);

    blocktest::Bytes out(AM_WavesetBlock::kBytes);
    block.copyTo(out.data());
    EXPECT_EQ(0, std::memcmp(out.data(), bytes.data(), bytes.size()));
    EXPECT_EQ(AM_WavesetBlock::kBytes, 8196u);
}

TEST(WavesetBlock, DefaultHoldsFourPointsInEveryWave)
{
    const AM_WavesetBlock block;
    EXPECT_EQ(block.pointCount(), 4);
    const float xs[] = {0.0f, 0.1f, 0.5f, 0.9f};
    const float ys[] = {0.0f, 0.5f, 0.0f, -0.5f};
    for (int w = 0; w < 16; ++w) {
        for (int p = 0; p < 4; ++p) {
            EXPECT_EQ(block.x(w, p), xs[p]);
            EXPECT_EQ(block.y(w, p), ys[p]);
            EXPECT_EQ(block.inWeight(w, p), 0.0f);
        }
    }
}

TEST(WavesetBlock, ReceiptHoldsEveryFieldToItsRange)
{
    struct Case {
        const char* name;
        uint32_t count;
        float x1, y1, weight;
        int wantCount;
        float wantX1, wantY1, wantWeight;
        const char* trace;
    };
    const Case cases[] = {
        {"valid", 4, 0.2f, 0.5f, 0.3f, 4, 0.2f, 0.5f, 0.3f, nullptr},
        {"count zero", 0, 0.2f, 0.5f, 0.3f, 4, 0.2f, 0.5f, 0.3f, "point count 0 out of range"},
        {"count three", 3, 0.2f, 0.5f, 0.3f, 4, 0.2f, 0.5f, 0.3f, "out of range, using 4"},
        {"count 33", 33, 0.2f, 0.5f, 0.3f, 32, 0.2f, 0.5f, 0.3f, "out of range, using 32"},
        {"count huge", 0xFFFFFFFFu, 0.2f, 0.5f, 0.3f, 32, 0.2f, 0.5f, 0.3f, "using 32"},
        {"NaN fields", 4, kNaN, kNaN, kNaN, 4, 0.0f, 0.0f, 0.0f, "fields out of range"},
        {"infinite fields", 4, kInf, -kInf, kInf, 4, 0.0f, 0.0f, 0.0f, "fields out of range"},
        {"large fields", 4, 7.0f, -3.0f, 2.0f, 4, 1.0f, -1.0f, 1.0f, "fields out of range"},
    };
    for (const Case& c : cases) {
        const float xs[] = {0.0f, c.x1, 0.0f, 0.0f};
        const float ys[] = {0.0f, c.y1, 0.0f, 0.0f};
        blocktest::Bytes bytes = wavesetBytes(4, xs, ys, c.weight);
        // The points after point 1 at the end so that the wave stays in order.
        for (int w = 0; w < 16; ++w) {
            for (int p = 2; p < 32; ++p)
                bytes.putFloat(offsetOf(kX, w, p), 1.0f);
        }
        bytes.putU32(8192, c.count);
        testsupport::TraceCapture trace;
        AM_WavesetBlock block;
        block.assign(bytes.data(), bytes.size());
        EXPECT_EQ(block.pointCount(), c.wantCount) << c.name;
        // A position that was not finite becomes 0 and sorts before the rest.
        const int p = c.wantX1 == 0.0f ? 0 : 1;
        EXPECT_EQ(block.x(15, p), c.wantX1) << c.name;
        EXPECT_EQ(block.y(15, 1), c.wantY1) << c.name;
        EXPECT_EQ(block.inWeight(15, 1), c.wantWeight) << c.name;
        EXPECT_EQ(block.outWeight(15, 1), c.wantWeight) << c.name;
        if (c.trace)
            EXPECT_TRUE(trace.contains(c.trace)) << c.name << ": " << trace.text();
        else
            EXPECT_EQ(trace.text(), "") << c.name;
    }
}

TEST(WavesetBlock, ReceiptPutsPointZeroAtTheStartAndSortsTheWaves)
{
    const float xs[] = {0.3f, 0.8f, 0.2f, 0.6f};
    const float ys[] = {0.1f, 0.2f, 0.3f, 0.4f};
    blocktest::Bytes bytes = wavesetBytes(4, xs, ys);
    testsupport::TraceCapture trace;
    AM_WavesetBlock block;
    block.assign(bytes.data(), bytes.size());
    const float wantX[] = {0.0f, 0.2f, 0.6f, 0.8f};
    const float wantY[] = {0.1f, 0.3f, 0.4f, 0.2f};
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(block.x(7, p), wantX[p]);
        EXPECT_EQ(block.y(7, p), wantY[p]);
    }
    EXPECT_TRUE(trace.contains("16 waves with points out of order, sorted"));
}

TEST(WavesetBlock, ShortCopiesKeepTheRestAndNullIsRefused)
{
    AM_WavesetBlock block;
    EXPECT_FALSE(block.assign(nullptr, 8196));
    EXPECT_EQ(block.pointCount(), 4);
    blocktest::Bytes bytes(4);
    bytes.putFloat(0, 0.0f);
    EXPECT_TRUE(block.assign(bytes.data(), 4));
    EXPECT_EQ(block.x(0, 1), 0.1f);
    EXPECT_EQ(block.pointCount(), 4);
    // A larger source is taken only up to the block's size.
    blocktest::Bytes large(20000);
    const float xs[] = {0.0f, 0.25f, 0.5f, 0.75f};
    const float ys[] = {0.0f, 0.0f, 0.0f, 0.0f};
    blocktest::Bytes image = wavesetBytes(4, xs, ys);
    std::memcpy(large.data(), image.data(), image.size());
    EXPECT_TRUE(block.assign(large.data(), large.size()));
    EXPECT_EQ(block.x(0, 1), 0.25f);
}

TEST(WavesetBlock, AccessOutOfRangeReadsZeroAndWritesNothing)
{
    AM_WavesetBlock block;
    for (auto [w, p] : {std::pair{-1, 0}, {16, 0}, {0, -1}, {0, 32}}) {
        block.setY(w, p, 0.7f);
        EXPECT_EQ(block.y(w, p), 0.0f);
    }
    block.setX(2, 0, 0.5f);
    EXPECT_EQ(block.x(2, 0), 0.0f) << "point 0 stays at the start of the cycle";
    block.setY(2, 1, kNaN);
    EXPECT_EQ(block.y(2, 1), 0.0f);
    block.setInWeight(2, 1, 4.0f);
    EXPECT_EQ(block.inWeight(2, 1), 1.0f);
}

TEST(WavesetBlock, InsertingAPointKeepsTheShapeOfTheOtherWaves)
{
    for (int mode : {int(kWaveLooped), int(kWaveOpen)}) {
        AM_WavesetBlock block;
        for (int w = 0; w < 16; ++w) {
            for (int p = 0; p < 4; ++p) {
                block.setY(w, p, std::sin(float(w + 3 * p)) * 0.8f);
                block.setInWeight(w, p, 1.0f / 3.0f);
                block.setOutWeight(w, p, 0.2f * float(p - 1));
            }
        }
        const float x = 0.7f;
        float before[16];
        for (int w = 0; w < 16; ++w)
            before[w] = waveLevelAt(block, w, x, mode);

        const int index = block.insertPoint(x, 0.25f, 5, mode);
        EXPECT_EQ(index, 3) << "after 0, 0.1 and 0.5";
        EXPECT_EQ(block.pointCount(), 5);
        for (int w = 0; w < 16; ++w) {
            EXPECT_EQ(block.x(w, 3), x);
            EXPECT_EQ(block.inWeight(w, 3), 0.0f);
            EXPECT_EQ(block.x(w, 4), 0.9f);
            if (w == 5)
                EXPECT_EQ(block.y(w, 3), 0.25f);
            else
                EXPECT_FLOAT_EQ(block.y(w, 3), before[w]) << "wave " << w << " mode " << mode;
        }
    }
}

TEST(WavesetBlock, InsertLimitsThePositionAndStopsAtThirtyTwoPoints)
{
    AM_WavesetBlock block;
    EXPECT_EQ(block.insertPoint(0.0f, 0.0f, 0, kWaveLooped), 1);
    EXPECT_EQ(block.x(0, 1), AM_WavesetBlock::kInsertMinX);
    EXPECT_EQ(block.insertPoint(2.0f, 0.0f, 0, kWaveLooped), 5);
    EXPECT_EQ(block.x(0, 5), AM_WavesetBlock::kInsertMaxX);
    EXPECT_EQ(block.insertPoint(kNaN, 0.0f, 0, kWaveLooped), -1);
    EXPECT_EQ(block.insertPoint(0.5f, 0.0f, 16, kWaveLooped), -1);
    while (block.pointCount() < 32)
        ASSERT_GE(block.insertPoint(0.3f, 0.1f, 0, kWaveLooped), 1);
    EXPECT_EQ(block.insertPoint(0.3f, 0.1f, 0, kWaveLooped), -1);
    EXPECT_EQ(block.pointCount(), 32);
    for (int p = 1; p < 32; ++p)
        EXPECT_LE(block.x(9, p - 1), block.x(9, p));
}

TEST(WavesetBlock, RemovingAPointCarriesTheSelectionAndKeepsPointZero)
{
    AM_WavesetBlock block;
    block.insertPoint(0.7f, 0.3f, 0, kWaveLooped); // 0, 0.1, 0.5, 0.7, 0.9
    AM_WavesetBlock::Selection selection = {};
    selection[2] = 1;
    selection[4] = 1;
    EXPECT_TRUE(block.removePoint(2, 0, &selection));
    EXPECT_EQ(block.pointCount(), 4);
    for (int w = 0; w < 16; ++w) {
        EXPECT_EQ(block.x(w, 2), 0.7f);
        EXPECT_EQ(block.x(w, 3), 0.9f);
    }
    EXPECT_EQ(selection[2], 0);
    EXPECT_EQ(selection[3], 1) << "the flag of 0.9 moved with it";
    EXPECT_EQ(selection[4], 0);

    EXPECT_FALSE(block.removePoint(1, 0, nullptr)) << "four points are the least";
    block.insertPoint(0.3f, 0.0f, 0, kWaveLooped);
    EXPECT_FALSE(block.removePoint(0, 0, nullptr)) << "point 0 anchors the cycle";
    EXPECT_FALSE(block.removePoint(5, 0, nullptr));
    EXPECT_EQ(block.pointCount(), 5);
}

TEST(WavesetBlock, MovingPointsReordersThemWithTheirSelection)
{
    AM_WavesetBlock block; // 0, 0.1, 0.5, 0.9
    AM_WavesetBlock::Selection selection = {};
    selection[1] = 1;
    block.movePoints(4, 0.6f, 0.25f, selection);
    EXPECT_EQ(block.x(4, 1), 0.5f);
    EXPECT_FLOAT_EQ(block.x(4, 2), 0.7f);
    EXPECT_FLOAT_EQ(block.y(4, 2), 0.75f);
    EXPECT_EQ(selection[1], 0);
    EXPECT_EQ(selection[2], 1);

    // Two points moved left past point 1; point 0 moves only vertically.
    selection = {};
    selection[0] = 1;
    selection[3] = 1;
    block.movePoints(4, -2.0f, 3.0f, selection);
    EXPECT_EQ(block.x(4, 0), 0.0f);
    EXPECT_EQ(block.y(4, 0), 1.0f);
    EXPECT_EQ(block.x(4, 1), 0.0f) << "0.9 limited to 0 and moved before 0.5";
    EXPECT_EQ(selection[1], 1);
    EXPECT_EQ(selection[3], 0);
    for (int p = 1; p < 4; ++p)
        EXPECT_LE(block.x(4, p - 1), block.x(4, p));
    EXPECT_EQ(block.x(3, 1), 0.1f) << "other waves untouched";
}

TEST(WavesetBlock, WeightsAndBendsStayInRange)
{
    AM_WavesetBlock block;
    AM_WavesetBlock::Selection selection = {};
    block.setWeights(2, AM_WavesetBlock::kWeightSmooth, &selection);
    for (int p = 0; p < 32; ++p)
        EXPECT_EQ(block.outWeight(2, p), 1.0f / 3.0f) << "nothing selected sets all 32 entries";
    selection[1] = 1;
    block.setWeights(2, AM_WavesetBlock::kWeightPeak, &selection);
    EXPECT_EQ(block.inWeight(2, 1), -1.0f);
    EXPECT_EQ(block.inWeight(2, 2), 1.0f / 3.0f);
    block.bendPoints(2, 1, -5.0f, selection);
    EXPECT_EQ(block.inWeight(2, 1), 1.0f);
    EXPECT_EQ(block.outWeight(2, 1), -1.0f);
    block.bendPoints(2, 2, 0.5f, selection);
    EXPECT_EQ(block.outWeight(2, 1), -1.0f);
}

TEST(WavesetBlock, WholeWaveOperations)
{
    AM_WavesetBlock block;
    block.distribute(1);
    EXPECT_EQ(block.x(1, 1), 0.25f);
    EXPECT_EQ(block.x(1, 3), 0.75f);

    block.flatten(2);
    block.setY(2, 0, 0.4f);
    block.flatten(2);
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(block.y(2, p), 0.4f);

    // Line up from point 1 (0.1, 0.5) to point 3 (0.9, -0.5): point 2 at 0.5.
    AM_WavesetBlock::Selection selection = {};
    selection[1] = selection[2] = selection[3] = 1;
    EXPECT_TRUE(block.lineUp(3, selection));
    EXPECT_NEAR(block.y(3, 2), 0.0f, 1e-6);
    block.setY(3, 2, 0.9f);
    EXPECT_TRUE(block.lineUp(3, selection));
    EXPECT_NEAR(block.y(3, 2), 0.0f, 1e-6);
    // From point 0 the line is flat at point 0's level.
    selection[0] = 1;
    block.setY(3, 0, -0.2f);
    EXPECT_TRUE(block.lineUp(3, selection));
    EXPECT_EQ(block.y(3, 3), -0.2f);

    testsupport::TraceCapture trace;
    AM_WavesetBlock::Selection none = {};
    EXPECT_FALSE(block.lineUp(3, none));
    EXPECT_EQ(trace.standardOutput(), "damn, havn't found selected start...\n");
}

TEST(WavesetBlock, WavesMoveCopyAndInterpolate)
{
    AM_WavesetBlock block;
    for (int w = 0; w < 16; ++w)
        block.setY(w, 1, float(w) / 16.0f);
    block.moveWave(2, 5);
    const float afterMove[] = {0, 1, 3, 4, 5, 2, 6};
    for (int w = 0; w < 7; ++w)
        EXPECT_EQ(block.y(w, 1), afterMove[w] / 16.0f) << w;
    block.moveWave(5, 2);
    for (int w = 0; w < 7; ++w)
        EXPECT_EQ(block.y(w, 1), float(w) / 16.0f) << w;

    block.copyWave(3, 9);
    EXPECT_EQ(block.y(9, 1), 3.0f / 16.0f);
    block.moveWave(-1, 3);
    block.copyWave(3, 16);

    block.setY(10, 2, 1.0f);
    block.setY(14, 2, -1.0f);
    block.interpolateWaves(14, 10);
    EXPECT_EQ(block.y(11, 2), 0.5f);
    EXPECT_EQ(block.y(12, 2), 0.0f);
    EXPECT_EQ(block.y(13, 2), -0.5f);
    block.setY(12, 2, 0.3f);
    block.interpolateWaves(11, 12);
    EXPECT_EQ(block.y(12, 2), 0.3f) << "neighbours have nothing between them";
}

// Regression: a point inserted where another wave's curve overshoots the
// level range took a level outside it.
TEST(WavesetBlock, InsertedLevelsStayInRangeWhereCurvesOvershoot)
{
    AM_WavesetBlock block;
    for (int w = 0; w < 16; ++w) {
        block.setY(w, 1, 1.0f);
        block.setY(w, 2, -1.0f);
        block.setY(w, 3, 1.0f);
        block.setWeights(w, 1.0f, nullptr);
    }
    float largest = 0.0f;
    float where = 0.0f;
    for (float x = 0.01f; x < 1.0f; x += 0.01f) {
        const float level = std::fabs(waveLevelAt(block, 3, x, kWaveLooped));
        if (level > largest) {
            largest = level;
            where = x;
        }
    }
    ASSERT_GT(largest, 1.0f) << "the fixture must overshoot";
    for (float x : {where, 0.05f, 0.3f, 0.7f, 0.95f}) {
        const int index = block.insertPoint(x, 0.0f, 0, kWaveLooped);
        ASSERT_GE(index, 1);
        for (int w = 1; w < 16; ++w) {
            EXPECT_LE(block.y(w, index), 1.0f) << x;
            EXPECT_GE(block.y(w, index), -1.0f) << x;
        }
    }
}
