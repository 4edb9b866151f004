#pragma once
// Where a waveset wave's points sit on screen: the display rectangle of the
// multipoint editor (its bounds inset by 5), the handle of every point and
// of the closing point, the hit test of the handles, and the conversions
// between pointer positions and block units. A rectangle without width or
// height never divides by zero: positions then map to its edge.
//
// Any thread: plain values and functions.

#include "gui/editors/AM_WavesetBlock.h"
#include "gui/graphics/AM_Rect.h"

struct AM_WaveGraph {
    // The display rectangle of a control with the given bounds.
    static AM_WaveGraph fromBounds(const AM_Rect& bounds);

    // The handle centre of point p of a wave: (left + width * x, top + (y +
    // 1) * height / 2). Point pointCount is the closing point at the right
    // edge, at point 0's level in looped mode and at the bottom edge in open
    // mode.
    void handleCentre(const AM_WavesetBlock& block, int wave, int point, int mode, float out[2]) const;
    // The point whose 5 x 5 handle box (corner at the centre minus (2, 2),
    // edges included) holds (px, py), trying 0..pointCount in order; the
    // closing point, tested at the right edge with point 0's level in both
    // modes, answers 0. -1 when none.
    int findPointAt(const AM_WavesetBlock& block, int wave, float px, float py) const;

    // Pointer to block units: x = (px - left) / width, y = 2 (py - top) /
    // height - 1 (not limited; 0 and -1 for a rectangle without size).
    float positionAt(float px) const;
    float levelAt(float py) const;
    // Block units to pixels.
    float xOf(float position) const { return rect.x + rect.w * position; }
    float yOf(float level) const { return rect.y + (level + 1.0f) * rect.h / 2.0f; }

    // Straight pieces a segment dx pixels wide is drawn with: 1 when dx is
    // 0, 8 below 10, 10 from 10 to 80, 25 above.
    static int segmentPieces(float dx);

    AM_Rect rect;
};

// Handles are 5 x 5 boxes with their corner 2 left of and above the centre.
constexpr float kWaveHandleSize = 5.0f;
constexpr float kWaveHandleOffset = 2.0f;
// The display rectangle lies this far inside the control's bounds.
constexpr float kWaveGraphInset = 5.0f;
