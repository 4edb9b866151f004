#include "gui/controls/AM_ControlText.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"

#include <cstring>

void AM_drawTextBox(AM_Context* context, const AM_Rect& bounds, const AM_Colour* background,
                    const AM_Colour* border)
{
    if (context == nullptr) {
        return;
    }
    if (background != nullptr) {
        context->setColourFromObject(background);
        context->fillRect(&bounds);
    }
    if (border != nullptr) {
        context->setColourFromObject(border);
        const AM_Rect frame{bounds.x + 0.5f, bounds.y + 0.5f, bounds.w - 1, bounds.h - 1};
        context->frameRect(&frame);
    }
}

void AM_setTextColour(AM_Context* context, const AM_Colour* colour)
{
    if (context == nullptr) {
        return;
    }
    if (colour != nullptr) {
        context->setColourFromObject(colour);
    } else {
        context->setColourPacked(0x000000FF);
    }
}

void AM_drawAlignedText(AM_Context* context, const char* text, const AM_Rect& box, int hAlign,
                        int vAlign, float size)
{
    if (context == nullptr || text == nullptr) {
        return;
    }
    context->setFontSize(size);
    if (vAlign == 1) {
        context->drawText(text, &box, hAlign, true);
        return;
    }
    AM_Rect line = box;
    if (vAlign >= 2) {
        // On the bottom: the baseline a quarter of the size above it.
        line.y = box.y + box.h - size * 1.25f;
    }
    context->drawText(text, &line, hAlign, false);
}

void AM_copyBoundedText(char* out, size_t outBytes, const char* text, size_t maxChars)
{
    if (out == nullptr || outBytes == 0) {
        return;
    }
    size_t length = text != nullptr ? strnlen(text, maxChars < outBytes ? maxChars : outBytes - 1)
                                    : 0;
    // Back up over continuation bytes when the cut falls inside a character.
    if (text != nullptr && text[length] != '\0') {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    if (length > 0) {
        std::memcpy(out, text, length);
    }
    out[length] = '\0';
}
