#include "gui/graphics/AM_ShapeGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiusUnits = 100;
constexpr float kBorderUnits = 25;

// State 0 at value 0, state 1 at value 1.
float between(const AM_ShapeValues& values, int state0, int state1, float value)
{
    const float from = values.get(state0);
    return from + (values.get(state1) - from) * value;
}

float limitToHalf(float size, float w, float h)
{
    return std::max(std::min(std::min(size, h * 0.5f), w * 0.5f), 0.0f);
}

} // namespace

AM_RingGeometry AM_ringGeometry(const AM_ShapeValues& values, const float centreFraction[2],
                                float x, float y, float w, float h, float value)
{
    enum { kAS0, kAE0, kRI0, kRO0, kAS1, kAE1, kRI1, kRO1 };
    AM_RingGeometry ring{};
    ring.centre[0] = x + w * centreFraction[0];
    ring.centre[1] = y + h * centreFraction[1];
    const float side = std::min(w, h);
    ring.inner = between(values, kRI0, kRI1, value) * side;
    ring.outer = between(values, kRO0, kRO1, value) * side;
    const float start = between(values, kAS0, kAS1, value);
    const float end = start + between(values, kAE0, kAE1, value);
    ring.from = std::min(start, end);
    ring.to = std::max(start, end);
    const float theta = end * kDegreesToRadians;
    const float s = std::sin(theta);
    const float c = std::cos(theta);
    ring.pointerStart[0] = ring.centre[0] + s * ring.inner;
    ring.pointerStart[1] = ring.centre[1] - c * ring.inner;
    ring.pointerEnd[0] = ring.centre[0] + s * ring.outer;
    ring.pointerEnd[1] = ring.centre[1] - c * ring.outer;
    return ring;
}

AM_BoxGeometry AM_boxGeometry(const AM_ShapeValues& values, float x, float y, float w, float h,
                              float value)
{
    const float left = between(values, 0, 1, value);
    const float top = between(values, 2, 3, value);
    const float right = between(values, 4, 5, value);
    const float bottom = between(values, 6, 7, value);
    const float x1 = x + left * w;
    const float x2 = x + right * w;
    const float y1 = y + top * h;
    const float y2 = y + bottom * h;
    return {std::min(x1, x2), std::min(y1, y2), std::fabs(x2 - x1), std::fabs(y2 - y1)};
}

AM_RoundRectGeometry AM_roundRectGeometry(const AM_ShapeValues& values, float w, float h)
{
    enum { kBorder, kRadius };
    return {limitToHalf(values.get(kRadius) * kRadiusUnits, w, h),
            limitToHalf(values.get(kBorder) * kBorderUnits, w, h)};
}
