#pragma once
// Drawing shared by the text fields of the standard controls (displays,
// editing fields): the filled and framed box and one aligned line of text.
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"

#include <cstddef>

class AM_Colour;
class AM_Context;

// Fills the bounds with `background` and frames them one unit inside with
// `border` (each when not null).
void AM_drawTextBox(AM_Context* context, const AM_Rect& bounds, const AM_Colour* background,
                    const AM_Colour* border);

// Sets the text colour: `colour`, or opaque black when null.
void AM_setTextColour(AM_Context* context, const AM_Colour* colour);

// One line in box: hAlign 0 left, 1 centred, 2 right; vAlign 0 on the
// baseline a font size below the top, 1 centred, 2 and above at the bottom.
void AM_drawAlignedText(AM_Context* context, const char* text, const AM_Rect& box, int hAlign,
                        int vAlign, float size);

// Copies at most maxChars bytes of text (fewer when a UTF-8 character would
// be split) into out, which holds outBytes; always terminated. text is read
// no further than its terminator or byte maxChars (so a buffer of more than
// maxChars bytes need not be terminated).
void AM_copyBoundedText(char* out, size_t outBytes, const char* text, size_t maxChars);
