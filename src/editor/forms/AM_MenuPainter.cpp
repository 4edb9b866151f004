#include "editor/forms/AM_MenuPainter.h"

#include "editor/forms/AM_FontSizeScope.h"
#include "editor/forms/AM_FormsDrawing.h"
#include "editor/forms/AM_FormsLook.h"
#include "gui/graphics/AM_AGG_Context.h"

#include <algorithm>

using namespace AM_FormsLook;
using platform::MenuEntry;

float AM_MenuPanelView::contentTop() const
{
    return scrolls ? kMenuScrollArrowHeight : 0.0f;
}

float AM_MenuPanelView::contentBottom() const
{
    return scrolls ? viewHeight - kMenuScrollArrowHeight : viewHeight;
}

float AM_MenuPanelView::maxScroll() const
{
    if (!scrolls || layout == nullptr) {
        return 0;
    }
    return std::max(0.0f, layout->height - (contentBottom() - contentTop()));
}

AM_MenuPanelView::Zone AM_MenuPanelView::zoneAt(float x, float y, int& row) const
{
    row = -1;
    if (layout == nullptr || x < 0 || x >= layout->width || y < 0 || y >= viewHeight) {
        return Zone::kNone;
    }
    if (scrolls && y < contentTop()) {
        return Zone::kScrollUp;
    }
    if (scrolls && y >= contentBottom()) {
        return Zone::kScrollDown;
    }
    row = layout->rowAt(y - contentTop() + scroll);
    return row >= 0 ? Zone::kRow : Zone::kNone;
}

void AM_paintMenuPanel(AM_AGG_Context& c, const AM_MenuPanelView& view)
{
    const AM_MenuLayout& layout = *view.layout;
    const float w = layout.width;
    const AM_Rect whole{0, 0, w, view.viewHeight};
    c.setColourPacked(kPanel);
    c.fillRect(&whole);
    AM_FormsDrawing::frameRounded(c, whole, 0.0f, 1.0f, kPanelBorder);

    AM_FontSizeScope font(c, kMenuFontSize);
    c.pushClip();
    const AM_Rect content{1, view.contentTop(), w - 2, view.contentBottom() - view.contentTop()};
    c.intersectClip(&content);
    const float top = view.contentTop() - view.scroll;
    for (size_t i = 0; i < layout.rows.size(); ++i) {
        const AM_MenuRow& row = layout.rows[i];
        const float y = top + row.y;
        if (y + row.h < content.y || y > content.y + content.h) {
            continue;
        }
        const MenuEntry& entry = *row.entry;
        if (entry.kind == MenuEntry::Kind::kSeparator) {
            const AM_Rect line{8, y + row.h * 0.5f - 0.5f, w - 16, 1};
            c.setColourPacked(kSeparator);
            c.fillRect(&line);
            continue;
        }
        const bool lit = entry.enabled &&
                         (static_cast<int>(i) == view.hover || static_cast<int>(i) == view.openRow);
        if (lit) {
            const AM_Rect bar{kMenuHighlightInset, y + 1, w - 2 * kMenuHighlightInset, row.h - 2};
            AM_FormsDrawing::fillRounded(c, bar, 3.0f, kHighlight);
        }
        const uint32_t ink = !entry.enabled ? kTextDisabled : lit ? kHighlightText : kText;
        if (entry.checkable && entry.checked) {
            const float side = 12.0f;
            AM_FormsDrawing::checkMark(c, (kMenuCheckColumn - side) * 0.5f + 1,
                                       y + (row.h - side) * 0.5f, side, ink);
        }
        const AM_Rect text{kMenuCheckColumn, y, layout.textWidth + kFitTextMargin, row.h};
        c.setColourPacked(ink);
        c.drawText(c.fitText(entry.text.c_str(), layout.textWidth), &text, 0, true);
        if (entry.kind == MenuEntry::Kind::kSubmenu) {
            AM_FormsDrawing::arrow(c, w - kMenuArrowColumn * 0.5f, y + row.h * 0.5f, 8.0f,
                                   AM_FormsDrawing::Arrow::kRight, ink);
        }
    }
    c.popClip();

    if (view.scrolls) {
        const float cx = w * 0.5f;
        const float half = kMenuScrollArrowHeight * 0.5f;
        const bool up = view.scroll > 0;
        const bool down = view.scroll < view.maxScroll();
        AM_FormsDrawing::arrow(c, cx, half, 9.0f, AM_FormsDrawing::Arrow::kUp,
                               up ? kText : kTextDisabled);
        AM_FormsDrawing::arrow(c, cx, view.viewHeight - half, 9.0f, AM_FormsDrawing::Arrow::kDown,
                               down ? kText : kTextDisabled);
    }
}
