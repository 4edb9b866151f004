#include "gui/controls/AM_WireCord.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr float kPointsPerUnit = 0.1f;   // one point per 10 units of cord
constexpr float kMaxSag = 60.0f;         // below the lower end
constexpr float kVisibleMargin = 20.0f;  // around a repaint rectangle
constexpr float kSeeThroughAlpha = 0.5f;
constexpr float kSeeThroughWidth = 1.0f;
constexpr float kLineWidth = 3.0f;
constexpr uint32_t kEdgePacked = 0x000000FFu; // opaque black

struct StyleRecord {
    const char* name;
    int strips; // 0: a single polyline
    float width;
    bool seeThrough;
};

constexpr StyleRecord kStyles[kWireStyleCount] = {
    {"thick and solid", 9, 2.0f, false},
    {"thick and see thru", 9, kSeeThroughWidth, true},
    {"slim and solid", 7, 2.0f, false},
    {"slim and see thru", 7, kSeeThroughWidth, true},
    {"line", 0, kLineWidth, true},
};

std::unique_ptr<AM_Colour> g_working;
std::unique_ptr<AM_Colour> g_edge;

AM_Colour& working()
{
    if (!g_working)
        g_working = std::make_unique<AM_Colour>(nullptr, "WireWorking");
    return *g_working;
}

AM_Colour& edge()
{
    if (!g_edge)
        g_edge = std::make_unique<AM_Colour>(nullptr, "WireEdge", kEdgePacked);
    return *g_edge;
}

bool finitePoint(const float p[2]) { return std::isfinite(p[0]) && std::isfinite(p[1]); }

// The unit normal of the direction from a to b, scaled to length; straight
// down when a and b coincide.
void normal(const float a[2], const float b[2], float length, float out[2])
{
    const float dx = b[0] - a[0];
    const float dy = b[1] - a[1];
    const float d = std::sqrt(dx * dx + dy * dy);
    if (!(d > 0.0f) || !std::isfinite(d)) {
        out[0] = 0.0f;
        out[1] = length;
        return;
    }
    out[0] = -dy / d * length;
    out[1] = dx / d * length;
}

// The offset of point i across the tube: from its previous to its next
// point, with reflections standing in before the cord's first point and
// after the last point drawn. The cord has at least two points.
void offsetAt(const float* points, int i, int last, float halfWidth, float out[2])
{
    const float* p = points + 2 * i;
    float previous[2];
    float next[2];
    if (i > 0) {
        previous[0] = p[-2];
        previous[1] = p[-1];
    } else {
        previous[0] = 2.0f * p[0] - p[2];
        previous[1] = 2.0f * p[1] - p[3];
    }
    if (i < last) {
        next[0] = p[2];
        next[1] = p[3];
    } else {
        next[0] = 2.0f * p[0] - previous[0];
        next[1] = 2.0f * p[1] - previous[1];
    }
    normal(previous, next, halfWidth, out);
}

} // namespace

const char* wireStyleName(int style)
{
    return style >= 0 && style < kWireStyleCount ? kStyles[style].name : nullptr;
}

int wireCurve(float* points, const float start[2], const float end[2], int* count)
{
    int n = 0;
    if (points && start && end && finitePoint(start) && finitePoint(end)) {
        // U is the upper end; level ends take the one given second.
        const float* upper = start[1] < end[1] ? start : end;
        const float* lower = upper == start ? end : start;
        const float dx = lower[0] - upper[0];
        const float dy = lower[1] - upper[1];
        const float length = std::sqrt(dx * dx + dy * dy);
        if (std::isfinite(length)) {
            n = std::clamp(int(std::min(length * kPointsPerUnit, float(kWireMaxPoints))),
                           kWireMinPoints, kWireMaxPoints);
            const bool straight = upper[0] == lower[0];
            const float control[2] = {(upper[0] + lower[0]) / 2.0f,
                                      std::min(upper[1] + length, lower[1] + kMaxSag)};
            for (int k = 0; k < n; ++k) {
                const float t = float(k) / float(n - 1);
                float* out = points + 2 * k;
                if (straight) {
                    out[0] = upper[0] + (lower[0] - upper[0]) * t;
                    out[1] = upper[1] + (lower[1] - upper[1]) * t;
                    continue;
                }
                for (int axis = 0; axis < 2; ++axis) {
                    const float a = upper[axis] + (control[axis] - upper[axis]) * t;
                    const float b = control[axis] + (lower[axis] - control[axis]) * t;
                    out[axis] = a + (b - a) * t;
                }
            }
        }
    }
    if (count)
        *count = n;
    return n;
}

