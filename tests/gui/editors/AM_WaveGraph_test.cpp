#include "gui/editors/AM_WaveGraph.h"
#include "gui/editors/AM_WaveSegment.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(WaveGraph, HandlesSitInTheDisplayRectangle)
{
    // Bounds (10, 20, 210, 110): display rectangle (15, 25, 200, 100).
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(AM_Rect{10, 20, 210, 110});
    EXPECT_EQ(graph.rect.x, 15);
    EXPECT_EQ(graph.rect.w, 200);
    AM_WavesetBlock block; // 0, 0.1, 0.5, 0.9 at 0, 0.5, 0, -0.5
    block.setY(2, 0, -0.4f);
    struct Case {
        int point, mode;
        float x, y;
    };
    const Case cases[] = {
        {0, kWaveLooped, 15, 55},  {1, kWaveLooped, 35, 100}, {3, kWaveOpen, 195, 50},
        {4, kWaveLooped, 215, 55}, // the closing point: point 0's level
        {4, kWaveOpen, 215, 125},  // open: the bottom edge
    };
    for (const Case& c : cases) {
        float centre[2];
        graph.handleCentre(block, 2, c.point, c.mode, centre);
        EXPECT_FLOAT_EQ(centre[0], c.x) << c.point << "/" << c.mode;
        EXPECT_FLOAT_EQ(centre[1], c.y) << c.point << "/" << c.mode;
    }
}

TEST(WaveGraph, HandleHitsIncludeTheBoxEdges)
{
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(AM_Rect{0, 0, 210, 110});
    AM_WavesetBlock block; // point 1 at (25, 80), point 2 at (105, 55)
    struct Case {
        float px, py;
        int point;
    };
    const Case cases[] = {
        {25, 80, 1}, {23, 78, 1},  {28, 83, 1},  {22.9f, 80, -1}, {28.1f, 80, -1},
        {105, 55, 2}, {205, 55, 0}, // the closing handle answers point 0
        {6, 56, 0},  {150, 20, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(graph.findPointAt(block, 0, c.px, c.py), c.point) << c.px << "," << c.py;
}

TEST(WaveGraph, PointerConversionsAndPieces)
{
    const AM_WaveGraph graph = AM_WaveGraph::fromBounds(AM_Rect{0, 0, 210, 110});
    EXPECT_FLOAT_EQ(graph.positionAt(105), 0.5f);
    EXPECT_FLOAT_EQ(graph.levelAt(80), 0.5f);
    EXPECT_FLOAT_EQ(graph.xOf(graph.positionAt(77)), 77);
    EXPECT_FLOAT_EQ(graph.yOf(graph.levelAt(33)), 33);
    // A control too small for its inset has no display rectangle.
    const AM_WaveGraph tiny = AM_WaveGraph::fromBounds(AM_Rect{0, 0, 8, 10});
    EXPECT_EQ(tiny.positionAt(4), 0.0f);
    EXPECT_EQ(tiny.levelAt(4), -1.0f);
    EXPECT_EQ(tiny.findPointAt(AM_WavesetBlock(), 0, 1000, 1000), -1);

    struct Case {
        float dx;
        int pieces;
    };
    for (const Case& c : {Case{0, 1}, Case{3, 8}, Case{9.9f, 8}, Case{10, 10}, Case{80, 10},
                          Case{80.5f, 25}, Case{NAN, 1}})
        EXPECT_EQ(AM_WaveGraph::segmentPieces(c.dx), c.pieces) << c.dx;
}
