#include "gui/editors/AM_WaveRender.h"
#include "gui/editors/AM_WaveSegment.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The cubic of a segment, written out from the slopes at its ends.
float hermite(float y0, float y1, float a, float d, float t)
{
    const float h00 = 2 * t * t * t - 3 * t * t + 1;
    const float h10 = t * t * t - 2 * t * t + t;
    const float h01 = -2 * t * t * t + 3 * t * t;
    const float h11 = t * t * t - t * t;
    return h00 * y0 + h10 * a + h01 * y1 + h11 * d;
}

// A block whose every wave has the points (x, y) with both weights w.
AM_WavesetBlock blockOf(std::initializer_list<std::pair<float, float>> points, float w)
{
    AM_WavesetBlock block;
    while (block.pointCount() < int(points.size()))
        block.insertPoint(0.5f, 0.0f, 0, kWaveLooped);
    for (int wave = 0; wave < 16; ++wave) {
        int p = 0;
        for (auto [x, y] : points) {
            block.setX(wave, p, x);
            block.setY(wave, p, y);
            block.setInWeight(wave, p, w);
            block.setOutWeight(wave, p, w);
            ++p;
        }
    }
    return block;
}

} // namespace

TEST(WaveCubic, SlopesFollowTheTangentWeights)
{
    struct Case {
        const char* name;
        float y0, y1, ym, y2, c, b;
        float slopeStart, slopeEnd; // hand-computed from the weights
    };
    const Case cases[] = {
        // Weight 0: both slopes are the chord.
        {"linear", 0.2f, 0.6f, -1.0f, 1.0f, 0.0f, 0.0f, 0.4f, 0.4f},
        // Weight 1/3: (y1 - ym) / 2 and (y2 - y0) / 2.
        {"smooth", 0.0f, 1.0f, -1.0f, 0.0f, 1.0f / 3, 1.0f / 3, 1.0f, 0.0f},
        // Weight -1: s = -1, a = (1 - (s - 3 (ym - s))) / 2 = (1 + 1 + 4.5) / 2.
        {"peak start", 0.0f, 1.0f, 0.5f, 1.0f, -1.0f, 0.0f, 3.25f, 1.0f},
        // e = 2, d = (e - 3 (y2 - e) - y0) / 2 = (2 + 6 - 0) / 2.
        {"peak end", 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, -1.0f, 1.0f, 4.0f},
    };
    for (const Case& c : cases) {
        for (float t : {0.0f, 0.25f, 0.5f, 0.9f, 1.0f}) {
            EXPECT_NEAR(waveCubic(c.y0, c.y1, c.ym, c.y2, c.c, c.b, t),
                        hermite(c.y0, c.y1, c.slopeStart, c.slopeEnd, t), 1e-6)
                << c.name << " t " << t;
        }
    }
    EXPECT_FLOAT_EQ(waveCubic(0, 1, -1, 0, 1.0f / 3, 1.0f / 3, 0.5f), 0.625f);
}

TEST(WaveSegment, NeighboursFollowOneRuleInBothModes)
{
    // Points (0, 0.1), (0.25, 0.2), (0.5, 0.3), (0.75, 0.4), weights 1/3.
    const AM_WavesetBlock block = blockOf({{0, 0.1f}, {0.25f, 0.2f}, {0.5f, 0.3f}, {0.75f, 0.4f}},
                                          1.0f / 3);
    struct Case {
        int mode, segment;
        float x0, x1, y0, y1, ym, y2;
    };
    const Case cases[] = {
        {kWaveLooped, 0, 0.0f, 0.25f, 0.1f, 0.2f, 0.4f, 0.3f}, // before point 0: the last point
        {kWaveOpen, 0, 0.0f, 0.25f, 0.1f, 0.2f, 0.1f, 0.3f},   // open: point 0 itself
        {kWaveLooped, 2, 0.5f, 0.75f, 0.3f, 0.4f, 0.2f, 0.1f}, // after the last: the closing point
        {kWaveOpen, 2, 0.5f, 0.75f, 0.3f, 0.4f, 0.2f, 1.0f},   // open closing level +1
        {kWaveLooped, 3, 0.75f, 1.0f, 0.4f, 0.1f, 0.3f, 0.2f}, // closing: then point 1
        {kWaveOpen, 3, 0.75f, 1.0f, 0.4f, 1.0f, 0.3f, 1.0f},   // open: the closing level again
        {kWaveValues, 3, 0.75f, 1.0f, 0.4f, 0.1f, 0.3f, 0.2f}, // value mode counts as looped
    };
    for (const Case& c : cases) {
        const AM_WaveSegment s = waveSegment(block, 6, c.segment, c.mode);
        EXPECT_EQ(s.x0, c.x0);
        EXPECT_EQ(s.x1, c.x1);
        EXPECT_EQ(s.y0, c.y0);
        EXPECT_EQ(s.y1, c.y1) << c.mode << "/" << c.segment;
        EXPECT_EQ(s.ym, c.ym) << c.mode << "/" << c.segment;
        EXPECT_EQ(s.y2, c.y2) << c.mode << "/" << c.segment;
        EXPECT_EQ(s.c, 1.0f / 3);
    }
    const AM_WaveSegment none = waveSegment(block, 16, 0, kWaveLooped);
    EXPECT_EQ(none.level(0.5f), 0.0f);
    EXPECT_EQ(waveSegment(block, 0, 4, kWaveLooped).level(0.5f), 0.0f);
}

