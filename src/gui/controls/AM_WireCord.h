#pragma once
// Patch cords: the sagging curve between two sockets sampled into a short
// point list, its bounding box, the part of it a repaint touches, and its
// drawing in one of five styles (shaded tubes or a plain line). Shared by
// the source and target sockets of the patch wires.
//
// Point lists are interleaved (x, y) pairs in GUI units, as drawPolyline
// takes them.
//
// GUI thread only (the drawing colours are process-wide).

#include "gui/graphics/AM_Rect.h"

class AM_Colour;
class AM_Context;

// A cord has at most kWireMaxPoints points; a socket keeps room for
// kWireRoomPoints.
constexpr int kWireMinPoints = 8;
constexpr int kWireMaxPoints = 64;
constexpr int kWireRoomPoints = 128;
// Callers invalidate a cord's bounding box grown by this on each side.
constexpr float kWireInvalidateMargin = 8.0f;

// Wire styles, in menu order.
enum AM_WireStyle : int {
    kWireThickSolid = 0,
    kWireThickSeeThrough = 1,
    kWireSlimSolid = 2,
    kWireSlimSeeThrough = 3,
    kWireLine = 4,
    kWireStyleCount = 5,
};
// The menu text of a style ("thick and solid", ...); null outside 0..4.
const char* wireStyleName(int style);

// Samples the cord between start and end into points (room for
// kWireMaxPoints pairs) and answers the count, also stored in *count when
// given: one point per 10 units of distance, 8 to 64, from the upper end
// (smaller y; the end given second when both are level) to the lower one,
// along a quadratic curve that sags at most 60 units below the lower end,
// or straight when both ends share x. Ends that are not finite, or too far
// apart to measure, give no points.
int wireCurve(float* points, const float start[2], const float end[2], int* count);

// The bounding box of count points: x and y floored, width and height the
// ceiling of the spans. An empty list gives an empty rectangle at 0.
void pointsBounds(AM_Rect* bounds, const float* points, int count);

// The points a repaint of dirty touches: the first and last point inside
// dirty grown by 20 on each side (edges included), widened by one point
// each way. False (first and last untouched) when none lies inside.
bool visibleRange(const AM_Rect* dirty, const float* points, int count, int* first, int* last);

// Draws the part of a cord that dirty touches, in the cord colour (or, when
// colour is null, the colour of the previous cord) and a style (outside
// 0..4: the first style). count is held to kWireRoomPoints.
void drawWire(const AM_Rect* dirty, AM_Context* context, const float* points, int count,
              const AM_Colour* colour, int style);

// The two process-wide drawing colours (the working colour and the edge
// colour), created on first use; the reset puts them back to their first
// state for tests.
const AM_Colour* wireWorkingColour();
const AM_Colour* wireEdgeColour();
void resetWireColours();
