#pragma once
// Where a multi-stage envelope sits on screen: the editor's layout (a loop
// strip along the top, a mode strip along the bottom, the graph between),
// the displayed time range (rounded so that one unit spans whole pixels),
// the conversions between units and pixels, and the hit tests of points
// and segments. A graph without width or height never divides by zero:
// positions then map to its left or bottom edge.
//
// Any thread: plain values and functions.

#include "gui/editors/AM_EnvelopeBlock.h"
#include "gui/graphics/AM_Rect.h"

struct AM_EnvelopeGraph {
    // The layout of a control with the given bounds: the graph area is
    // (x + 5, y + 12, w - 10, h - 28). The requested width W (units in
    // view; not finite or not above 0 counts as the initial 16) and offset
    // O give the displayed range: with p = gw / W pixels per unit and n =
    // int(p + 0.5), the displayed width is W / (n / p) (W itself when n is
    // 0), and the displayed offset O + (int(gx) - gx) / gw * that width.
    static AM_EnvelopeGraph layout(const AM_Rect& bounds, float requestedWidth,
                                   float requestedOffset);

    float xOf(float time) const;
    float yOf(float level) const;
    // Pointer to units and levels (not limited).
    float timeAt(float px) const;
    float levelAt(float py) const;

    // Strips of the layout: the loop handles above y + 10, the mode buttons
    // below y + h - 14.
    bool inLoopStrip(float py) const { return py < bounds.y + kLoopHitHeight; }
    bool inModeStrip(float py) const { return py > bounds.y + bounds.h - kModeHitHeight; }

    // The nearest point whose pixel lies at a squared distance below 20
    // from the pointer; grab (when given) takes the point's pixel minus the
    // pointer. -1 when none.
    int findPointAt(const AM_EnvelopeBlock& block, float px, float py, float grab[2]) const;
    // The segment under the pointer: the time there must not be before point
    // 0; the first segment whose end time is greater is cut into the pieces
    // t 0-0.2, ... 0.8-1 and 0.1-0.3, ... 0.7-0.9, and each piece's box in
    // pixels (at least 5 tall, growing 2.5 up and down) is tested with its
    // edges included. -1 when none.
    int findSegmentAt(const AM_EnvelopeBlock& block, float px, float py) const;

    static constexpr float kLoopStripHeight = 12.0f;
    static constexpr float kModeStripHeight = 16.0f;
    static constexpr float kSideInset = 5.0f;
    static constexpr float kLoopHitHeight = 10.0f;
    static constexpr float kModeHitHeight = 14.0f;
    static constexpr float kInitialWidth = 16.0f;

    AM_Rect bounds;
    AM_Rect graph;
    float width = kInitialWidth; // displayed width in units
    float offset = 0.0f;         // displayed offset in units
};
