#include "gui/editors/AM_EnvelopeGraph.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(EnvelopeGraph, LayoutRoundsOneUnitToWholePixels)
{
    struct Case {
        AM_Rect bounds;
        float width, offset;
        float wantWidth, wantOffset;
    };
    const Case cases[] = {
        // gw 200, 16 units: 12.5 px a unit -> 13: 200 / 13 units in view.
        {{0, 0, 210, 128}, 16, 0, 200.0f / 13, 0},
        // gw 160: exactly 10 px a unit.
        {{0, 0, 170, 100}, 16, 2, 16, 2},
        // A graph at x 5.5: the offset moves by the half pixel.
        {{0.5f, 0, 170, 100}, 16, 0, 16, -0.5f / 160 * 16},
        // Fewer than half a pixel a unit: the requested width stays.
        {{0, 0, 60, 100}, 128, 4, 128, 4},
        // A width that is not finite or not above 0: the initial 16.
        {{0, 0, 170, 100}, NAN, 0, 16, 0},
        {{0, 0, 170, 100}, -3, 0, 16, 0},
        // No graph at all.
        {{0, 0, 8, 20}, 16, 1, 16, 1},
    };
    for (const Case& c : cases) {
        const AM_EnvelopeGraph g = AM_EnvelopeGraph::layout(c.bounds, c.width, c.offset);
        EXPECT_FLOAT_EQ(g.width, c.wantWidth) << c.bounds.w << " " << c.width;
        EXPECT_FLOAT_EQ(g.offset, c.wantOffset) << c.bounds.w << " " << c.width;
    }
    const AM_EnvelopeGraph g = AM_EnvelopeGraph::layout(AM_Rect{10, 20, 170, 100}, 16, 0);
    EXPECT_EQ(g.graph.x, 15);
    EXPECT_EQ(g.graph.y, 32);
    EXPECT_EQ(g.graph.w, 160);
    EXPECT_EQ(g.graph.h, 72);
}

TEST(EnvelopeGraph, UnitsAndPixels)
{
    const AM_EnvelopeGraph g = AM_EnvelopeGraph::layout(AM_Rect{0, 0, 170, 100}, 16, 2);
    // gx 5, gy 12, gw 160, gh 72; 10 px a unit from time 2.
    EXPECT_FLOAT_EQ(g.xOf(4), 25);
    EXPECT_FLOAT_EQ(g.yOf(0), 84);
    EXPECT_FLOAT_EQ(g.yOf(1), 12);
    EXPECT_FLOAT_EQ(g.timeAt(25), 4);
    EXPECT_FLOAT_EQ(g.levelAt(48), 0.5f);
    EXPECT_TRUE(g.inLoopStrip(9.9f));
    EXPECT_FALSE(g.inLoopStrip(10));
    EXPECT_TRUE(g.inModeStrip(86.5f));
    EXPECT_FALSE(g.inModeStrip(86));

    const AM_EnvelopeGraph flat = AM_EnvelopeGraph::layout(AM_Rect{0, 0, 9, 20}, 16, 3);
    EXPECT_EQ(flat.timeAt(100), 3.0f) << "a graph without width maps to its left edge";
    EXPECT_EQ(flat.levelAt(100), 0.0f);
}

TEST(EnvelopeGraph, PointHitsTakeTheNearestWithinTheRadius)
{
    AM_EnvelopeBlock block; // points at times 0..16, level 0
    block.setLevel(3, 0.5f);
    const AM_EnvelopeGraph g = AM_EnvelopeGraph::layout(AM_Rect{0, 0, 170, 100}, 16, 0);
    // Point 3 at (35, 48); point 2 at (25, 84); point 4 at (45, 84).
    float grab[2] = {0, 0};
    EXPECT_EQ(g.findPointAt(block, 37, 50, grab), 3);
    EXPECT_FLOAT_EQ(grab[0], -2);
    EXPECT_FLOAT_EQ(grab[1], -2);
    EXPECT_EQ(g.findPointAt(block, 38, 50, nullptr), 3) << "9 + 4 is below 20";
    EXPECT_EQ(g.findPointAt(block, 39, 50, nullptr), -1) << "16 + 4 is not below 20";
    EXPECT_EQ(g.findPointAt(block, 29, 84, nullptr), 2);
    EXPECT_EQ(g.findPointAt(block, 31, 84, nullptr), -1);
    EXPECT_EQ(g.findPointAt(block, 44, 83, nullptr), 4);
}

TEST(EnvelopeGraph, SegmentHitsFollowTheCurve)
{
    AM_EnvelopeBlock block;
    block.setBend(1, 0, 0); // straight from (1, 0) to (2, 1)
    block.setLevel(2, 1.0f);
    block.setBend(2, 0, 0.8f); // bowed from (2, 1) to (3, 0)
    const AM_EnvelopeGraph g = AM_EnvelopeGraph::layout(AM_Rect{0, 0, 170, 100}, 16, 0);
    // Segment 1 runs from pixel (15, 84) to (25, 12).
    EXPECT_EQ(g.findSegmentAt(block, 20, 48), 1);
    EXPECT_EQ(g.findSegmentAt(block, 16, 80), 1);
    EXPECT_EQ(g.findSegmentAt(block, 24, 80), -1) << "far below the line";
    // The bowed segment: its middle lies towards the corner (3, 1).
    const AM_SegmentCurve curve = block.segmentCurve(2);
    const AM_CurvePoint middle = curve.at(0.5f);
    EXPECT_EQ(g.findSegmentAt(block, g.xOf(middle.x), g.yOf(middle.y)), 2);
    EXPECT_EQ(g.findSegmentAt(block, g.xOf(2.5f), g.yOf(0.5f)), -1) << "off the bowed curve";
    // A flat segment still has a 5 pixel tall target.
    EXPECT_EQ(g.findSegmentAt(block, 50, 86.5f), 4);
    EXPECT_EQ(g.findSegmentAt(block, 50, 86.6f), -1);
    // Before point 0 and past the last point.
    EXPECT_EQ(g.findSegmentAt(block, 2, 84), -1);
    const AM_EnvelopeGraph wide = AM_EnvelopeGraph::layout(AM_Rect{0, 0, 170, 100}, 32, 0);
    EXPECT_EQ(wide.findSegmentAt(block, 160, 84), -1);
}
