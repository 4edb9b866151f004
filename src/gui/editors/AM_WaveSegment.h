#pragma once
// One cubic segment of a waveset wave, and the level of a wave at a
// position.
//
// Segment p of a wave runs from point p to point p + 1; the last segment
// (p = pointCount - 1) runs to the closing point at x = 1. One rule gives
// the closing point and the neighbours everywhere (drawing, rendering and
// the level at a position):
//   - the closing point's level is y[0] in looped mode and +1 in open mode,
//     and its tangent weight is point 0's inWeight;
//   - the level before point 0 is y[pointCount - 1] in looped mode and
//     point 0's own level in open mode;
//   - the level after the end of a segment is that of point p + 2, where
//     p + 2 = pointCount is the closing point; after the closing point
//     comes y[1] in looped mode and the closing level itself in open mode.
//
// Any thread: plain functions of their arguments.

#include "gui/editors/AM_WavesetBlock.h"

// Curve modes of the multipoint editor's "Mode" port.
enum AM_WaveMode : int {
    kWaveLooped = 0,
    kWaveOpen = 1,
    kWaveValues = 2,
};

// The level of the cubic Hermite segment from y0 to y1 at t in [0, 1]. ym is
// the level before the start and y2 the level after the end; c is the start
// point's outWeight and b the end point's inWeight (1/3 smooth, 0 straight,
// -1 peak).
float waveCubic(float y0, float y1, float ym, float y2, float c, float b, float t);

struct AM_WaveSegment {
    float x0 = 0, x1 = 0; // positions of the two ends in the cycle
    float y0 = 0, y1 = 0; // levels of the two ends (block sense: +1 at the bottom)
    float ym = 0, y2 = 0; // neighbour levels before the start and after the end
    float c = 0, b = 0;   // start point's outWeight, end point's inWeight

    float level(float t) const { return waveCubic(y0, y1, ym, y2, c, b, t); }
    // The same segment with every level negated: the sounding level.
    AM_WaveSegment sounding() const;
    // Field by field a + (b - a) * fraction.
    static AM_WaveSegment blend(const AM_WaveSegment& a, const AM_WaveSegment& b, float fraction);
};

// Segment p (0..pointCount-1) of a wave in a curve mode (value mode counts
// as looped). An invalid wave or segment gives a flat segment at level 0.
AM_WaveSegment waveSegment(const AM_WavesetBlock& block, int wave, int segment, int mode);

// The level (block sense) of a wave at position x, from the segment that
// holds x: t = (x - x0) / (x1 - x0), or 0.5 when both ends sit at the same
// position. x outside [0, 1] is limited to it; never NaN.
float waveLevelAt(const AM_WavesetBlock& block, int wave, float x, int mode);
