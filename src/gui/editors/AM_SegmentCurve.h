#pragma once
// The curve that joins two points of a multi-stage envelope: a cubic Bezier
// whose control points are bent by the start point's swing (S-shaped) or
// bow (one-sided), turned into polynomial form for each axis.
//
// Any thread: plain functions of their arguments.

struct AM_CurvePoint {
    float x = 0;
    float y = 0;
};

// The result record, fields in this order: the polynomial coefficients and
// the ends of each axis, the current point and parameter of a walk along
// the curve, whether the segment counts as straight, and the start point.
struct AM_SegmentCurve {
    float ax = 0, bx = 0, cx = 0, x0 = 0, x1 = 0;
    float ay = 0, by = 0, cy = 0, y0 = 0;
    float currentX = 0, currentY = 0;
    float t = 0;
    bool straight = true;
    float startX = 0, startY = 0;

    // The curve at t in [0, 1]: x(t) = ((ax t + bx) t + cx) t + x0, and
    // likewise for y.
    AM_CurvePoint at(float t) const;
};

// Bends below this magnitude, and rises below kStraightRise, count as a
// straight segment.
constexpr float kStraightBend = 0.03f;
constexpr float kStraightRise = 0.02f;

// Builds the curve from (x0, y0), with the start point's swing and bow, to
// (x1, y1). Of swing and bow only the one of larger magnitude shapes the
// curve (bow wins a tie). Coordinates that are not finite count as 0;
// swing and bow are limited to [-1, 1].
AM_SegmentCurve buildSegmentCurve(float x0, float y0, float swing, float bow, float x1, float y1);
