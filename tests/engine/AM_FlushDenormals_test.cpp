// Both flush routines replace zeros, denormals, infinities and NaNs by +0.0
// and keep every normal number.

#include "engine/AM_FlushDenormals.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Case {
    float in;
    float out;
};

const std::vector<Case>& cases()
{
    using limits = std::numeric_limits<float>;
    static const std::vector<Case> table = {
        {1.0f, 1.0f},
        {-0.25f, -0.25f},
        {limits::min(), limits::min()}, // smallest normal
        {-limits::min(), -limits::min()},
        {limits::max(), limits::max()},
        {0.0f, 0.0f},
        {-0.0f, 0.0f}, // becomes +0.0
        {limits::denorm_min(), 0.0f},
        {-1e-40f, 0.0f},
        {limits::min() * 0.5f, 0.0f},
        {limits::infinity(), 0.0f},
        {-limits::infinity(), 0.0f},
        {limits::quiet_NaN(), 0.0f},
        {-limits::quiet_NaN(), 0.0f},
        {limits::signaling_NaN(), 0.0f},
        {12345.678f, 12345.678f},
    };
    return table;
}

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

TEST(FlushDenormals, EveryRoutineKeepsNormalsAndZeroesTheRest)
{
    const std::vector<Case>& table = cases();
    ASSERT_EQ(table.size() % 4, 0u);
    std::vector<float> plain;
    alignas(16) float grouped[64];
    for (size_t i = 0; i < table.size(); ++i) {
        plain.push_back(table[i].in);
        grouped[i] = table[i].in;
        EXPECT_TRUE(sameBits(flushDenormal(table[i].in), table[i].out)) << "case " << i;
    }
    const int32_t count = static_cast<int32_t>(plain.size());
    flushDenormals(plain.data(), &count);
    flushDenormalsSSE(grouped, count / 4);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_TRUE(sameBits(plain[i], table[i].out)) << "case " << i;
        EXPECT_TRUE(sameBits(grouped[i], table[i].out)) << "grouped case " << i;
    }
}

TEST(FlushDenormals, CountsBoundTheWrittenRange)
{
    alignas(16) float samples[8] = {1e-40f, 1e-40f, 1e-40f, 1e-40f, 1e-40f, 1e-40f, 1e-40f, 1e-40f};
    const int32_t three = 3;
    flushDenormals(samples, &three);
    EXPECT_EQ(samples[2], 0.0f);
    EXPECT_EQ(samples[3], 1e-40f);
    const int32_t none = -5;
    flushDenormals(samples + 3, &none);
    flushDenormals(nullptr, &three);
    EXPECT_EQ(samples[3], 1e-40f);
    flushDenormalsSSE(samples + 4, 1);
    EXPECT_EQ(samples[7], 0.0f);
    flushDenormalsSSE(samples, 0);
    EXPECT_EQ(samples[3], 1e-40f);
}

} // namespace

// The scaled copy gives flushDenormal(sample x gain) for every sample, in
// the groups of four and in the rest, and may write in place.
TEST(FlushDenormals, ScaleAndFlushIsTheFlushOfEachProduct)
{
    const std::vector<Case>& table = cases();
    for (const float gain : {1.0f, 0.5f, 1e-30f, -3.0f, 0.0f}) {
        for (const uint32_t count : {uint32_t(table.size()), 7u, 1u, 0u}) {
            std::vector<float> from, to(table.size(), 99.0f);
            for (const Case& c : table)
                from.push_back(c.in);
            scaleAndFlush(to.data(), from.data(), gain, count);
            for (uint32_t i = 0; i < table.size(); ++i) {
                const float expected = i < count ? flushDenormal(from[i] * gain) : 99.0f;
                EXPECT_TRUE(sameBits(to[i], expected)) << "gain " << gain << " case " << i;
            }
            scaleAndFlush(from.data(), from.data(), gain, count);
            for (uint32_t i = 0; i < count; ++i)
                EXPECT_TRUE(sameBits(from[i], to[i])) << "in place, case " << i;
        }
    }
}
