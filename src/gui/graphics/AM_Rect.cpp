#include "gui/graphics/AM_Rect.h"

#include <algorithm>

void alignRect(AM_Rect* a, const AM_Rect* b, int code)
{
    if (a == nullptr || b == nullptr)
        return;
    const int horizontal = code / kAlignCodesPerAxis;
    const int vertical = code % kAlignCodesPerAxis;
    switch (horizontal) {
    case kAlignOutsideStart:
        a->x = b->x - a->w;
        break;
    case kAlignInsideStart:
        a->x = b->x;
        break;
    case kAlignCentred:
        a->x = b->x + (b->w - a->w) * 0.5f;
        break;
    case kAlignInsideEnd:
        a->x = b->x + b->w - a->w;
        break;
    case kAlignOutsideEnd:
        a->x = b->x + b->w;
        break;
    default:
        break;
    }
    switch (vertical) {
    case kAlignOutsideStart:
        a->y = b->y - a->h;
        break;
    case kAlignInsideStart:
        a->y = b->y;
        break;
    case kAlignCentred:
        a->y = b->y + (b->h - a->h) * 0.5f;
        break;
    case kAlignInsideEnd:
        a->y = b->y + b->h - a->h;
        break;
    case kAlignOutsideEnd:
        a->y = b->y + b->h;
        break;
    default:
        break;
    }
}

void unionRect(AM_Rect* a, const AM_Rect* b)
{
    if (a == nullptr || b == nullptr)
        return;
    const float x = std::min(a->x, b->x);
    const float y = std::min(a->y, b->y);
    const float right = std::max(a->x + a->w, b->x + b->w);
    const float bottom = std::max(a->y + a->h, b->y + b->h);
    a->x = x;
    a->y = y;
    a->w = right - x;
    a->h = bottom - y;
}

namespace {

bool within(float value, float low, float high)
{
    return value >= low && value <= high;
}

} // namespace

int rectHandleAt(const AM_Rect* r, const float point[2])
{
    if (r == nullptr || point == nullptr)
        return -1;
    const float s = kRectHandleSize;
    const float px = point[0];
    const float py = point[1];
    if (within(px, r->x + s, r->x + r->w - s) && within(py, r->y + s, r->y + r->h - s))
        return -1;

    // The middle handles are a little wider than the corner ones: 2 units
    // before the middle and 3 after it.
    const float middleBefore = 2.0f;
    const float middleAfter = 3.0f;
    const bool left = within(px, r->x, r->x + s);
    const bool centre = within(px, r->x + r->w / 2 - middleBefore, r->x + r->w / 2 + middleAfter);
    const bool right = within(px, r->x + r->w - s, r->x + r->w);
    const bool top = within(py, r->y, r->y + s);
    const bool middle = within(py, r->y + r->h / 2 - middleBefore, r->y + r->h / 2 + middleAfter);
    const bool bottom = within(py, r->y + r->h - s, r->y + r->h);

    if (top && left)
        return 0;
    if (top && centre)
        return 1;
    if (top && right)
        return 2;
    if (middle && left)
        return 7;
    if (middle && right)
        return 3;
    if (bottom && left)
        return 6;
    if (bottom && centre)
        return 5;
    if (bottom && right)
        return 4;
    return -1;
}