TEST(WaveSegment, LevelAtAPositionUsesTheSegmentThatHoldsIt)
{
    const AM_WavesetBlock block =
        blockOf({{0, 0.1f}, {0.25f, 0.2f}, {0.5f, 0.3f}, {0.75f, 0.4f}}, 1.0f / 3);
    const AM_WaveSegment s = waveSegment(block, 0, 1, kWaveLooped);
    EXPECT_FLOAT_EQ(waveLevelAt(block, 0, 0.3f, kWaveLooped), s.level(0.2f));
    EXPECT_FLOAT_EQ(waveLevelAt(block, 0, 0.25f, kWaveLooped), 0.2f);
    const AM_WaveSegment closing = waveSegment(block, 0, 3, kWaveOpen);
    EXPECT_FLOAT_EQ(waveLevelAt(block, 0, 0.875f, kWaveOpen), closing.level(0.5f));
    EXPECT_FLOAT_EQ(waveLevelAt(block, 0, 5.0f, kWaveOpen), 1.0f);
    EXPECT_EQ(waveLevelAt(block, 0, NAN, kWaveOpen), 0.1f);

    // A position two points share reads the later one: a point inserted
    // there goes after both.
    const AM_WavesetBlock twin =
        blockOf({{0, 0.0f}, {0.5f, -1.0f}, {0.5f, 1.0f}, {0.75f, 0.0f}}, 0.0f);
    EXPECT_FLOAT_EQ(waveLevelAt(twin, 0, 0.5f, kWaveLooped), 1.0f);
}

TEST(WaveRender, FlatWaveRendersZeros)
{
    const AM_WavesetBlock block = blockOf({{0, 0}, {0.1f, 0}, {0.5f, 0}, {0.9f, 0}}, 0.0f);
    float table[kWaveTableSize];
    std::fill(table, table + kWaveTableSize, 7.0f);
    renderWave(block, AM_WaveValueBlock(), 3, kWaveLooped, table);
    for (float v : table)
        ASSERT_EQ(v, 0.0f);
}

TEST(WaveRender, SegmentsCoverTheirEntriesWithTheSoundingLevel)
{
    // The default wave: points at 0, 0.1, 0.5, 0.9 with levels 0, 0.5, 0,
    // -0.5 and weights 0, so every segment is a straight line.
    const AM_WavesetBlock block;
    float table[kWaveTableSize];
    renderWave(block, AM_WaveValueBlock(), 0, kWaveLooped, table);
    struct Entry {
        int k;
        float level;
    };
    // Segment 0 covers 0..24 (int(0.1 * 256) = 25), segment 1 25..127,
    // segment 2 128..229 (int(0.9 * 256) = 230), the closing one 230..255.
    const Entry entries[] = {
        {0, 0.0f},
        {12, -0.5f * 12 / 25},
        {25, -0.5f},
        {25 + 51, -0.5f + 0.5f * 51 / 103},
        {128, 0.0f},
        {230, 0.5f},
        {230 + 13, 0.5f - 0.5f * 13 / 26},
        {255, 0.5f - 0.5f * 25 / 26},
    };
    for (const Entry& e : entries)
        EXPECT_NEAR(table[e.k], e.level, 1e-6) << e.k;
}

TEST(WaveRender, SmoothLoopJoinsAcrossTheCycleEnd)
{
    const AM_WavesetBlock block =
        blockOf({{0, 0.6f}, {0.25f, -0.2f}, {0.5f, 0.4f}, {0.75f, -0.8f}}, 1.0f / 3);
    float table[kWaveTableSize];
    renderWave(block, AM_WaveValueBlock(), 0, kWaveLooped, table);
    // Slope at point 0 from its neighbours: (y1 - ym) / 2 = (-0.2 + 0.8) / 2
    // per segment of 64 entries, in the sounding sense.
    const float slope = -(-0.2f - -0.8f) / 2 / 64;
    EXPECT_NEAR((table[1] - table[255]) / 2, slope, 1e-4);
    // The closing segment arrives with the slope the first one leaves with
    // (both are a quarter of the cycle wide).
    const AM_WaveSegment closing = waveSegment(block, 0, 3, kWaveLooped);
    const AM_WaveSegment first = waveSegment(block, 0, 0, kWaveLooped);
    const float h = 1e-3f;
    EXPECT_NEAR((closing.level(1) - closing.level(1 - h)) / h, (first.level(h) - first.level(0)) / h,
                1.5e-2);
    EXPECT_NEAR((first.level(h) - first.level(0)) / h, 0.3f, 1e-2);
    EXPECT_FLOAT_EQ(closing.level(1), first.level(0));
    EXPECT_FLOAT_EQ(table[0], -0.6f);

    // Open: the wave runs to the sounding level -1 at the cycle end.
    renderWave(block, AM_WaveValueBlock(), 0, kWaveOpen, table);
    EXPECT_NEAR(table[255], -1.0f, 0.02f);
}

