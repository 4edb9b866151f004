#pragma once
// A drawing context for fuzz targets that draws nothing and only checks
// that every coordinate, size and angle it is given is a number.

#include "FuzzReader.h"
#include "gui/graphics/AM_Context.h"

#include <cmath>

namespace testsupport {

class FiniteCheckingContext : public AM_Context {
public:
    void drawPolyline(const float points[], int count, float width, bool) override
    {
        fuzzCheck(count >= 0 && std::isfinite(width));
        for (int i = 0; i < 2 * count; ++i)
            fuzzCheck(std::isfinite(points[i]));
    }
    void fillPolygon(const float points[], int count) override
    {
        drawPolyline(points, count, 1, true);
    }
    void drawLine(const float p0[2], const float p1[2], float width) override
    {
        const float points[] = {p0[0], p0[1], p1[0], p1[1]};
        drawPolyline(points, 2, width, false);
    }
    void fillRect(const AM_Rect* r) override
    {
        fuzzCheck(std::isfinite(r->x) && std::isfinite(r->y) && std::isfinite(r->w) &&
                  std::isfinite(r->h));
    }
    void fillRingSegment(const float centre[2], float inner, float outer, float start,
                         float end) override
    {
        fuzzCheck(std::isfinite(centre[0]) && std::isfinite(centre[1]) && std::isfinite(inner) &&
                  std::isfinite(outer) && std::isfinite(start) && std::isfinite(end));
    }
};

} // namespace testsupport
