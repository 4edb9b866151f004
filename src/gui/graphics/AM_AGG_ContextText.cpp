// Text of the software renderer: TrueType fonts through the text engine
// (AM_TextEngine), placed by the alignment rules and drawn in the current
// colour inside the current clip.
#include "gui/graphics/AM_AGG_Context.h"

#include "gui/graphics/text/AM_FontSettings.h"

AM_TextStyle AM_AGG_Context::textStyle() const
{
    AM_TextStyle style;
    style.fontFileName = fontFileName_;
    style.glyphMode = glyphMode_;
    style.gamma = textGamma_;
    style.hinting = hinting_;
    style.kerning = kerning_;
    return style;
}

void AM_AGG_Context::setFontSize(float size)
{
    AM_FontSettings::setSize(size);
}

void AM_AGG_Context::setFontFolder(const char* path)
{
    AM_FontSettings::setFolder(path);
}

float AM_AGG_Context::getTextWidth(const char* text)
{
    return text_.textWidth(text, textStyle());
}

void AM_AGG_Context::drawText(const char* text, const AM_Rect* r, int hAlign, bool vCentre)
{
    if (text == nullptr || r == nullptr)
        return;
    const float x = r->x - canvas_.x;
    const float y = r->y - canvas_.y;
    const AM_Rect& c = clip_;
    // Touching the clip counts as meeting it.
    if (!(x <= c.x + c.w && x + r->w >= c.x && y <= c.y + c.h && y + r->h >= c.y))
        return;
    const char* fitted = fitText(text, r->w);
    const float fittedWidth = getTextWidth(fitted);
    const agg::rect_i box = pixelClipBox();
    if (box.x1 > box.x2)
        return;
    const float fontSize = AM_FontSettings::size();
    double penX = 0;
    double penY = 0;
    AM_TextEngine::penStart(x, y, r->w, r->h, fontSize, fittedWidth, hAlign, vCentre, penX, penY);
    const double z = zoom_;
    text_.drawLine(buffer_, box, colour8_, fitted, penX * z, penY * z, double(fontSize) * z,
                   textStyle());
}
