#pragma once
// The drawing vocabulary every control, graphic and shape draws with: the
// current colour, lines, polygons, rectangles, ring segments, circles, text,
// a clip stack and the zoom. Coordinates are GUI units; the context maps them
// to pixels. This base implements what needs no renderer (zoom, colour from
// an AM_Colour, fitting text into a width, word-wrapped text in a box, the
// circle outline); AM_AGG_Context draws.
//
// A repaint: beginDraw, intersectClip(area), the drawing calls (with nested
// pushClip/popClip pairs), blitToWindow(area).
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"

#include <cstdint>

class AM_Colour;
class AM_Graphic;

// How text glyphs are rendered (the text engine's glyph modes).
enum AM_ContextGlyphMode : uint32_t {
    kContextGlyphNativeMono = 0,
    kContextGlyphNativeGrey = 1,
    kContextGlyphOutline = 2,
    kContextGlyphMono = 3,
    kContextGlyphGrey = 4,
};

constexpr int kContextFontNameBytes = 64;
constexpr int kContextCirclePoints = 256;
constexpr int kContextTextBytes = 256;
// drawCircle: points per quarter of the outline.
constexpr int kCircleMaxPointsPerQuarter = 64;
// drawTextBox: characters of one line, and lines of one box.
constexpr int kTextBoxLineChars = 127;
constexpr int kTextBoxMaxLines = 2000;
// fitText: what the measured width may exceed the available width by.
constexpr float kFitTextMargin = 8.0f;

class AM_Context {
public:
    AM_Context();
    virtual ~AM_Context();
    AM_Context(const AM_Context&) = delete;
    AM_Context& operator=(const AM_Context&) = delete;

    virtual void beginDraw();
    virtual void setColourFromArray(const float rgba[4]);
    virtual void setColour(float r, float g, float b, float a);
    virtual void setColourPacked(uint32_t rgba);
    // setColour with the colour's channels; nothing for null.
    virtual void setColourFromObject(const AM_Colour* colour);

    // points: count (x, y) pairs. Stroked width units wide; closed joins the
    // last point to the first.
    virtual void drawPolyline(const float points[], int count, float width, bool closed) = 0;
    virtual void fillPolygon(const float points[], int count);
    virtual void drawLine(const float p0[2], const float p1[2], float width);
    virtual void frameRect(const AM_Rect* r);
    virtual void fillRect(const AM_Rect* r);
    // Angles in degrees clockwise from straight up.
    virtual void fillRingSegment(const float centre[2], float innerRadius, float outerRadius,
                                 float startAngle, float endAngle);
    // A closed polygon of 4 n points (n = radius, within 1..64 per quarter),
    // starting straight below the centre and running through the right, top
    // and left points; stroked by drawPolyline.
    virtual void drawCircle(const float centre[2], float radius, float width);

    virtual void setFontSize(float size);
    // Width of the text in GUI units; 0 here.
    virtual float getTextWidth(const char* text);
    // The text, or when it is wider than width (with a margin of 8 units) a
    // shortened copy with "..." in its middle; valid until the next call.
    // Texts are cut to 255 bytes.
    virtual const char* fitText(const char* text, float width);
    // One line of text in r, aligned by hAlign (0 left, 1 centre, 2 right),
    // vertically centred or on the baseline a font size below r's top.
    virtual void drawText(const char* text, const AM_Rect* r, int hAlign, bool vCentre);
    // The text word-wrapped into box, lines lineHeight apart, each drawn by
    // drawText inside a clip of box; returns the height of all lines.
    virtual float drawTextBox(const char* text, const AM_Rect* box, int hAlign, float lineHeight);

    virtual void intersectClip(const AM_Rect* r);
    virtual void pushClip();
    virtual void popClip();
    virtual void blitToWindow(const AM_Rect* r);
    // Stores the zoom (the renderer also resizes its canvas to width x
    // height pixels when both are non-zero).
    virtual void setZoom(float zoom, float width, float height);
    virtual float getZoom() const;

    // Images (graphics with a decoded image); nothing here. rect in GUI
    // units. drawGraphic stretches the image into rect by the path its
    // scale, alpha and size call for; drawGraphicRotated turns it by angle
    // degrees (positive counter-clockwise) at an opacity alpha (0..1);
    // blendGraphic blends it 1:1; the copies write it unblended 1:1, doubled
    // or 2.5 times enlarged.
    virtual void drawGraphicRotated(AM_Graphic* graphic, const AM_Rect* rect, float angle,
                                    float alpha);
    virtual void drawGraphic(AM_Graphic* graphic, const AM_Rect* rect);
    virtual void blendGraphic(AM_Graphic* graphic, const AM_Rect* rect);
    virtual void copyGraphic(AM_Graphic* graphic, const AM_Rect* rect);
    virtual void copyGraphicDouble(AM_Graphic* graphic, const AM_Rect* rect);
    virtual void copyGraphicTwoAndHalf(AM_Graphic* graphic, const AM_Rect* rect);
    // The folder of the program's fonts (shared by every context).
    virtual void setFontFolder(const char* path);

    uint32_t getGlyphMode() const { return glyphMode_; }
    float getTextGamma() const { return textGamma_; }
    const char* getFontFileName() const { return fontFileName_; }
    // The GUI's font settings (the root view follows them): the glyph mode
    // is held to the known modes; a gamma or weight that is not finite is
    // refused; a font file name is cut to fit.
    void setGlyphMode(uint32_t mode);
    void setTextGamma(float gamma);
    void setFontFileName(const char* name);
    // Gamma of drawing and weight of text: kept for renderers that use them.
    void setGamma(float gamma);
    float getGamma() const { return gamma_; }
    void setFontWeight(float weight);
    float getFontWeight() const { return fontWeight_; }

protected:
    uint32_t glyphMode_ = kContextGlyphNativeMono;
    float textGamma_ = 1.0f;
    float gamma_ = 1.0f;
    float fontWeight_ = 0.0f;
    char fontFileName_[kContextFontNameBytes] = {};
    float circlePoints_[kContextCirclePoints * 2] = {};
    float zoom_ = 1.0f;
    char textBuffer_[kContextTextBytes] = {};
};
