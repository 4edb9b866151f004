#pragma once
// Drawing pieces the menus and dialogs share: rounded panels and frames,
// buttons and check marks, in GUI units through the software context.
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"

#include <cstdint>

class AM_AGG_Context;

namespace AM_FormsDrawing {

void fillRounded(AM_AGG_Context& c, const AM_Rect& r, float radius, uint32_t colour);
// A frame `thickness` units wide inside r, rounded by radius.
void frameRounded(AM_AGG_Context& c, const AM_Rect& r, float radius, float thickness,
                  uint32_t colour);
// A panel: a soft shade below and right, the face and a frame.
void panel(AM_AGG_Context& c, const AM_Rect& r);

enum class ButtonLook { kNormal, kDefault, kPressed };
void button(AM_AGG_Context& c, const AM_Rect& r, const char* label, ButtonLook look, bool focused);
// The width a button needs for its label.
float buttonWidth(AM_AGG_Context& c, const char* label);

// A tick in the square of side `size` at (x, y).
void checkMark(AM_AGG_Context& c, float x, float y, float size, uint32_t colour);
// A small filled triangle pointing right, up or down, centred at (cx, cy).
enum class Arrow { kRight, kUp, kDown };
void arrow(AM_AGG_Context& c, float cx, float cy, float size, Arrow direction, uint32_t colour);

} // namespace AM_FormsDrawing
