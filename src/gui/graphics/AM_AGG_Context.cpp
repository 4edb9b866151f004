#include "gui/graphics/AM_AGG_Context.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"

#include <agg_renderer_scanline.h>
#include <agg_span_gradient.h>
#include <agg_span_interpolator_linear.h>
#include <agg_trans_affine.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr double kChannelScale = 255.0;
constexpr float kDegreesToRadians = 0.017453292f;
// Ring segments: one step per this many degrees, and at most this many steps.
constexpr float kRingStepsPerDegree = 0.5f;
constexpr int kMaxRingSteps = 3600;
// Pixel coordinates beyond this are pulled in, stroke widths and gradient
// ends beyond kMaxPixelSpan too: the rasterizer keeps coordinates in 32-bit
// integers of 1/256 pixel and subtracts them from each other, the gradient
// multiplies its distances by 256 again; with these limits neither
// overflows.
constexpr double kMaxPixelCoordinate = 1.0e6;
constexpr double kMaxPixelSpan = 1.0e5;
// Integer pixel and unit positions are kept within this.
constexpr float kMaxWholeCoordinate = 1.0e8f;
constexpr uint8_t kBufferFill = 255;
constexpr int kBytesPerPixel = 4;

// Truncation toward zero, defined for NaN (0) and huge values.
int truncated(float value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, -kMaxWholeCoordinate, kMaxWholeCoordinate));
}

// Whole GUI units of a rectangle, kept in double precision so that position
// plus size neither overflows nor loses the far edge.
double wholeUnits(float value)
{
    return std::trunc(static_cast<double>(value));
}

// trunc(units * zoom) as the single-precision product gives it, within the
// range of whole pixel positions.
int unitsToPixel(double units, float zoom, float offset = 0.0f)
{
    return truncated(static_cast<float>(units) * zoom + offset);
}

bool hasNaN(const AM_Rect& r)
{
    return std::isnan(r.x) || std::isnan(r.y) || std::isnan(r.w) || std::isnan(r.h);
}

int roundedOutward(float value, bool up)
{
    if (std::isnan(value))
        return 0;
    const float limited = std::clamp(value, -kMaxWholeCoordinate, kMaxWholeCoordinate);
    return static_cast<int>(up ? std::ceil(limited) : std::floor(limited));
}

agg::int8u channelByte(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 1.0)
        return 255;
    return static_cast<agg::int8u>(value * kChannelScale + 0.5);
}

agg::rgba8 colourFromPacked(uint32_t rgba)
{
    return agg::rgba8(rgba >> 24, (rgba >> 16) & 0xFF, (rgba >> 8) & 0xFF, rgba & 0xFF);
}

bool isFiniteValue(double value)
{
    return std::isfinite(value);
}

} // namespace

AM_AGG_Context::AM_AGG_Context(platform::Surface* surface) : surface_(surface)
{
    glyphMode_ = kContextGlyphGrey;
    textGamma_ = 0.67f;
    std::strcpy(fontFileName_, "#l_10646.ttf");
    setColour(0, 0, 0, 1);
    pixelFormat_.attach(buffer_);
    rendererBase_.attach(pixelFormat_);
    rasterizer_.filling_rule(agg::fill_non_zero);
    rasterizer_.auto_close(true);
}

AM_AGG_Context::~AM_AGG_Context() = default;

void AM_AGG_Context::beginDraw()
{
    const float z = zoom_;
    clipDepth_ = 0;
    clipOverflow_ = 0;
    clipStack_[0] =
        AM_Rect{canvas_.x - canvas_.x, canvas_.y - canvas_.y, canvas_.w / z, canvas_.h / z};
    clip_ = clipStack_[0];
}

