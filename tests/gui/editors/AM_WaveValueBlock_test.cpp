#include "gui/editors/AM_WaveValueBlock.h"

#include "BlockBytes.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(WaveValueBlock, WavesSitAt512ByteStridesAndAreHeldToRange)
{
    blocktest::Bytes bytes(AM_WaveValueBlock::kBytes);
    bytes.putFloat(3 * 512 + 4 * 7, 0.5f);
    bytes.putFloat(15 * 512 + 4 * 127, std::numeric_limits<float>::quiet_NaN());
    bytes.putFloat(0, -4.0f);
    testsupport::TraceCapture trace;
    AM_WaveValueBlock block;
    ASSERT_TRUE(block.assign(bytes.data(), bytes.size()));
    EXPECT_EQ(block.value(3, 7), 0.5f);
    EXPECT_EQ(block.value(15, 127), 0.0f);
    EXPECT_EQ(block.value(0, 0), -1.0f);
    EXPECT_TRUE(trace.contains("2 values out of range, limited"));
    EXPECT_EQ(trace.standardOutput(), "");
    EXPECT_EQ(block.value(16, 0), 0.0f);
    EXPECT_EQ(block.value(0, 128), 0.0f);
}

TEST(WaveValueBlock, OtherSizesAreReportedAndCopiedUpToTheBlock)
{
    AM_WaveValueBlock block;
    blocktest::Bytes small(8);
    small.putFloat(4, 0.25f);
    testsupport::TraceCapture trace;
    EXPECT_TRUE(block.assign(small.data(), small.size()));
    EXPECT_EQ(block.value(0, 1), 0.25f);
    EXPECT_EQ(trace.standardOutput(), "oops... Wavevalues size is 8\n");
    blocktest::Bytes large(9000);
    large.putFloat(8192, 0.5f);
    EXPECT_TRUE(block.assign(large.data(), large.size()));
    EXPECT_EQ(block.value(0, 1), 0.0f);
    EXPECT_FALSE(block.assign(nullptr, 8192));
}

TEST(WaveValueBlock, BlurAndSharpenKeepTheLargestMagnitude)
{
    AM_WaveValueBlock block;
    block.setValue(1, 0, 0.8f);
    block.blur(1);
    // Two passes of (1/4, 1/2, 1/4) spread a spike as (1, 4, 6, 4, 1) / 16,
    // scaled back to the spike's height.
    EXPECT_FLOAT_EQ(block.value(1, 0), 0.8f);
    EXPECT_FLOAT_EQ(block.value(1, 1), 0.8f * 4 / 6);
    EXPECT_FLOAT_EQ(block.value(1, 127), 0.8f * 4 / 6) << "wraps around";
    EXPECT_FLOAT_EQ(block.value(1, 2), 0.8f * 1 / 6);
    EXPECT_EQ(block.value(1, 3), 0.0f);

    AM_WaveValueBlock sharp;
    sharp.setValue(0, 5, 0.5f);
    sharp.sharpen(0);
    // (-0.1, 0.8, -0.1) twice: centre 0.66, sides -0.16, next 0.01.
    EXPECT_FLOAT_EQ(sharp.value(0, 5), 0.5f);
    EXPECT_NEAR(sharp.value(0, 4), 0.5f * -0.16f / 0.66f, 1e-6);
    EXPECT_NEAR(sharp.value(0, 7), 0.5f * 0.01f / 0.66f, 1e-6);

    AM_WaveValueBlock silent;
    silent.blur(0);
    EXPECT_EQ(silent.value(0, 0), 0.0f);
}

TEST(WaveValueBlock, MaximizeCentresAndStretches)
{
    AM_WaveValueBlock block;
    for (int i = 0; i < 128; ++i)
        block.setValue(2, i, 0.1f + 0.2f * float(i % 2));
    block.maximize(2);
    // max 0.3, min starts at 0: range 0.3, middle 0.15.
    EXPECT_FLOAT_EQ(block.value(2, 1), 1.0f);
    EXPECT_FLOAT_EQ(block.value(2, 0), (0.1f - 0.15f) * 2 / 0.3f);
    AM_WaveValueBlock flat;
    flat.maximize(0);
    EXPECT_EQ(flat.value(0, 0), 0.0f);
}

TEST(WaveValueBlock, LinesBetweenSamplesAndPointerMapping)
{
    AM_WaveValueBlock block;
    block.setValue(0, 10, 1.0f);
    block.setValue(0, 14, -1.0f);
    block.fillLine(0, 14, 10);
    EXPECT_FLOAT_EQ(block.value(0, 11), 0.5f);
    EXPECT_FLOAT_EQ(block.value(0, 12), 0.0f);
    EXPECT_FLOAT_EQ(block.value(0, 13), -0.5f);
    block.fillLine(0, -5, 10);
    block.fillLine(0, 10, 200);

    struct Case {
        float px, left, width, scale;
        int sample;
    };
    const Case cases[] = {
        {50, 0, 100, 127, 63},   {0, 0, 100, 127, 0},    {-0.5f, 0, 100, 127, 0},
        {-5, 0, 100, 127, -1},   {100, 0, 100, 128, -1}, {99.9f, 0, 100, 128, 127},
        {50, 0, 0, 127, -1},     {50, 0, -3, 127, -1},   {NAN, 0, 100, 127, -1},
        {1e30f, 0, 1e-30f, 127, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AM_WaveValueBlock::sampleAt(c.px, c.left, c.width, c.scale), c.sample)
            << c.px << " " << c.width;
    EXPECT_EQ(AM_WaveValueBlock::valueAt(10, 0, 40), 0.5f);
    EXPECT_EQ(AM_WaveValueBlock::valueAt(-100, 0, 40), 1.0f);
    EXPECT_EQ(AM_WaveValueBlock::valueAt(100, 0, 40), -1.0f);
    EXPECT_EQ(AM_WaveValueBlock::valueAt(10, 0, 0), 0.0f);
}

TEST(WaveValueBlock, WavesMoveCopyAndInterpolate)
{
    AM_WaveValueBlock block;
    for (int w = 0; w < 16; ++w)
        block.setValue(w, 3, float(w) / 16);
    block.moveWave(7, 0);
    EXPECT_EQ(block.value(0, 3), 7.0f / 16);
    EXPECT_EQ(block.value(1, 3), 0.0f);
    EXPECT_EQ(block.value(7, 3), 6.0f / 16);
    EXPECT_EQ(block.value(8, 3), 8.0f / 16);
    block.copyWave(8, 15);
    EXPECT_EQ(block.value(15, 3), 0.5f);
    block.interpolateWaves(15, 13);
    EXPECT_EQ(block.value(14, 3), 0.5f * 0.5f + 13.0f / 16 * 0.5f);
}
