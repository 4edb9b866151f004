#pragma once
// Draws one menu panel: the panel's face and frame, its rows (highlighted,
// checked, disabled, submenu arrows, separators) and, for a panel taller
// than the screen, the scroll arrows at its top and bottom.
//
// GUI thread only.

#include "editor/forms/AM_MenuLayout.h"

class AM_AGG_Context;

struct AM_MenuPanelView {
    const AM_MenuLayout* layout = nullptr;
    // The highlighted row and the row whose submenu is open (-1: none).
    int hover = -1;
    int openRow = -1;
    // The panel's visible height (GUI units) and, for a scrolling panel,
    // how far its content is scrolled.
    float viewHeight = 0;
    bool scrolls = false;
    float scroll = 0;

    // The content's top inside the panel (below the upper scroll arrow).
    float contentTop() const;
    float contentBottom() const;
    float maxScroll() const;
    // What lies at a point of the panel (GUI units).
    enum class Zone { kNone, kRow, kScrollUp, kScrollDown };
    Zone zoneAt(float x, float y, int& row) const;
};

void AM_paintMenuPanel(AM_AGG_Context& context, const AM_MenuPanelView& view);