void AM_AGG_Context::setColourFromArray(const float rgba[4])
{
    if (rgba != nullptr)
        setColour(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void AM_AGG_Context::setColour(float r, float g, float b, float a)
{
    colourFloats_[0] = r;
    colourFloats_[1] = g;
    colourFloats_[2] = b;
    colourFloats_[3] = a;
    colour_[0] = r;
    colour_[1] = g;
    colour_[2] = b;
    colour_[3] = a;
    colour8_ = agg::rgba8(channelByte(r), channelByte(g), channelByte(b), channelByte(a));
}

void AM_AGG_Context::setColourPacked(uint32_t rgba)
{
    setColour(static_cast<float>(rgba >> 24) * kByteToUnit,
              static_cast<float>((rgba >> 16) & 0xFF) * kByteToUnit,
              static_cast<float>((rgba >> 8) & 0xFF) * kByteToUnit,
              static_cast<float>(rgba & 0xFF) * kByteToUnit);
}

agg::rect_i AM_AGG_Context::pixelClipBox() const
{
    const agg::rect_i empty(0, 0, -1, -1);
    // A clip without area draws nothing (also at a buffer edge where its
    // single column would be inside).
    if (!(clip_.w > 0.0f) || !(clip_.h > 0.0f) || width_ <= 0 || height_ <= 0)
        return empty;
    const float z = zoom_;
    int x1 = truncated(clip_.x * z);
    int y1 = truncated(clip_.y * z);
    int x2 = truncated((clip_.x + clip_.w) * z);
    int y2 = truncated((clip_.y + clip_.h) * z);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, width_ - 1);
    y2 = std::min(y2, height_ - 1);
    if (x1 > x2 || y1 > y2)
        return empty;
    return agg::rect_i(x1, y1, x2, y2);
}

bool AM_AGG_Context::rectCorners(const AM_Rect* r, float farEdgeShift, agg::rect_i& clip,
                                 agg::rect_i& corners) const
{
    if (r == nullptr)
        return false;
    clip = pixelClipBox();
    if (clip.x1 > clip.x2 || hasNaN(*r))
        return false;
    const double X = wholeUnits(r->x - canvas_.x);
    const double Y = wholeUnits(r->y - canvas_.y);
    const double W = wholeUnits(r->w);
    const double H = wholeUnits(r->h);
    // A reversed or empty rectangle has neither outline nor area.
    if (W <= 0 || H <= 0)
        return false;
    const float z = zoom_;
    corners = agg::rect_i(unitsToPixel(X, z), unitsToPixel(Y, z),
                          unitsToPixel(W + X, z, farEdgeShift), unitsToPixel(H + Y, z, farEdgeShift));
    return true;
}

void AM_AGG_Context::frameRect(const AM_Rect* r)
{
    agg::rect_i box, c;
    if (!rectCorners(r, 0.0f, box, c))
        return;
    // Each side is the band of pixels of one whole GUI unit: one pixel at
    // zoom 1, two at zoom 2. The far sides cover the unit at the far corner,
    // so a frame inset by half a unit lies on the outermost unit of a fill
    // of the whole rectangle at every zoom, with the weight of a one-unit
    // line.
    const float z = zoom_;
    const double X = wholeUnits(r->x - canvas_.x);
    const double Y = wholeUnits(r->y - canvas_.y);
    const double right = X + wholeUnits(r->w);
    const double bottom = Y + wholeUnits(r->h);
    const int left1 = std::max(c.x1, unitsToPixel(X + 1, z) - 1);
    const int top1 = std::max(c.y1, unitsToPixel(Y + 1, z) - 1);
    const int right1 = std::max(c.x2, unitsToPixel(right + 1, z) - 1);
    const int bottom1 = std::max(c.y2, unitsToPixel(bottom + 1, z) - 1);
    rendererBase_.clip_box(box.x1, box.y1, box.x2, box.y2);
    // Four bars that never overlap, so a see-through colour is blended
    // once per pixel.
    rendererBase_.blend_bar(c.x1, c.y1, right1, top1, colour8_, agg::cover_full);
    if (c.y2 > top1)
        rendererBase_.blend_bar(c.x1, c.y2, right1, bottom1, colour8_, agg::cover_full);
    if (c.y2 - 1 > top1) {
        rendererBase_.blend_bar(c.x1, top1 + 1, left1, c.y2 - 1, colour8_, agg::cover_full);
        if (c.x2 > left1)
            rendererBase_.blend_bar(c.x2, top1 + 1, right1, c.y2 - 1, colour8_, agg::cover_full);
    }
}

void AM_AGG_Context::fillRect(const AM_Rect* r)
{
    agg::rect_i box, c;
    if (!rectCorners(r, -1.0f, box, c))
        return;
    // At small zooms a box can shrink to nothing; it is not turned round.
    if (c.x2 < c.x1 || c.y2 < c.y1)
        return;
    rendererBase_.clip_box(box.x1, box.y1, box.x2, box.y2);
    rendererBase_.blend_bar(c.x1, c.y1, c.x2, c.y2, colour8_, agg::cover_full);
}

bool AM_AGG_Context::pixelPoint(double x, double y, double& px, double& py) const
{
    if (!isFiniteValue(x) || !isFiniteValue(y))
        return false;
    px = std::clamp(x, -kMaxPixelCoordinate, kMaxPixelCoordinate);
    py = std::clamp(y, -kMaxPixelCoordinate, kMaxPixelCoordinate);
    return true;
}

void AM_AGG_Context::addPolygonToPath(const float points[], int count, bool closed)
{
    path_.remove_all();
    if (points == nullptr || count <= 0)
        return;
    const double z = zoom_;
    for (int i = 0; i < count; ++i) {
        double px = 0, py = 0;
        if (!pixelPoint(points[2 * i] * z, points[2 * i + 1] * z, px, py)) {
            path_.remove_all();
            return;
        }
        if (i == 0)
            path_.move_to(px, py);
        else
            path_.line_to(px, py);
    }
    if (closed)
        path_.close_polygon();
}

void AM_AGG_Context::renderPath(bool stroke, double strokeWidth)
{
    if (path_.total_vertices() == 0)
        return;
    const agg::rect_i box = pixelClipBox();
    if (box.x1 > box.x2)
        return;
    rendererBase_.clip_box(box.x1, box.y1, box.x2, box.y2);
    rasterizer_.reset();
    rasterizer_.clip_box(box.x1, box.y1, box.x2 + 1, box.y2 + 1);
    if (stroke) {
        if (!isFiniteValue(strokeWidth) || strokeWidth <= 0.0)
            return;
        stroke_.width(std::min(strokeWidth, kMaxPixelSpan));
        rasterizer_.add_path(stroke_);
    } else {
        rasterizer_.add_path(path_);
    }
    agg::render_scanlines_aa_solid(rasterizer_, packedScanline_, rendererBase_, colour8_);
}

void AM_AGG_Context::drawPolyline(const float points[], int count, float width, bool closed)
{
    addPolygonToPath(points, count, closed);
    renderPath(true, static_cast<double>(width) * zoom_);
}

void AM_AGG_Context::fillPolygon(const float points[], int count)
{
    addPolygonToPath(points, count, true);
    renderPath(false, 0.0);
}

void AM_AGG_Context::drawLine(const float p0[2], const float p1[2], float width)
{
    path_.remove_all();
    if (p0 == nullptr || p1 == nullptr)
        return;
    const double z = zoom_;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!pixelPoint((p0[0] - canvas_.x) * z, (p0[1] - canvas_.y) * z, x0, y0) ||
        !pixelPoint((p1[0] - canvas_.x) * z, (p1[1] - canvas_.y) * z, x1, y1))
        return;
    path_.move_to(x0, y0);
    path_.line_to(x1, y1);
    renderPath(true, static_cast<double>(width) * zoom_);
}

