#pragma once
// The software renderer: draws into a top-down 32-bit BGRA back buffer it
// owns with Anti-Grain Geometry (rectangles solid and without anti-aliasing,
// lines, polylines, polygons and ring segments anti-aliased) and copies
// rectangles of it to a window surface on request.
//
// GUI units map to back-buffer pixels by the canvas origin and the zoom:
// pixel = (unit - canvas origin) * zoom. Every primitive draws inside the
// current clip (a stack of 8 records, reset by beginDraw).
//
// GUI thread only. Drawing allocates nothing once the buffers have grown to
// the sizes the drawing needs.

#include "gui/graphics/AM_Context.h"
#include "gui/graphics/image/AM_ImageDrawing.h"
#include "gui/graphics/text/AM_TextEngine.h"
#include "platform/Surface.h"

#include <agg_basics.h>
#include <agg_color_rgba.h>
#include <agg_conv_stroke.h>
#include <agg_gradient_lut.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_bin.h>
#include <agg_scanline_p.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>

#include <cstdint>
#include <vector>

// Records of the clip stack: the base clip and 7 nested pushes.
constexpr int kClipStackRecords = 8;
// Largest side of the back buffer in pixels; larger canvases are cut to it.
constexpr int kMaxCanvasSide = 16384;

class AM_AGG_Context : public AM_Context {
public:
    using PixelFormat = agg::pixfmt_bgra32;
    using RendererBase = agg::renderer_base<PixelFormat>;

    // Opaque black, no back buffer until setCanvas; surface may be null (then
    // blitToWindow does nothing).
    explicit AM_AGG_Context(platform::Surface* surface);
    ~AM_AGG_Context() override;

    void beginDraw() override;
    void setColourFromArray(const float rgba[4]) override;
    void setColour(float r, float g, float b, float a) override;
    void setColourPacked(uint32_t rgba) override;

    void drawPolyline(const float points[], int count, float width, bool closed) override;
    void fillPolygon(const float points[], int count) override;
    void drawLine(const float p0[2], const float p1[2], float width) override;
    void frameRect(const AM_Rect* r) override;
    void fillRect(const AM_Rect* r) override;
    void fillRingSegment(const float centre[2], float innerRadius, float outerRadius,
                         float startAngle, float endAngle) override;

    void intersectClip(const AM_Rect* r) override;
    void pushClip() override;
    void popClip() override;
    // Copies the rectangle r (GUI units) of the back buffer to the surface,
    // rounded outward to whole pixels.
    void blitToWindow(const AM_Rect* r) override;
    // A zoom that is not a finite number above 0 is refused (the old one
    // stays).
    void setZoom(float zoom, float width, float height) override;

    // x, y: the canvas origin in GUI units; w, h: back-buffer size in pixels.
    // A new size makes a new back buffer, all white; the same size keeps the
    // contents.
    virtual void setCanvas(const AM_Rect* r);
    virtual const AM_Rect* getCanvasRect() const;
    virtual void setWindow(platform::Surface* surface);

    // Text in TrueType fonts (the size, font folder and font files are
    // shared by every context of the process).
    void setFontSize(float size) override;
    // Not zoomed: the same at every zoom.
    float getTextWidth(const char* text) override;
    void drawText(const char* text, const AM_Rect* r, int hAlign, bool vCentre) override;
    void setFontFolder(const char* path) override;
    void setKerning(bool on) { kerning_ = on; }
    void setHinting(bool on) { hinting_ = on; }
    bool getKerning() const { return kerning_; }
    bool getHinting() const { return hinting_; }

    void drawGraphicRotated(AM_Graphic* graphic, const AM_Rect* rect, float angle,
                            float alpha) override;
    void drawGraphic(AM_Graphic* graphic, const AM_Rect* rect) override;
    // Writes its own signature to the trace and draws nothing.
    void drawAGGImage(const void* image, const AM_Rect* rect);
    void blendGraphic(AM_Graphic* graphic, const AM_Rect* rect) override;
    void copyGraphic(AM_Graphic* graphic, const AM_Rect* rect) override;
    void copyGraphicDouble(AM_Graphic* graphic, const AM_Rect* rect) override;
    void copyGraphicTwoAndHalf(AM_Graphic* graphic, const AM_Rect* rect) override;

    // A linear gradient: the polygon (points in GUI units, like fillPolygon)
    // filled from colour `from` at point p0 to colour `to` at point p1
    // (packed 0xRRGGBBAA), constant beyond both ends.
    void fillPolygonGradient(const float points[], int count, const float p0[2], const float p1[2],
                             uint32_t from, uint32_t to);

    // For the text and image drawing of this context and for tests.
    agg::rendering_buffer& renderingBuffer() { return buffer_; }
    const uint8_t* pixels() const { return pixels_.data(); }
    int bufferWidth() const { return width_; }
    int bufferHeight() const { return height_; }
    int bufferStride() const { return width_ * 4; }
    platform::FrameView frame() const;
    // The current clip in back-buffer pixels, both ends inclusive; x1 > x2
    // when nothing can be drawn.
    agg::rect_i pixelClipBox() const;
    // The current colour as the renderer's 8-bit colour.
    agg::rgba8 colour8() const { return colour8_; }
    const AM_Rect& currentClip() const { return clip_; }
    uint32_t clipDepth() const { return clipDepth_; }

protected:
    AM_TextStyle textStyle() const;
    AM_ImageTarget imageTarget();
    // The graphic's image for the copying and rotated paths; "Graphic is
    // NULL" on the trace when there is none.
    const AM_PixelMap* imageOf(AM_Graphic* graphic, bool traceMissing) const;

    // The pixel corners of a rectangle in GUI units (the far edges moved by
    // farEdgeShift pixels) and the clip box; false when nothing is drawn.
    bool rectCorners(const AM_Rect* r, float farEdgeShift, agg::rect_i& clip,
                     agg::rect_i& corners) const;
    // Maps a point in GUI units (origin subtracted or not) to pixels.
    bool pixelPoint(double x, double y, double& px, double& py) const;
    // Fills path_ with the anti-aliased rasterizer inside the clip box.
    void renderPath(bool stroke, double strokeWidth);
    void addPolygonToPath(const float points[], int count, bool closed);

    platform::Surface* surface_;
    AM_Rect canvas_;
    double colour_[4] = {0, 0, 0, 1};
    float colourFloats_[4] = {0, 0, 0, 1};
    agg::rgba8 colour8_{0, 0, 0, 255};

    std::vector<uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    agg::rendering_buffer buffer_;
    PixelFormat pixelFormat_;
    RendererBase rendererBase_;
    agg::rasterizer_scanline_aa<> rasterizer_;
    agg::scanline_p8 packedScanline_;
    agg::scanline_u8 unpackedScanline_;
    agg::scanline_bin binaryScanline_;
    agg::path_storage path_;
    agg::conv_stroke<agg::path_storage> stroke_{path_};
    agg::gradient_lut<agg::color_interpolator<agg::rgba8>, 256> gradientColours_;
    agg::span_allocator<agg::rgba8> spanAllocator_;

    AM_TextEngine text_;
    bool kerning_ = true;
    bool hinting_ = true;

    uint32_t clipDepth_ = 0;
    // Pushes refused because the stack was full; their pops are refused too.
    uint32_t clipOverflow_ = 0;
    AM_Rect clipStack_[kClipStackRecords] = {};
    AM_Rect clip_;
};
