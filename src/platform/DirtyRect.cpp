#include "platform/DirtyRect.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {

// Coordinates are clamped here before conversion, far outside any window.
constexpr double kCoordinateLimit = 1 << 24;

int toInt(double v)
{
    return static_cast<int>(std::clamp(v, -kCoordinateLimit, kCoordinateLimit));
}

} // namespace

PixelRect roundOutward(double x, double y, double w, double h)
{
    if (!(w > 0) || !(h > 0) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) ||
        !std::isfinite(h))
        return PixelRect{};
    const int left = toInt(std::floor(x));
    const int top = toInt(std::floor(y));
    const int right = toInt(std::ceil(x + w));
    const int bottom = toInt(std::ceil(y + h));
    return PixelRect{left, top, right - left, bottom - top};
}

PixelRect clipToArea(const PixelRect& rect, int width, int height)
{
    const int left = std::max(rect.x, 0);
    const int top = std::max(rect.y, 0);
    const long right = std::min<long>(long(rect.x) + rect.w, width);
    const long bottom = std::min<long>(long(rect.y) + rect.h, height);
    if (rect.w <= 0 || rect.h <= 0 || right <= left || bottom <= top)
        return PixelRect{};
    return PixelRect{left, top, int(right - left), int(bottom - top)};
}

} // namespace platform
