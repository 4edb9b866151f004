#include "gui/editors/AM_SegmentCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The cubic Bezier through P0, P1, P2, P3 at t.
AM_CurvePoint bezier(AM_CurvePoint p0, AM_CurvePoint p1, AM_CurvePoint p2, AM_CurvePoint p3,
                     float t)
{
    const float u = 1 - t;
    const auto axis = [&](float a, float b, float c, float d) {
        return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
    };
    return {axis(p0.x, p1.x, p2.x, p3.x), axis(p0.y, p1.y, p2.y, p3.y)};
}

} // namespace

TEST(SegmentCurve, BowAndSwingMoveTheControlPoints)
{
    // From (0, 0) to (3, 1): A = (0.99999, 0.33333), B = (2.00001, 0.66667).
    struct Case {
        const char* name;
        float swing, bow;
        AM_CurvePoint p1, p2; // hand-computed control points
        bool straight;
    };
    const Case cases[] = {
        // Bow 0.5 wins over swing 0.2: both towards (3, 0) by half.
        {"bow shapes alone", 0.2f, 0.5f, {1.999995f, 0.166665f}, {2.500005f, 0.333335f}, false},
        // Negative bow: towards (0, 1).
        {"bow below", 0.0f, -0.5f, {0.499995f, 0.666665f}, {1.000005f, 0.833335f}, false},
        // Swing 0.6 over bow 0.1: P1 towards (0, 1), P2 towards (3, 0).
        {"swing", 0.6f, 0.1f, {0.399996f, 0.733332f}, {2.600004f, 0.266668f}, false},
        {"swing below", -0.6f, 0.1f, {2.199996f, 0.133332f}, {0.800004f, 0.866668f}, false},
        // A tie goes to the bow.
        {"tie", -0.4f, 0.4f, {1.799994f, 0.199998f}, {2.400006f, 0.400002f}, false},
        {"small bow", 0.0f, 0.02f, {1.0399904f, 0.3266634f}, {2.0200098f, 0.6533366f}, true},
        {"small swing", 0.025f, 0.0f, {0.9749903f, 0.3499992f}, {2.0250098f, 0.6500008f}, true},
    };
    const AM_CurvePoint p0{0, 0}, p3{3, 1};
    for (const Case& c : cases) {
        const AM_SegmentCurve curve = buildSegmentCurve(0, 0, c.swing, c.bow, 3, 1);
        EXPECT_EQ(curve.straight, c.straight) << c.name;
        EXPECT_NEAR(curve.cx, 3 * c.p1.x, 2e-5) << c.name;
        EXPECT_NEAR(curve.cy, 3 * c.p1.y, 2e-5) << c.name;
        EXPECT_NEAR(curve.bx, 3 * (c.p2.x - c.p1.x) - 3 * c.p1.x, 2e-5) << c.name;
        for (float t : {0.0f, 0.3f, 0.5f, 1.0f}) {
            const AM_CurvePoint want = bezier(p0, c.p1, c.p2, p3, t);
            const AM_CurvePoint got = curve.at(t);
            EXPECT_NEAR(got.x, want.x, 2e-5) << c.name << " t " << t;
            EXPECT_NEAR(got.y, want.y, 2e-5) << c.name << " t " << t;
        }
    }
}

TEST(SegmentCurve, RecordHoldsTheEndsAndTheWalkStart)
{
    const AM_SegmentCurve curve = buildSegmentCurve(10, 20, 0, 0.5f, 50, 80);
    EXPECT_EQ(curve.x0, 10);
    EXPECT_EQ(curve.x1, 50);
    EXPECT_EQ(curve.y0, 20);
    EXPECT_EQ(curve.currentX, 10);
    EXPECT_EQ(curve.currentY, 20);
    EXPECT_EQ(curve.t, 0);
    EXPECT_EQ(curve.startX, 10);
    EXPECT_EQ(curve.startY, 20);
    EXPECT_NEAR(curve.at(1).x, 50, 1e-4);
    EXPECT_NEAR(curve.at(1).y, 80, 1e-4);
    // A rise below 0.02 is straight whatever the bend.
    EXPECT_TRUE(buildSegmentCurve(0, 0.5f, 1, 0, 4, 0.51f).straight);
    EXPECT_FALSE(buildSegmentCurve(0, 0.5f, 1, 0, 4, 0.53f).straight);
}

TEST(SegmentCurve, NumbersThatAreNotFiniteGiveAFiniteCurve)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const AM_SegmentCurve curve = buildSegmentCurve(nan, inf, nan, -inf, 5, 1);
    for (float t : {0.0f, 0.5f, 1.0f}) {
        EXPECT_TRUE(std::isfinite(curve.at(t).x));
        EXPECT_TRUE(std::isfinite(curve.at(t).y));
    }
    EXPECT_EQ(curve.at(0).x, 0.0f);
    EXPECT_NEAR(curve.at(1).x, 5.0f, 1e-5);
}
