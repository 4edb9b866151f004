#pragma once
// Rectangles to repaint, taken from fractional coordinates to whole pixels.
//
// Any thread (pure functions).

#include "platform/Surface.h"

namespace platform {

// The smallest rectangle of whole pixels that covers (x, y, w, h): left and
// top rounded down, right and bottom rounded up, so that no partly covered
// pixel stays stale. An empty or negative size, or a value that is not a
// number, gives an empty rectangle (w and h 0).
PixelRect roundOutward(double x, double y, double w, double h);

// The part of rect inside a width x height area (empty when they do not meet).
PixelRect clipToArea(const PixelRect& rect, int width, int height);

} // namespace platform
