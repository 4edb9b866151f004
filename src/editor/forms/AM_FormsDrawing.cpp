#include "editor/forms/AM_FormsDrawing.h"

#include "editor/forms/AM_FontSizeScope.h"
#include "editor/forms/AM_FormsLook.h"
#include "gui/graphics/AM_AGG_Context.h"

#include <algorithm>
#include <cmath>

using namespace AM_FormsLook;

namespace AM_FormsDrawing {

namespace {
// The outline of r with corners of the radius (x, y pairs), with enough
// points per corner for a smooth arc at the zoom; the count.
int roundedOutline(AM_AGG_Context& c, const AM_Rect& r, float radius, float* points)
{
    const float rad = std::max(0.0f, std::min(radius, std::min(r.w, r.h) * 0.5f));
    if (rad * c.getZoom() < 0.75f) {
        const float corners[8] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
        std::copy(corners, corners + 8, points);
        return 4;
    }
    const int n = std::clamp(static_cast<int>(rad * c.getZoom()) + 2, 3, 16);
    const float cx[4] = {r.x + rad, r.x + r.w - rad, r.x + r.w - rad, r.x + rad};
    const float cy[4] = {r.y + rad, r.y + rad, r.y + r.h - rad, r.y + r.h - rad};
    int count = 0;
    for (int corner = 0; corner < 4; ++corner) {
        // Clockwise from the left end of the top-left arc.
        const float start = static_cast<float>(M_PI) * (1.0f + 0.5f * static_cast<float>(corner));
        for (int i = 0; i < n; ++i) {
            const float a = start + static_cast<float>(M_PI) * 0.5f * static_cast<float>(i) /
                                        static_cast<float>(n - 1);
            points[2 * count] = cx[corner] + std::cos(a) * rad;
            points[2 * count + 1] = cy[corner] + std::sin(a) * rad;
            ++count;
        }
    }
    return count;
}
} // namespace

void fillRounded(AM_AGG_Context& c, const AM_Rect& r, float radius, uint32_t colour)
{
    if (r.w <= 0 || r.h <= 0) {
        return;
    }
    float points[4 * 16 * 2];
    const int count = roundedOutline(c, r, radius, points);
    c.setColourPacked(colour);
    c.fillPolygon(points, count);
}

void frameRounded(AM_AGG_Context& c, const AM_Rect& r, float radius, float thickness,
                  uint32_t colour)
{
    if (r.w <= thickness || r.h <= thickness) {
        return;
    }
    // The outline runs through the middle of the frame.
    const float half = thickness * 0.5f;
    const AM_Rect in{r.x + half, r.y + half, r.w - thickness, r.h - thickness};
    float points[4 * 16 * 2];
    const int count = roundedOutline(c, in, radius - half, points);
    c.setColourPacked(colour);
    c.drawPolyline(points, count, thickness, true);
}

void panel(AM_AGG_Context& c, const AM_Rect& r)
{
    fillRounded(c, r, 5.0f, kPanel);
    frameRounded(c, r, 5.0f, 1.0f, kPanelBorder);
}

float buttonWidth(AM_AGG_Context& c, const char* label)
{
    AM_FontSizeScope font(c, kFontSize);
    return std::max(kButtonMinWidth, c.getTextWidth(label) + 2 * kButtonTextPadding);
}

void button(AM_AGG_Context& c, const AM_Rect& r, const char* label, ButtonLook look, bool focused)
{
    const uint32_t face = look == ButtonLook::kPressed   ? kButtonPressed
                          : look == ButtonLook::kDefault ? kButtonDefault
                                                         : kButton;
    const uint32_t border = look == ButtonLook::kNormal ? kButtonBorder : kButtonDefaultBorder;
    fillRounded(c, r, 4.0f, face);
    frameRounded(c, r, 4.0f, focused ? 2.0f : 1.0f, focused ? kFieldFocus : border);
    AM_FontSizeScope font(c, kFontSize);
    c.setColourPacked(kHighlightText);
    // Centred on the capitals rather than on the whole glyph height.
    const AM_Rect text{r.x, r.y - 1, r.w, r.h};
    c.drawText(c.fitText(label, r.w - 8), &text, 1, true);
}

void checkMark(AM_AGG_Context& c, float x, float y, float size, uint32_t colour)
{
    const float points[6] = {x + size * 0.18f, y + size * 0.52f, x + size * 0.42f,
                             y + size * 0.76f, x + size * 0.84f, y + size * 0.24f};
    c.setColourPacked(colour);
    c.drawPolyline(points, 3, std::max(1.5f, size * 0.16f), false);
}

void arrow(AM_AGG_Context& c, float cx, float cy, float size, Arrow direction, uint32_t colour)
{
    const float h = size * 0.5f;
    float points[6];
    switch (direction) {
    case Arrow::kRight: {
        const float p[6] = {cx - h * 0.6f, cy - h, cx + h * 0.6f, cy, cx - h * 0.6f, cy + h};
        std::copy(p, p + 6, points);
        break;
    }
    case Arrow::kUp: {
        const float p[6] = {cx - h, cy + h * 0.6f, cx, cy - h * 0.6f, cx + h, cy + h * 0.6f};
        std::copy(p, p + 6, points);
        break;
    }
    case Arrow::kDown: {
        const float p[6] = {cx - h, cy - h * 0.6f, cx + h, cy - h * 0.6f, cx, cy + h * 0.6f};
        std::copy(p, p + 6, points);
        break;
    }
    }
    c.setColourPacked(colour);
    c.fillPolygon(points, 3);
}

} // namespace AM_FormsDrawing