void pointsBounds(AM_Rect* bounds, const float* points, int count)
{
    if (!bounds)
        return;
    *bounds = AM_Rect{};
    if (!points || count <= 0)
        return;
    float minX = points[0], maxX = points[0];
    float minY = points[1], maxY = points[1];
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, points[2 * i]);
        maxX = std::max(maxX, points[2 * i]);
        minY = std::min(minY, points[2 * i + 1]);
        maxY = std::max(maxY, points[2 * i + 1]);
    }
    bounds->x = std::floor(minX);
    bounds->y = std::floor(minY);
    bounds->w = std::ceil(maxX - minX);
    bounds->h = std::ceil(maxY - minY);
}

bool visibleRange(const AM_Rect* dirty, const float* points, int count, int* first, int* last)
{
    if (!dirty || !points || count <= 0)
        return false;
    const float left = dirty->x - kVisibleMargin;
    const float top = dirty->y - kVisibleMargin;
    const float right = dirty->x + dirty->w + kVisibleMargin;
    const float bottom = dirty->y + dirty->h + kVisibleMargin;
    int lo = -1;
    int hi = -1;
    for (int i = 0; i < count; ++i) {
        const float x = points[2 * i];
        const float y = points[2 * i + 1];
        if (x >= left && x <= right && y >= top && y <= bottom) {
            if (lo < 0)
                lo = i;
            hi = i;
        }
    }
    if (lo < 0)
        return false;
    if (first)
        *first = std::max(lo - 1, 0);
    if (last)
        *last = std::min(hi + 1, count - 1);
    return true;
}

void drawWire(const AM_Rect* dirty, AM_Context* context, const float* points, int count,
              const AM_Colour* colour, int style)
{
    if (!context)
        return;
    count = std::min(count, kWireRoomPoints);
    int first = 0;
    int last = 0;
    if (!visibleRange(dirty, points, count, &first, &last))
        return;
    const StyleRecord& record = kStyles[style >= 0 && style < kWireStyleCount ? style : 0];
    AM_Colour& work = working();
    AM_Colour& rim = edge();
    if (colour) {
        work.r = colour->r;
        work.g = colour->g;
        work.b = colour->b;
        work.a = colour->a;
    }
    // The edge is opaque black except in the see-through styles.
    rim.a = record.seeThrough ? kSeeThroughAlpha : 1.0f;
    if (record.seeThrough)
        work.a = kSeeThroughAlpha;

    if (record.strips == 0) {
        context->setColourFromObject(&work);
        context->drawPolyline(points, count, record.width, false);
        return;
    }

    const int strips = record.strips;
    const float halfWidth = float(strips) / 2.0f;
    const auto stripColour = [&](float t) {
        const float mix = std::fabs(2.0f * t - 1.0f);
        context->setColour(work.r + (rim.r - work.r) * mix, work.g + (rim.g - work.g) * mix,
                           work.b + (rim.b - work.b) * mix, work.a + (rim.a - work.a) * mix);
    };
    const auto caps = [&](int i) {
        for (int j = 0; j < strips; ++j) {
            const float t = (float(j) + 0.5f) / float(strips);
            stripColour(t);
            context->drawCircle(points + 2 * i, t * halfWidth, record.width);
        }
    };
    if (first == 0)
        caps(0);
    if (last == count - 1)
        caps(count - 1);
    if (count < 2)
        return;

    float fromOffset[2];
    offsetAt(points, first, last, halfWidth, fromOffset);
    for (int i = first + 1; i <= last; ++i) {
        float toOffset[2];
        offsetAt(points, i, last, halfWidth, toOffset);
        const float* a = points + 2 * (i - 1);
        const float* b = points + 2 * i;
        for (int j = 0; j < strips; ++j) {
            const float t = (float(j) + 0.5f) / float(strips);
            const float across = 2.0f * t - 1.0f;
            const float p0[2] = {a[0] + fromOffset[0] * across, a[1] + fromOffset[1] * across};
            const float p1[2] = {b[0] + toOffset[0] * across, b[1] + toOffset[1] * across};
            stripColour(t);
            context->drawLine(p0, p1, record.width);
        }
        fromOffset[0] = toOffset[0];
        fromOffset[1] = toOffset[1];
    }
}

const AM_Colour* wireWorkingColour() { return &working(); }

const AM_Colour* wireEdgeColour() { return &edge(); }

void resetWireColours()
{
    g_working.reset();
    g_edge.reset();
}
