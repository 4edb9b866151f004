#pragma once
// The scroll bar of the preset browser's row lists (the folder view and the
// list view): a framed track down the column right of the rows and a thumb
// whose height is the part of the rows shown and whose travel runs from the
// first row to the last page. A list that does not fit always shows its bar:
// without colours of its own the bar takes the rows' text colour, dimmed.
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"

#include <cstdint>

class AM_Colour;
class AM_Context;

struct AM_ListScrollBar {
    // The shortest thumb, so a long list keeps one that can be caught.
    static constexpr float kMinThumb = 12.0f;

    // The track and thumb of the last layout, and the thumb's travel per row
    // (0 when every row shows: there is no bar).
    AM_Rect track{};
    AM_Rect thumb{};
    float rowStep = 0.0f;

    // Lays out the bar of `rows` rows of which `visibleRows` show from
    // `firstRow` on, its track at trackX inside the list's bounds; no bar
    // when they all fit.
    void layout(const AM_Rect& bounds, float trackX, int32_t visibleRows, int32_t rows,
                int32_t firstRow);
    // Draws the laid-out bar: the track framed in `border`, the thumb filled
    // with `bar`; a missing colour is the text colour dimmed (opaque black
    // without one).
    void draw(AM_Context* context, const AM_Colour* border, const AM_Colour* bar,
              const AM_Colour* text) const;
    bool shown() const { return rowStep > 0.0f; }
    // Whether the point's height lies on the thumb.
    bool onThumb(const float* point) const;
    // The rows a click in the track beside the thumb moves: a thumb's height.
    int32_t pageRows() const;
};