void AM_AGG_Context::fillRingSegment(const float centre[2], float innerRadius, float outerRadius,
                                     float startAngle, float endAngle)
{
    path_.remove_all();
    if (centre == nullptr)
        return;
    const float z = zoom_;
    const float cx = z * centre[0] - z * canvas_.x;
    const float cy = z * centre[1] - z * canvas_.y;
    const float r1 = innerRadius * z;
    const float r2 = outerRadius * z;
    const float span = std::fabs(endAngle - startAngle) * kRingStepsPerDegree;
    const int n = std::isnan(span) ? 0 : static_cast<int>(std::min(span, float(kMaxRingSteps)));
    const float a0 = startAngle * kDegreesToRadians;
    const float a1 = endAngle * kDegreesToRadians;
    const float step = n > 0 ? (a0 - a1) / static_cast<float>(n) : 0.0f;

    bool ok = true;
    auto add = [&](float angle, float radius) {
        double px = 0, py = 0;
        if (!pixelPoint(cx + std::sin(angle) * radius, cy - std::cos(angle) * radius, px, py)) {
            ok = false;
            return;
        }
        if (path_.total_vertices() == 0)
            path_.move_to(px, py);
        else
            path_.line_to(px, py);
    };
    add(a0, r1);
    add(a0, r2);
    for (int k = 1; k < n; ++k)
        add(a0 - static_cast<float>(k) * step, r2);
    add(a1, r2);
    add(a1, r1);
    for (int k = 1; k < n; ++k)
        add(a1 + static_cast<float>(k) * step, r1);
    if (!ok) {
        path_.remove_all();
        return;
    }
    path_.close_polygon();
    renderPath(false, 0.0);
}

