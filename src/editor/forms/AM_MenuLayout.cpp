#include "editor/forms/AM_MenuLayout.h"

#include "editor/forms/AM_FontSizeScope.h"
#include "editor/forms/AM_FormsLook.h"
#include "gui/graphics/AM_Context.h"

#include <algorithm>

using namespace AM_FormsLook;
using platform::MenuEntry;

AM_MenuLayout AM_MenuLayout::build(const std::vector<MenuEntry>& entries, AM_Context& measure)
{
    AM_FontSizeScope font(measure, kMenuFontSize);
    AM_MenuLayout layout;
    float y = kMenuPadding;
    float widest = 0;
    layout.rows.reserve(entries.size());
    for (const MenuEntry& entry : entries) {
        AM_MenuRow row;
        row.entry = &entry;
        row.y = y;
        row.h = entry.kind == MenuEntry::Kind::kSeparator ? kMenuSeparatorHeight : kMenuRowHeight;
        if (entry.kind != MenuEntry::Kind::kSeparator) {
            widest = std::max(widest, measure.getTextWidth(entry.text.c_str()));
        }
        y += row.h;
        layout.rows.push_back(row);
    }
    layout.height = y + kMenuPadding;
    layout.textWidth = std::min(widest, kMenuMaxTextWidth);
    layout.width = std::max(kMenuMinWidth, kMenuCheckColumn + layout.textWidth + kMenuArrowColumn);
    return layout;
}

int AM_MenuLayout::rowAt(float y) const
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (y >= rows[i].y && y < rows[i].y + rows[i].h) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int AM_MenuLayout::nextSelectable(int from, int step) const
{
    const int count = static_cast<int>(rows.size());
    if (count == 0) {
        return -1;
    }
    int i = from;
    if (i < 0 || i >= count) {
        i = step > 0 ? -1 : count;
    }
    for (int n = 0; n < count; ++n) {
        i = ((i + step) % count + count) % count;
        if (rows[static_cast<size_t>(i)].selectable()) {
            return i;
        }
    }
    return -1;
}
