#pragma once
// Something drawn over the editor's frame inside its window (the text
// prompt, the save form, the question): it says where it is, draws itself
// and takes the pointer and key events while it is open. GUI units.
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"
#include "platform/WindowEvent.h"

class AM_AGG_Context;

// Whether a point lies inside r (its far edges excluded).
inline bool AM_rectContains(const AM_Rect& r, float x, float y)
{
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

class AM_Overlay {
public:
    virtual ~AM_Overlay() = default;
    virtual bool overlayShown() const = 0;
    // What it covers, GUI units.
    virtual AM_Rect overlayBounds() const = 0;
    // Draws itself; caretOn: the blinking caret's phase.
    virtual void drawOverlay(AM_AGG_Context& context, bool caretOn) = 0;
    // A pointer or key event (window pixels); true when taken.
    virtual bool overlayEvent(const platform::WindowEvent& event) = 0;
};
