#pragma once
// An entry field on screen: its box, the lines of its text (scrolled so the
// caret stays in view), the selection, the caret, and which place of the
// text a point falls on. GUI units; the font is the dialogs' size.
//
// GUI thread only.

#include "editor/forms/AM_TextField.h"
#include "gui/graphics/AM_Rect.h"

#include <string_view>

class AM_AGG_Context;

class AM_TextFieldView {
public:
    AM_Rect box;
    float scrollX = 0;
    float scrollY = 0;

    // The area the text is drawn in (the box less its padding).
    AM_Rect inner() const;
    void draw(AM_AGG_Context& context, const AM_TextField& field, bool focused, bool caretOn) const;
    // The caret position for a point (GUI units).
    size_t hit(AM_AGG_Context& context, const AM_TextField& field, float x, float y) const;
    // Scrolls so the caret is inside the box.
    void keepCaretVisible(AM_AGG_Context& context, const AM_TextField& field);
    bool contains(float x, float y) const
    {
        return x >= box.x && x < box.x + box.w && y >= box.y && y < box.y + box.h;
    }

    // The width of a piece of text at the dialogs' font size.
    static float measure(AM_AGG_Context& context, std::string_view text);

private:
    // The top of line `line` (the first line is 0).
    float lineTop(const AM_TextField& field, int line) const;
};
