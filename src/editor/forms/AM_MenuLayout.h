#pragma once
// Where the rows of one menu panel go: items and submenu entries one row
// each, separators a thin row, a column for check marks on the left and one
// for submenu arrows on the right; the panel is as wide as its widest text
// (long texts are shortened in the middle). GUI units.
//
// GUI thread only.

#include "platform/MenuPresenter.h"

#include <vector>

class AM_Context;

struct AM_MenuRow {
    const platform::MenuEntry* entry = nullptr;
    float y = 0; // top, from the panel's content top
    float h = 0;
    // Items and submenu entries that are enabled: the ones the user can
    // highlight.
    bool selectable() const
    {
        return entry->kind != platform::MenuEntry::Kind::kSeparator && entry->enabled;
    }
    bool isSubmenu() const { return entry->kind == platform::MenuEntry::Kind::kSubmenu; }
};

struct AM_MenuLayout {
    std::vector<AM_MenuRow> rows;
    float width = 0;
    // Every row plus the padding above and below.
    float height = 0;
    float textWidth = 0;

    // Measures the entries with the context's text (at the menu's font size).
    static AM_MenuLayout build(const std::vector<platform::MenuEntry>& entries,
                               AM_Context& measure);
    // The row at y (from the content top, padding included), -1 for none.
    int rowAt(float y) const;
    // The next selectable row from `from` in direction step (+1, -1),
    // wrapping around; -1 when there is none.
    int nextSelectable(int from, int step) const;
};
