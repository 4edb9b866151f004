#pragma once
// The outline of a rounded rectangle as a polygon, for filling and
// stroking through the drawing context (shapes and panes use it).

#include <cstdint>

// Points per corner, at least and at most.
constexpr int kRoundRectMinCornerPoints = 2;
constexpr int kRoundRectMaxCornerPoints = 63;
// Room a caller provides: four corners at most, two floats a point.
constexpr int kRoundRectMaxPoints = 4 * kRoundRectMaxCornerPoints;

// Writes the outline of the rectangle (x, y, w, h) with corners of the
// radius into points (x, y pairs, room for kRoundRectMaxPoints points):
// trunc(radius) points per corner, limited to 2..63, running clockwise from
// the left end of the top-left arc through the top-right, bottom-right and
// bottom-left arcs. Returns the number of points, four times the corner's.
int AM_buildRoundRectPath(float* points, float x, float y, float w, float h, float radius);