void AM_AGG_Context::fillPolygonGradient(const float points[], int count, const float p0[2],
                                         const float p1[2], uint32_t from, uint32_t to)
{
    if (p0 == nullptr || p1 == nullptr)
        return;
    addPolygonToPath(points, count, true);
    if (path_.total_vertices() == 0)
        return;
    const double z = zoom_;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!pixelPoint(p0[0] * z, p0[1] * z, x0, y0) || !pixelPoint(p1[0] * z, p1[1] * z, x1, y1))
        return;
    x0 = std::clamp(x0, -kMaxPixelSpan, kMaxPixelSpan);
    y0 = std::clamp(y0, -kMaxPixelSpan, kMaxPixelSpan);
    x1 = std::clamp(x1, -kMaxPixelSpan, kMaxPixelSpan);
    y1 = std::clamp(y1, -kMaxPixelSpan, kMaxPixelSpan);
    const double length = std::hypot(x1 - x0, y1 - y0);
    if (!(length >= 1.0)) {
        // Too short to show a change: the end colour.
        const agg::rgba8 solid = colour8_;
        colour8_ = colourFromPacked(to);
        renderPath(false, 0.0);
        colour8_ = solid;
        return;
    }
    const agg::rect_i box = pixelClipBox();
    if (box.x1 > box.x2)
        return;
    gradientColours_.remove_all();
    gradientColours_.add_color(0.0, colourFromPacked(from));
    gradientColours_.add_color(1.0, colourFromPacked(to));
    gradientColours_.build_lut();

    // The gradient runs along x from 0 to length in its own frame.
    agg::trans_affine toGradient = agg::trans_affine_rotation(std::atan2(y1 - y0, x1 - x0)) *
                                   agg::trans_affine_translation(x0, y0);
    toGradient.invert();
    using Interpolator = agg::span_interpolator_linear<>;
    using Gradient =
        agg::span_gradient<agg::rgba8, Interpolator, agg::gradient_x, decltype(gradientColours_)>;
    Interpolator interpolator(toGradient);
    agg::gradient_x shape;
    Gradient spans(interpolator, shape, gradientColours_, 0.0, length);

    rendererBase_.clip_box(box.x1, box.y1, box.x2, box.y2);
    rasterizer_.reset();
    rasterizer_.clip_box(box.x1, box.y1, box.x2 + 1, box.y2 + 1);
    rasterizer_.add_path(path_);
    agg::render_scanlines_aa(rasterizer_, unpackedScanline_, rendererBase_, spanAllocator_, spans);
}

