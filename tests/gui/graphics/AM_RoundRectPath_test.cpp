#include "gui/graphics/AM_RoundRectPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(RoundRectPath, CornerPointsFollowTheRadius)
{
    struct Case {
        float radius;
        int perCorner;
    };
    for (const Case c : {Case{0, 2}, Case{1.5f, 2}, Case{2.9f, 2}, Case{10, 10}, Case{10.9f, 10},
                         Case{63, 63}, Case{500, 63}, Case{-4, 2}, Case{NAN, 2}}) {
        std::vector<float> points(2 * kRoundRectMaxPoints, -1);
        EXPECT_EQ(AM_buildRoundRectPath(points.data(), 0, 0, 100, 50, c.radius), 4 * c.perCorner)
            << c.radius;
    }
}

TEST(RoundRectPath, ArcsRunClockwiseFromTheLeftEdge)
{
    std::vector<float> p(2 * kRoundRectMaxPoints);
    const int count = AM_buildRoundRectPath(p.data(), 10, 20, 100, 50, 10);
    ASSERT_EQ(count, 40);
    auto point = [&p](int i) { return std::make_pair(p[2 * i], p[2 * i + 1]); };
    const float eps = 1e-4f;
    // Top-left from the left edge (0, 10 down) to the top edge.
    EXPECT_NEAR(point(0).first, 10, eps);
    EXPECT_NEAR(point(0).second, 30, eps);
    EXPECT_NEAR(point(9).first, 20, eps);
    EXPECT_NEAR(point(9).second, 20, eps);
    // Top-right from the top edge to the right edge.
    EXPECT_NEAR(point(10).first, 100, eps);
    EXPECT_NEAR(point(10).second, 20, eps);
    EXPECT_NEAR(point(19).first, 110, eps);
    EXPECT_NEAR(point(19).second, 30, eps);
    // Bottom-right, then bottom-left ending on the left edge.
    EXPECT_NEAR(point(20).first, 110, eps);
    EXPECT_NEAR(point(20).second, 60, eps);
    EXPECT_NEAR(point(29).second, 70, eps);
    EXPECT_NEAR(point(30).first, 20, eps);
    EXPECT_NEAR(point(30).second, 70, eps);
    EXPECT_NEAR(point(39).first, 10, eps);
    EXPECT_NEAR(point(39).second, 60, eps);
    // Every point lies on the rectangle's outline or inside it.
    for (int i = 0; i < count; ++i) {
        EXPECT_GE(point(i).first, 10 - eps);
        EXPECT_LE(point(i).first, 110 + eps);
        EXPECT_GE(point(i).second, 20 - eps);
        EXPECT_LE(point(i).second, 70 + eps);
    }
}

} // namespace
