#include "gui/controls/AM_DialLook.h"

#include "gui/graphics/AM_Context.h"

#include <algorithm>
#include <cmath>

namespace AM_DialLook {

namespace {
constexpr float kDegreesToRadians = 3.14159265358979f / 180.0f;
constexpr float kSmallestSide = 4.0f;
} // namespace

float angleOfPosition(float position)
{
    const float p = std::isfinite(position) ? std::clamp(position, 0.0f, 1.0f) : 0.0f;
    return -kSweepDegrees + 2.0f * kSweepDegrees * p;
}

void centreOf(const AM_Rect& bounds, float centre[2], float* radius)
{
    centre[0] = bounds.x + bounds.w / 2;
    centre[1] = bounds.y + bounds.h / 2;
    *radius = std::min(bounds.w, bounds.h) / 2;
}

void fillDisc(AM_Context* context, const float centre[2], float radius, uint32_t colour)
{
    if (radius <= 0.0f) {
        return;
    }
    context->setColourPacked(colour);
    context->fillRingSegment(centre, 0, radius, 0, 360);
}

void pointAt(const float centre[2], float degrees, float distance, float point[2])
{
    point[0] = centre[0] + std::sin(degrees * kDegreesToRadians) * distance;
    point[1] = centre[1] - std::cos(degrees * kDegreesToRadians) * distance;
}

void drawKnob(AM_Context* context, const AM_Rect& bounds, float position, uint32_t arcColour)
{
    float centre[2];
    float half = 0.0f;
    centreOf(bounds, centre, &half);
    if (context == nullptr || half * 2 < kSmallestSide) {
        return;
    }
    const float side = half * 2;
    const float outer = half - 0.5f;
    const float inner = outer - std::max(2.0f, side * 0.1f);
    const float angle = angleOfPosition(position);
    context->setColourPacked(kTrackColour);
    context->fillRingSegment(centre, inner, outer, -kSweepDegrees, kSweepDegrees);
    if (angle > -kSweepDegrees) {
        context->setColourPacked(arcColour);
        context->fillRingSegment(centre, inner, outer, -kSweepDegrees, angle);
    }
    const float body = inner - std::max(1.0f, side * 0.05f);
    fillDisc(context, centre, body, kRimColour);
    fillDisc(context, centre, body - 1.0f, kBodyColour);
    fillDisc(context, centre, (body - 1.0f) * 0.7f, kBodyTopColour);
    float from[2];
    float to[2];
    pointAt(centre, angle, body * 0.3f, from);
    pointAt(centre, angle, body - 1.5f, to);
    context->setColourPacked(kPointerColour);
    context->drawLine(from, to, std::max(1.5f, side * 0.07f));
}

} // namespace AM_DialLook