void AM_AGG_Context::intersectClip(const AM_Rect* r)
{
    if (r == nullptr)
        return;
    AM_Rect& c = clip_;
    if (r->x <= c.x + c.w && r->x + r->w >= c.x && r->y <= c.y + c.h && r->y + r->h >= c.y) {
        const float x = std::max(c.x, r->x);
        const float y = std::max(c.y, r->y);
        const float right = std::min(c.x + c.w, r->x + r->w);
        const float bottom = std::min(c.y + c.h, r->y + r->h);
        c = AM_Rect{x, y, right - x, bottom - y};
    } else {
        c.w = 0;
        c.h = 0;
    }
}

void AM_AGG_Context::pushClip()
{
    if (clipDepth_ + 1 >= kClipStackRecords) {
        if (clipOverflow_ == 0)
            AM_STD::printv("clip stack full: %d nested clips", kClipStackRecords - 1);
        ++clipOverflow_;
        return;
    }
    ++clipDepth_;
    clipStack_[clipDepth_] = clip_;
}

void AM_AGG_Context::popClip()
{
    // The pop of a refused push keeps the clip as it is (no wider than the
    // clip at that push).
    if (clipOverflow_ > 0) {
        --clipOverflow_;
        return;
    }
    clip_ = clipStack_[clipDepth_];
    if (clipDepth_ > 0)
        --clipDepth_;
}

platform::FrameView AM_AGG_Context::frame() const
{
    return platform::FrameView{pixels_.data(), width_, height_, width_ * kBytesPerPixel};
}

void AM_AGG_Context::blitToWindow(const AM_Rect* r)
{
    if (r == nullptr || surface_ == nullptr || pixels_.empty())
        return;
    const float z = zoom_;
    // Rounded outward, so that a fractional zoom leaves no stale pixel at
    // the edges of the rectangle.
    const int left = roundedOutward(z * r->x, false);
    const int top = roundedOutward(z * r->y, false);
    const int right = roundedOutward(z * (r->x + r->w), true);
    const int bottom = roundedOutward(z * (r->y + r->h), true);
    if (right <= left || bottom <= top)
        return;
    const int ox = truncated(canvas_.x);
    const int oy = truncated(canvas_.y);
    int sx = left - ox, sy = top - oy;
    int destX = left, destY = top;
    int w = right - left, h = bottom - top;
    if (sx < 0) {
        w += sx;
        destX -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        destY -= sy;
        sy = 0;
    }
    w = std::min(w, width_ - sx);
    h = std::min(h, height_ - sy);
    if (w <= 0 || h <= 0)
        return;
    surface_->present(frame(), platform::PixelRect{sx, sy, w, h}, destX, destY);
}

void AM_AGG_Context::setZoom(float zoom, float width, float height)
{
    if (!std::isfinite(zoom) || zoom <= 0.0f) {
        AM_STD::printv("zoom refused: %f", static_cast<double>(zoom));
        return;
    }
    zoom_ = zoom;
    if (width != 0.0f && height != 0.0f) {
        const AM_Rect canvas{canvas_.x, canvas_.y, width, height};
        setCanvas(&canvas);
    }
}

void AM_AGG_Context::setCanvas(const AM_Rect* r)
{
    if (r == nullptr)
        return;
    auto side = [](float value) {
        if (!(value > 0.0f))
            return 0;
        return static_cast<int>(std::min(value, static_cast<float>(kMaxCanvasSide)));
    };
    const int width = side(r->w);
    const int height = side(r->h);
    canvas_ = *r;
    if (width == width_ && height == height_ && !pixels_.empty())
        return;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<size_t>(width_) * height_ * kBytesPerPixel, kBufferFill);
    buffer_.attach(pixels_.empty() ? nullptr : pixels_.data(), width_, height_,
                   width_ * kBytesPerPixel);
    pixelFormat_.attach(buffer_);
    rendererBase_.attach(pixelFormat_);
}

const AM_Rect* AM_AGG_Context::getCanvasRect() const
{
    return &canvas_;
}

void AM_AGG_Context::setWindow(platform::Surface* surface)
{
    surface_ = surface;
}
