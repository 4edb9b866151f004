#include "gui/graphics/AM_Context.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kHalfPi = 1.5707963705062866f;

// sin t for t in 0..pi/2 by its Taylor polynomial of degree 9.
float taylorSine(float t)
{
    const float t2 = t * t;
    return t * (1.0f - t2 / 6.0f * (1.0f - t2 / 20.0f * (1.0f - t2 / 42.0f * (1.0f - t2 / 72.0f))));
}

// Truncation toward zero that stays defined for NaN and huge values.
int truncateWithin(float value, int low, int high)
{
    if (std::isnan(value) || value <= static_cast<float>(low))
        return low;
    if (value >= static_cast<float>(high))
        return high;
    return static_cast<int>(value);
}

} // namespace

AM_Context::AM_Context()
{
    std::strcpy(fontFileName_, "Vera.ttf");
}

AM_Context::~AM_Context() = default;

void AM_Context::beginDraw() {}

void AM_Context::setColourFromArray(const float*) {}

void AM_Context::setColour(float, float, float, float) {}

void AM_Context::setColourPacked(uint32_t) {}

void AM_Context::setColourFromObject(const AM_Colour* colour)
{
    if (colour != nullptr)
        setColour(colour->r, colour->g, colour->b, colour->a);
}

void AM_Context::fillPolygon(const float*, int) {}

void AM_Context::drawLine(const float*, const float*, float) {}

void AM_Context::frameRect(const AM_Rect*) {}

void AM_Context::fillRect(const AM_Rect*) {}

void AM_Context::fillRingSegment(const float*, float, float, float, float) {}

void AM_Context::drawCircle(const float centre[2], float radius, float width)
{
    if (centre == nullptr)
        return;
    const int n = truncateWithin(radius, 1, kCircleMaxPointsPerQuarter);
    const float step = kHalfPi / static_cast<float>(n);
    const float cx = centre[0];
    const float cy = centre[1];
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) * step;
        const float s = taylorSine(t);
        const float c = taylorSine(kHalfPi - t);
        float* p = circlePoints_;
        p[2 * i] = cx + radius * s;
        p[2 * i + 1] = cy + radius * c;
        p[2 * (n + i)] = cx + radius * c;
        p[2 * (n + i) + 1] = cy - radius * s;
        p[2 * (2 * n + i)] = cx - radius * s;
        p[2 * (2 * n + i) + 1] = cy - radius * c;
        p[2 * (3 * n + i)] = cx - radius * c;
        p[2 * (3 * n + i) + 1] = cy + radius * s;
    }
    drawPolyline(circlePoints_, 4 * n, width, true);
}

void AM_Context::setFontSize(float) {}

float AM_Context::getTextWidth(const char*)
{
    return 0.0f;
}

const char* AM_Context::fitText(const char* text, float width)
{
    if (text == nullptr) {
        textBuffer_[0] = 0;
        return textBuffer_;
    }
    const int maxChars = kContextTextBytes - 1;
    const float w = getTextWidth(text) - kFitTextMargin;
    if (w > width) {
        const float length = static_cast<float>(AM_STD::strlen(text));
        const int n = truncateWithin(length / w * width, 0, maxChars);
        AM_STD::shortenString(textBuffer_, text, n);
    } else {
        AM_STD::shortenString(textBuffer_, text, maxChars);
    }
    return textBuffer_;
}

void AM_Context::drawText(const char*, const AM_Rect*, int, bool) {}

float AM_Context::drawTextBox(const char* text, const AM_Rect* box, int hAlign, float lineHeight)
{
    if (box == nullptr)
        return 0.0f;
    AM_Rect lineRect{box->x, box->y, box->w, lineHeight};
    const float limit = box->y + box->h - lineHeight * 0.5f;
    pushClip();
    intersectClip(box);
    if (text == nullptr || text[0] == 0) {
        popClip();
        return 0.0f;
    }
    float used = 0.0f;
    const char* p = text;
    for (int lines = 0;; ++lines) {
        if (lines == kTextBoxMaxLines) {
            AM_STD::printv("lots of iterations...");
            break;
        }
        char line[kTextBoxLineChars + 1];
        int length = 0;
        line[0] = 0;
        int lastSpace = -1;
        const char* afterSpace = nullptr;
        const char* start = p;
        bool atEnd = false;
        for (;;) {
            const char c = *p;
            if (c == 0) {
                atEnd = true;
                break;
            }
            if (c == '\r' || c == '\n') {
                ++p;
                const char pair = c == '\r' ? '\n' : '\r';
                if (*p == pair)
                    ++p;
                break;
            }
            if (length == kTextBoxLineChars)
                break;
            if (c == ' ') {
                lastSpace = length;
                afterSpace = p + 1;
            }
            line[length++] = c;
            line[length] = 0;
            ++p;
            // Widths are measured in GUI units whatever the zoom, so a box
            // wraps at the same words at every zoom.
            if (getTextWidth(line) > box->w) {
                if (lastSpace >= 0) {
                    length = lastSpace;
                    p = afterSpace;
                } else {
                    --length;
                    --p;
                }
                line[length] = 0;
                break;
            }
        }
        if (p == start)
            break;
        if (lineRect.y < limit)
            drawText(line, &lineRect, hAlign, false);
        lineRect.y += lineHeight;
        used += lineHeight;
        if (atEnd || *p == 0)
            break;
    }
    popClip();
    return used;
}

void AM_Context::intersectClip(const AM_Rect*) {}

void AM_Context::pushClip() {}

void AM_Context::popClip() {}

void AM_Context::blitToWindow(const AM_Rect*) {}

void AM_Context::setZoom(float zoom, float, float)
{
    zoom_ = zoom;
}

float AM_Context::getZoom() const
{
    return zoom_;
}

void AM_Context::drawGraphicRotated(AM_Graphic*, const AM_Rect*, float, float) {}

void AM_Context::drawGraphic(AM_Graphic*, const AM_Rect*) {}

void AM_Context::blendGraphic(AM_Graphic*, const AM_Rect*) {}

void AM_Context::copyGraphic(AM_Graphic*, const AM_Rect*) {}

void AM_Context::copyGraphicDouble(AM_Graphic*, const AM_Rect*) {}

void AM_Context::copyGraphicTwoAndHalf(AM_Graphic*, const AM_Rect*) {}

void AM_Context::setFontFolder(const char*) {}

void AM_Context::setGlyphMode(uint32_t mode)
{
    glyphMode_ = mode <= kContextGlyphGrey ? mode : kContextGlyphGrey;
}

void AM_Context::setTextGamma(float gamma)
{
    if (std::isfinite(gamma) && gamma > 0.0f)
        textGamma_ = gamma;
}

void AM_Context::setFontFileName(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return;
    AM_STD::sprintn(fontFileName_, sizeof fontFileName_, "%s", name);
}

void AM_Context::setGamma(float gamma)
{
    if (std::isfinite(gamma) && gamma > 0.0f)
        gamma_ = gamma;
}

void AM_Context::setFontWeight(float weight)
{
    if (std::isfinite(weight))
        fontWeight_ = weight;
}
