#include "gui/editors/AM_EnvelopeGraph.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPointHitDistanceSquared = 20.0f;
constexpr float kMinPieceHeight = 5.0f;
constexpr int kPieces = 5;           // t 0-0.2, ... 0.8-1
constexpr int kOverlappingPieces = 4; // t 0.1-0.3, ... 0.7-0.9
constexpr float kPieceSpan = 0.2f;
constexpr float kPieceShift = 0.1f;

} // namespace

AM_EnvelopeGraph AM_EnvelopeGraph::layout(const AM_Rect& bounds, float requestedWidth,
                                          float requestedOffset)
{
    AM_EnvelopeGraph g;
    g.bounds = bounds;
    g.graph = AM_Rect{bounds.x + kSideInset, bounds.y + kLoopStripHeight,
                      bounds.w - 2.0f * kSideInset,
                      bounds.h - kLoopStripHeight - kModeStripHeight};
    const float w = std::isfinite(requestedWidth) && requestedWidth > 0.0f ? requestedWidth
                                                                           : kInitialWidth;
    const float o = std::isfinite(requestedOffset) ? requestedOffset : 0.0f;
    g.width = w;
    g.offset = o;
    const float gw = g.graph.w;
    if (!(gw > 0.0f) || !std::isfinite(gw))
        return g;
    const float perUnit = gw / w;
    const float whole = std::floor(perUnit + 0.5f);
    if (whole >= 1.0f)
        g.width = w / (whole / perUnit);
    g.offset = o + (std::trunc(g.graph.x) - g.graph.x) / gw * g.width;
    return g;
}

float AM_EnvelopeGraph::xOf(float time) const
{
    return graph.x + (time - offset) / width * graph.w;
}

float AM_EnvelopeGraph::yOf(float level) const { return graph.y + graph.h - graph.h * level; }

float AM_EnvelopeGraph::timeAt(float px) const
{
    return graph.w > 0.0f ? (px - graph.x) / graph.w * width + offset : offset;
}

float AM_EnvelopeGraph::levelAt(float py) const
{
    return graph.h > 0.0f ? (graph.h - (py - graph.y)) / graph.h : 0.0f;
}

int AM_EnvelopeGraph::findPointAt(const AM_EnvelopeBlock& block, float px, float py,
                                  float grab[2]) const
{
    int nearest = -1;
    float nearestDistance = kPointHitDistanceSquared;
    for (int i = 0; i <= block.numSegments(); ++i) {
        const AM_EnvelopeBlock::Point p = block.point(i);
        const float dx = xOf(p.time) - px;
        const float dy = yOf(p.level) - py;
        const float distance = dx * dx + dy * dy;
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = i;
            if (grab) {
                grab[0] = dx;
                grab[1] = dy;
            }
        }
    }
    return nearest;
}

int AM_EnvelopeGraph::findSegmentAt(const AM_EnvelopeBlock& block, float px, float py) const
{
    const float time = timeAt(px);
    if (!(time >= block.point(0).time))
        return -1;
    int segment = 0;
    while (segment < block.numSegments() && !(block.point(segment + 1).time > time))
        ++segment;
    if (segment >= block.numSegments())
        return -1;
    const AM_SegmentCurve curve = block.segmentCurve(segment);
    const auto pieceHit = [&](float from, float to) {
        const AM_CurvePoint a = curve.at(from);
        const AM_CurvePoint b = curve.at(to);
        const float left = std::min(xOf(a.x), xOf(b.x));
        const float right = std::max(xOf(a.x), xOf(b.x));
        float top = std::min(yOf(a.y), yOf(b.y));
        float bottom = std::max(yOf(a.y), yOf(b.y));
        if (bottom - top < kMinPieceHeight) {
            top -= kMinPieceHeight / 2.0f;
            bottom += kMinPieceHeight / 2.0f;
        }
        return px >= left && px <= right && py >= top && py <= bottom;
    };
    for (int k = 0; k < kPieces; ++k) {
        if (pieceHit(kPieceSpan * float(k), kPieceSpan * float(k + 1)))
            return segment;
    }
    for (int k = 0; k < kOverlappingPieces; ++k) {
        const float from = kPieceShift + kPieceSpan * float(k);
        if (pieceHit(from, from + kPieceSpan))
            return segment;
    }
    return -1;
}
