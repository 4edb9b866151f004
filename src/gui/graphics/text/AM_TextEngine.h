#pragma once
// Text through Anti-Grain Geometry's FreeType font engine and its glyph
// cache: measuring a line, placing it by alignment, and drawing it into a
// 32-bit BGRA back buffer. One engine per drawing context; the font size,
// font folder and font files come from AM_FontSettings.
//
// GUI thread only.

#include <agg_basics.h>
#include <agg_color_rgba.h>
#include <agg_rendering_buffer.h>

#include <cstdint>
#include <memory>

// How glyphs are rendered: the font engine's rendering kinds.
enum AM_GlyphMode : uint32_t {
    kGlyphNativeMono = 0, // 1-bit from FreeType
    kGlyphNativeGrey = 1, // 8-bit coverage from FreeType
    kGlyphOutline = 2,    // outlines filled by our rasterizer
    kGlyphMono = 3,       // 1-bit, rasterised by the font engine
    kGlyphGrey = 4,       // 8-bit coverage, rasterised by the font engine
};

// The text settings of one drawing context.
struct AM_TextStyle {
    const char* fontFileName = "Vera.ttf";
    uint32_t glyphMode = kGlyphGrey; // any other value counts as native mono
    float gamma = 1.0f;
    bool hinting = true;
    bool kerning = true;
};

// Horizontal alignment codes of drawText.
enum AM_TextAlign { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

// Largest glyph size drawn or measured, in pixels; larger sizes are reduced
// to it.
constexpr double kMaxGlyphPixels = 1024.0;

class AM_TextEngine {
public:
    AM_TextEngine();
    ~AM_TextEngine();
    AM_TextEngine(const AM_TextEngine&) = delete;
    AM_TextEngine& operator=(const AM_TextEngine&) = delete;

    // The advance width of the text in GUI units at the shared font size
    // (independent of any zoom), kerning included; 0 when the measuring font
    // cannot be loaded or the size is not above 0.
    float textWidth(const char* text, const AM_TextStyle& style);

    // Draws one line of text with the pen starting at (penX, penY) pixels of
    // the buffer (the baseline's left end), glyphs pixelSize pixels high, in
    // colour, inside the inclusive clip box of the buffer. A font that cannot
    // be loaded draws nothing ("No load font, arrrgh!" on the standard
    // output); a character without glyph is skipped ("no glyph...").
    void drawLine(agg::rendering_buffer& buffer, const agg::rect_i& clip, const agg::rgba8& colour,
                  const char* text, double penX, double penY, double pixelSize,
                  const AM_TextStyle& style);

    // Where drawText puts the pen (in GUI units, before zooming) for a line
    // textWidth units wide in the rectangle (x, y, w, h): the baseline lies at
    // y + fontSize, or with vCentre in the middle of the rectangle for a text
    // fontSize high; the start by alignment, with the width truncated to
    // whole units.
    static void penStart(float x, float y, float w, float h, float fontSize, float textWidth,
                         int hAlign, bool vCentre, double& penX, double& penY);

    // Code points of UTF-8 text: well-formed sequences give their code
    // point (beyond U+FFFF the replacement character), every other byte its
    // own value. Advances text past what it read; 0 at the end.
    static uint32_t nextCodePoint(const char*& text);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