TEST(WaveRender, ValueModeReadsTheValuesOverTheTable)
{
    AM_WaveValueBlock values;
    for (int i = 0; i < 128; ++i)
        values.setValue(4, i, float(i) / 128.0f);
    float table[kWaveTableSize];
    renderWave(AM_WavesetBlock(), values, 4, kWaveValues, table);
    for (int k : {0, 1, 2, 100, 255})
        EXPECT_EQ(table[k], float(int(float(k) / 256 * 127)) / 128.0f) << k;
    renderWave(AM_WavesetBlock(), values, -1, kWaveValues, table);
    EXPECT_EQ(table[100], 0.0f);
}

TEST(WaveRender, SegmentsWithoutEntriesWriteNothing)
{
    const AM_WavesetBlock block =
        blockOf({{0, 0.0f}, {0.5f, -1.0f}, {0.5f, 1.0f}, {0.75f, 0.0f}}, 0.0f);
    float table[kWaveTableSize];
    renderWave(block, AM_WaveValueBlock(), 0, kWaveLooped, table);
    EXPECT_FLOAT_EQ(table[127], 1.0f * 127 / 128);
    EXPECT_FLOAT_EQ(table[128], -1.0f) << "the segment from the second point at 0.5";
}

TEST(WavePeaks, BinsKeepTheSignOfTheirLargestSample)
{
    AM_WaveValueBlock values;
    for (int i = 0; i < 128; ++i)
        values.setValue(0, i, 0.1f * std::sin(float(i)));
    values.setValue(0, 10, -0.9f); // table entries 21, 22 (bin 1 of 20: 12..25)
    values.setValue(0, 70, 0.8f);  // entries 142..143 (bin 11: 140..152)
    float table[kWaveTableSize];
    float rendered[kWaveTableSize];
    renderWave(AM_WavesetBlock(), values, 0, kWaveValues, rendered);
    float* peaks = getWavePeaks(AM_WavesetBlock(), values, 0, kWaveValues, 20, table);
    ASSERT_EQ(peaks, table);
    EXPECT_EQ(peaks[1], -0.9f);
    EXPECT_EQ(peaks[11], 0.8f);
    // Every bin against a direct search over its entries.
    float edge = 0;
    for (int i = 0; i < 20; ++i) {
        const int first = int(edge);
        edge += 256.0f / 20;
        float best = 0;
        for (int k = first; k < int(edge); ++k)
            best = std::fabs(rendered[k]) > std::fabs(best) ? rendered[k] : best;
        EXPECT_EQ(peaks[i], best) << i;
    }
}

TEST(WavePeaks, CountsOutsideTheTable)
{
    AM_WaveValueBlock values;
    values.setValue(0, 127, 0.5f);
    float table[kWaveTableSize];
    std::fill(table, table + kWaveTableSize, 3.0f);
    getWavePeaks(AM_WavesetBlock(), values, 0, kWaveValues, 0, table);
    EXPECT_EQ(table[0], 3.0f) << "below 1 the table is untouched";
    getWavePeaks(AM_WavesetBlock(), values, 0, kWaveValues, 100000, table);
    float rendered[kWaveTableSize];
    renderWave(AM_WavesetBlock(), values, 0, kWaveValues, rendered);
    for (int k = 0; k < kWaveTableSize; ++k)
        ASSERT_EQ(table[k], rendered[k]) << "held to one bin per entry";
    getWavePeaks(AM_WavesetBlock(), values, 0, kWaveValues, 1, table);
    EXPECT_EQ(table[0], 0.0f) << "entry 255 reads value 126; 127 is never reached";
}

TEST(WaveRender, SharedTableResets)
{
    float* shared = sharedWaveTable();
    renderWave(AM_WavesetBlock(), AM_WaveValueBlock(), 0, kWaveLooped, shared);
    EXPECT_NE(shared[25], 0.0f);
    resetSharedWaveTable();
    EXPECT_EQ(sharedWaveTable()[25], 0.0f);
}
