#include "gui/editors/AM_SegmentCurve.h"

#include "gui/editors/AM_BlockValues.h"

#include <cmath>
#include <limits>

namespace {

// The straight control points sit at these fractions of the segment.
constexpr float kFirstThird = 0.33333f;
constexpr float kSecondThird = 0.66667f;

// p moved towards target by the fraction amount.
AM_CurvePoint towards(AM_CurvePoint p, AM_CurvePoint target, float amount)
{
    return {p.x + (target.x - p.x) * amount, p.y + (target.y - p.y) * amount};
}

} // namespace

AM_CurvePoint AM_SegmentCurve::at(float u) const
{
    return {((ax * u + bx) * u + cx) * u + x0, ((ay * u + by) * u + cy) * u + y0};
}

AM_SegmentCurve buildSegmentCurve(float x0, float y0, float swing, float bow, float x1, float y1)
{
    constexpr float kHuge = std::numeric_limits<float>::max() / 8.0f;
    x0 = mendFloat(x0, -kHuge, kHuge, 0.0f, nullptr);
    y0 = mendFloat(y0, -kHuge, kHuge, 0.0f, nullptr);
    x1 = mendFloat(x1, -kHuge, kHuge, 0.0f, nullptr);
    y1 = mendFloat(y1, -kHuge, kHuge, 0.0f, nullptr);
    swing = mendFloat(swing, -1.0f, 1.0f, 0.0f, nullptr);
    bow = mendFloat(bow, -1.0f, 1.0f, 0.0f, nullptr);

    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const AM_CurvePoint a{x0 + kFirstThird * dx, y0 + kFirstThird * dy};
    const AM_CurvePoint b{x0 + kSecondThird * dx, y0 + kSecondThird * dy};
    const AM_CurvePoint lowCorner{x1, y0};  // end's time, start's level
    const AM_CurvePoint highCorner{x0, y1}; // start's time, end's level

    AM_CurvePoint p1;
    AM_CurvePoint p2;
    bool straight;
    if (std::fabs(swing) <= std::fabs(bow)) {
        const AM_CurvePoint corner = bow >= 0.0f ? lowCorner : highCorner;
        const float amount = std::fabs(bow);
        p1 = towards(a, corner, amount);
        p2 = towards(b, corner, amount);
        straight = std::fabs(bow) < kStraightBend;
    } else if (swing >= 0.0f) {
        p1 = towards(a, highCorner, swing);
        p2 = towards(b, lowCorner, swing);
        straight = std::fabs(swing) < kStraightBend;
    } else {
        p1 = towards(a, lowCorner, -swing);
        p2 = towards(b, highCorner, -swing);
        straight = std::fabs(swing) < kStraightBend;
    }
    if (std::fabs(dy) < kStraightRise)
        straight = true;

    AM_SegmentCurve curve;
    curve.cx = 3.0f * (p1.x - x0);
    curve.bx = 3.0f * (p2.x - p1.x) - curve.cx;
    curve.ax = dx - curve.cx - curve.bx;
    curve.x0 = x0;
    curve.x1 = x1;
    curve.cy = 3.0f * (p1.y - y0);
    curve.by = 3.0f * (p2.y - p1.y) - curve.cy;
    curve.ay = dy - curve.cy - curve.by;
    curve.y0 = y0;
    curve.currentX = x0;
    curve.currentY = y0;
    curve.t = 0.0f;
    curve.straight = straight;
    curve.startX = x0;
    curve.startY = y0;
    return curve;
}
