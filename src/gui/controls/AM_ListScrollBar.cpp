#include "gui/controls/AM_ListScrollBar.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"

#include <algorithm>

namespace {

// How strongly the text colour shows as the track's frame and as the thumb
// when the list has no colours for them.
constexpr float kBorderAlpha = 0.35f;
constexpr float kBarAlpha = 0.6f;

void useColour(AM_Context* context, const AM_Colour* own, const AM_Colour* text, float alpha)
{
    if (own != nullptr) {
        context->setColourFromObject(own);
    } else if (text != nullptr) {
        context->setColour(text->r, text->g, text->b, text->a * alpha);
    } else {
        context->setColour(0.0f, 0.0f, 0.0f, alpha);
    }
}

} // namespace

void AM_ListScrollBar::layout(const AM_Rect& bounds, float trackX, int32_t visibleRows,
                              int32_t rows, int32_t firstRow)
{
    track = AM_Rect{};
    thumb = AM_Rect{};
    rowStep = 0.0f;
    if (visibleRows <= 0 || rows <= visibleRows) {
        return;
    }
    track = AM_Rect{trackX, bounds.y + 2.5f, 11.0f, bounds.h - 5.0f};
    const float travel = track.h - 1.0f;
    if (travel <= 0.0f) {
        return;
    }
    const float height =
        std::min(std::max(travel * float(visibleRows) / float(rows), kMinThumb), travel);
    rowStep = (travel - height) / float(rows - visibleRows);
    thumb = AM_Rect{track.x + 0.5f, track.y + 0.5f + float(firstRow) * rowStep, 10.0f, height};
}

void AM_ListScrollBar::draw(AM_Context* context, const AM_Colour* border, const AM_Colour* bar,
                            const AM_Colour* text) const
{
    if (context == nullptr || track.h <= 0.0f) {
        return;
    }
    useColour(context, border, text, kBorderAlpha);
    const AM_Rect& r = track;
    const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(points, 4, 1.0f, true);
    if (thumb.h > 0.0f) {
        useColour(context, bar, text, kBarAlpha);
        context->fillRect(&thumb);
    }
}

bool AM_ListScrollBar::onThumb(const float* point) const
{
    return point != nullptr && shown() && point[1] >= thumb.y && point[1] <= thumb.y + thumb.h;
}

int32_t AM_ListScrollBar::pageRows() const
{
    if (!shown()) {
        return 0;
    }
    // Held well inside an int: a nearly full track moves very little per row.
    return std::max(static_cast<int32_t>(std::min(thumb.h / rowStep, 1.0e6f)), 1);
}
