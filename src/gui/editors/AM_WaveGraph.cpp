#include "gui/editors/AM_WaveGraph.h"

#include "gui/editors/AM_WaveSegment.h"

#include <cmath>

namespace {

constexpr float kNarrowSegment = 10.0f;
constexpr float kWideSegment = 80.0f;
constexpr int kPiecesNone = 1;
constexpr int kPiecesNarrow = 8;
constexpr int kPiecesMedium = 10;
constexpr int kPiecesWide = 25;

bool inHandle(const float centre[2], float px, float py)
{
    const float left = centre[0] - kWaveHandleOffset;
    const float top = centre[1] - kWaveHandleOffset;
    return px >= left && px <= left + kWaveHandleSize && py >= top && py <= top + kWaveHandleSize;
}

} // namespace

AM_WaveGraph AM_WaveGraph::fromBounds(const AM_Rect& bounds)
{
    AM_WaveGraph graph;
    graph.rect = AM_Rect{bounds.x + kWaveGraphInset, bounds.y + kWaveGraphInset,
                         bounds.w - 2.0f * kWaveGraphInset, bounds.h - 2.0f * kWaveGraphInset};
    return graph;
}

void AM_WaveGraph::handleCentre(const AM_WavesetBlock& block, int wave, int point, int mode,
                                float out[2]) const
{
    if (point >= block.pointCount()) {
        out[0] = xOf(1.0f);
        out[1] = yOf(mode == kWaveOpen ? 1.0f : block.y(wave, 0));
        return;
    }
    out[0] = xOf(block.x(wave, point));
    out[1] = yOf(block.y(wave, point));
}

int AM_WaveGraph::findPointAt(const AM_WavesetBlock& block, int wave, float px, float py) const
{
    const int n = block.pointCount();
    for (int p = 0; p <= n; ++p) {
        float centre[2];
        // The closing handle is hit at point 0's level in both modes.
        handleCentre(block, wave, p, kWaveLooped, centre);
        if (inHandle(centre, px, py))
            return p == n ? 0 : p;
    }
    return -1;
}

float AM_WaveGraph::positionAt(float px) const
{
    return rect.w > 0.0f ? (px - rect.x) / rect.w : 0.0f;
}

float AM_WaveGraph::levelAt(float py) const
{
    return rect.h > 0.0f ? 2.0f * (py - rect.y) / rect.h - 1.0f : -1.0f;
}

int AM_WaveGraph::segmentPieces(float dx)
{
    dx = std::fabs(dx);
    if (!(dx > 0.0f))
        return kPiecesNone;
    if (dx < kNarrowSegment)
        return kPiecesNarrow;
    if (dx <= kWideSegment)
        return kPiecesMedium;
    return kPiecesWide;
}
