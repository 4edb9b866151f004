#include "gui/graphics/image/AM_ImageDrawing.h"

#include "gui/graphics/image/AM_BilinearSpans.h"

#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_span_converter.h>
#include <agg_span_interpolator_linear.h>
#include <agg_trans_affine.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The rasterizer, scanline and span buffers of image drawing, one set per
// drawing thread. Reached through a pointer of the initial-exec model: a
// loaded module then never calls the dynamic lookup that allocates thread
// storage on a thread's first access.
struct ImageScratch {
    agg::span_allocator<agg::rgba8> allocator;
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_u8 scanline;
};

ImageScratch& imageScratch()
{
    __attribute__((tls_model("initial-exec"))) thread_local std::unique_ptr<ImageScratch> scratch;
    if (!scratch)
        scratch = std::make_unique<ImageScratch>();
    return *scratch;
}

using PixelFormat = agg::pixfmt_bgra32;
using RendererBase = agg::renderer_base<PixelFormat>;
using Interpolator = agg::span_interpolator_linear<>;

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;
const agg::rgba8 kOutsideImage(255, 255, 255, 0);

bool clipIsEmpty(const AM_ImageTarget& target)
{
    return target.buffer == nullptr || target.buffer->buf() == nullptr ||
           target.clip.x1 > target.clip.x2 || target.clip.y1 > target.clip.y2;
}

// Multiplies the opacity of every generated pixel.
class OpacitySpans {
public:
    explicit OpacitySpans(unsigned opacity) : opacity_(opacity) {}
    void prepare() {}
    void generate(agg::rgba8* span, int, int, unsigned length) const
    {
        for (unsigned i = 0; i < length; ++i)
            span[i].a = agg::rgba8::multiply(span[i].a, agg::int8u(opacity_));
    }

private:
    unsigned opacity_;
};

// Fills the destination area (x, y) to (x + w + 1, y + h + 1) pixels, each
// side limited to the clip box widened by one pixel, with the image mapped
// through toImage (back-buffer pixel -> image pixel), at the opacity.
void drawMapped(const AM_ImageTarget& target, const AM_PixelMap& image, double x, double y,
                double w, double h, const agg::trans_affine& toImage, unsigned opacity)
{
    if (clipIsEmpty(target) || image.empty() || !(w > 0) || !(h > 0))
        return;
    const agg::rect_i& clip = target.clip;
    const double left = std::clamp(x, double(clip.x1 - 1), double(clip.x2 + 1));
    const double top = std::clamp(y, double(clip.y1 - 1), double(clip.y2 + 1));
    const double right = std::clamp(x + w + 1, double(clip.x1 - 1), double(clip.x2 + 1));
    const double bottom = std::clamp(y + h + 1, double(clip.y1 - 1), double(clip.y2 + 1));
    if (!(right > left) || !(bottom > top))
        return;

    PixelFormat pixels(*target.buffer);
    RendererBase base(pixels);
    base.clip_box(clip.x1, clip.y1, clip.x2, clip.y2);

    agg::rendering_buffer imageRows(const_cast<agg::int8u*>(image.buffer()), image.width(),
                                    image.height(), int(image.stride()));
    agg::trans_affine mapping = toImage;
    Interpolator interpolator(mapping);
    AM_BilinearSpans spans(imageRows, interpolator, kOutsideImage);
    // Kept from call to call, so that a steady redraw allocates nothing.
    ImageScratch& scratch = imageScratch();
    agg::span_allocator<agg::rgba8>& allocator = scratch.allocator;
    agg::rasterizer_scanline_aa<>& rasterizer = scratch.rasterizer;
    rasterizer.reset();
    rasterizer.move_to_d(left, top);
    rasterizer.line_to_d(right, top);
    rasterizer.line_to_d(right, bottom);
    rasterizer.line_to_d(left, bottom);
    agg::scanline_u8& scanline = scratch.scanline;
    if (opacity >= 255) {
        agg::render_scanlines_aa(rasterizer, scanline, base, allocator, spans);
    } else {
        OpacitySpans fade(opacity);
        agg::span_converter<AM_BilinearSpans, OpacitySpans> faded(spans, fade);
        agg::render_scanlines_aa(rasterizer, scanline, base, allocator, faded);
    }
}

struct PixelArea {
    double x, y, w, h;
};

PixelArea toPixels(const AM_ImageTarget& target, const AM_ImageRect& rect)
{
    const double z = target.zoom;
    return {(rect.x - target.canvasX) * z, (rect.y - target.canvasY) * z, rect.w * z, rect.h * z};
}

bool near(float value, float goal)
{
    return std::fabs(value - goal) < kImageScaleTolerance;
}

} // namespace

AM_ImagePath AM_chooseImagePath(float imageWidth, float imageHeight, bool hasAlpha,
                                const AM_ImageRect& rect, float zoom)
{
    const float sx = imageWidth / (rect.w * zoom);
    const float sy = imageHeight / (rect.h * zoom);
    if (!(imageWidth > kImageCopyMinSide && imageHeight > kImageCopyMinSide))
        return AM_ImagePath::filtered;
    if (hasAlpha)
        return sx == 1.0f && sy == 1.0f ? AM_ImagePath::blend : AM_ImagePath::filtered;
    if (sx == 1.0f && sy == 1.0f)
        return AM_ImagePath::copy;
    if (near(sx, 0.5f) && near(sy, 0.5f))
        return AM_ImagePath::copyDouble;
    if (near(sx, 0.4f) && near(sy, 0.4f))
        return AM_ImagePath::copyTwoAndHalf;
    return AM_ImagePath::filtered;
}

void AM_drawImage(const AM_ImageTarget& target, const AM_PixelMap& image, bool hasAlpha,
                  const AM_ImageRect& rect)
{
    if (image.empty())
        return;
    switch (AM_chooseImagePath(float(image.width()), float(image.height()), hasAlpha, rect,
                               target.zoom)) {
    case AM_ImagePath::copy:
        AM_copyImage(target, image, rect, 1, 1);
        return;
    case AM_ImagePath::copyDouble:
        AM_copyImage(target, image, rect, 2, 1);
        return;
    case AM_ImagePath::copyTwoAndHalf:
        AM_copyImage(target, image, rect, 5, 2);
        return;
    case AM_ImagePath::blend:
        AM_blendImage(target, image, rect);
        return;
    case AM_ImagePath::filtered:
        AM_drawImageFiltered(target, image, rect);
        return;
    }
}

void AM_drawImageFiltered(const AM_ImageTarget& target, const AM_PixelMap& image,
                          const AM_ImageRect& rect)
{
    const PixelArea area = toPixels(target, rect);
    if (image.empty() || !(area.w > 0) || !(area.h > 0))
        return;
    agg::trans_affine toImage;
    toImage *= agg::trans_affine_translation(-area.x, -area.y);
    toImage *= agg::trans_affine_scaling(image.width() / area.w, image.height() / area.h);
    drawMapped(target, image, area.x, area.y, area.w, area.h, toImage, 255);
}

void AM_drawImageRotated(const AM_ImageTarget& target, const AM_PixelMap& image,
                         const AM_ImageRect& rect, float angle, float alpha)
{
    const PixelArea area = toPixels(target, rect);
    if (image.empty() || !(area.w > 0) || !(area.h > 0) || !std::isfinite(angle))
        return;
    const float opacity = std::isfinite(alpha) ? std::clamp(alpha, 0.0f, 1.0f) : 0.0f;
    agg::trans_affine toImage;
    toImage *= agg::trans_affine_translation(-(area.x + area.w * 0.5), -(area.y + area.h * 0.5));
    toImage *= agg::trans_affine_scaling(image.width() / area.w, image.height() / area.h);
    toImage *= agg::trans_affine_rotation(angle * kDegreesToRadians);
    toImage *= agg::trans_affine_translation(image.width() * 0.5, image.height() * 0.5);
    drawMapped(target, image, area.x, area.y, area.w, area.h, toImage,
               unsigned(opacity * 255.0f + 0.5f));
}

void AM_blendImage(const AM_ImageTarget& target, const AM_PixelMap& image, const AM_ImageRect& rect)
{
    if (image.empty())
        return;
    const PixelArea area = toPixels(target, rect);
    agg::trans_affine toImage = agg::trans_affine_translation(-area.x, -area.y);
    drawMapped(target, image, area.x, area.y, image.width(), image.height(), toImage, 255);
}

void AM_copyImage(const AM_ImageTarget& target, const AM_PixelMap& image, const AM_ImageRect& rect,
                  int numerator, int denominator)
{
    if (clipIsEmpty(target) || image.empty() || numerator <= 0 || denominator <= 0)
        return;
    const PixelArea area = toPixels(target, rect);
    if (!std::isfinite(area.x) || !std::isfinite(area.y) || !std::isfinite(area.w) ||
        !std::isfinite(area.h))
        return;
    agg::rendering_buffer& buffer = *target.buffer;
    // The destination: the scaled image, no larger than rect, at rect's
    // (truncated) position, inside the clip box and the back buffer.
    const double originX = std::trunc(area.x);
    const double originY = std::trunc(area.y);
    const double scaledW =
        std::min(std::trunc(area.w), double(image.width()) * numerator / denominator);
    const double scaledH =
        std::min(std::trunc(area.h), double(image.height()) * numerator / denominator);
    const double x0 = std::max({originX, double(target.clip.x1), 0.0});
    const double y0 = std::max({originY, double(target.clip.y1), 0.0});
    const double x1 =
        std::min({originX + scaledW, double(target.clip.x2) + 1, double(buffer.width())});
    const double y1 =
        std::min({originY + scaledH, double(target.clip.y2) + 1, double(buffer.height())});
    if (!(x1 > x0) || !(y1 > y0))
        return;
    const int left = int(x0), top = int(y0), right = int(x1), bottom = int(y1);
    const int ox = int(originX), oy = int(originY);
    const size_t rowBytes = size_t(right - left) * kPixelMapBytesPerPixel;
    // Each image pixel fills a block of numerator/denominator pixels: the
    // source column advances by a running remainder, and a row that shows
    // the same image row as the one above is copied from it.
    int64_t shownRow = -1;
    const uint8_t* shownPixels = nullptr;
    for (int y = top; y < bottom; ++y) {
        const int64_t sourceY = int64_t(y - oy) * denominator / numerator;
        uint8_t* out = buffer.row_ptr(y) + size_t(left) * kPixelMapBytesPerPixel;
        if (sourceY == shownRow) {
            std::memcpy(out, shownPixels, rowBytes);
            continue;
        }
        const uint8_t* sourceRow = image.row(uint32_t(sourceY));
        const int64_t firstColumn = int64_t(left - ox) * denominator;
        if (numerator == denominator) {
            std::memcpy(out, sourceRow + size_t(firstColumn) * kPixelMapBytesPerPixel, rowBytes);
        } else {
            int64_t sourceX = firstColumn / numerator;
            int64_t remainder = firstColumn % numerator;
            for (int x = left; x < right; ++x, out += kPixelMapBytesPerPixel) {
                std::memcpy(out, sourceRow + size_t(sourceX) * kPixelMapBytesPerPixel,
                            kPixelMapBytesPerPixel);
                remainder += denominator;
                while (remainder >= numerator) {
                    remainder -= numerator;
                    ++sourceX;
                }
            }
            out -= rowBytes;
        }
        shownRow = sourceY;
        shownPixels = out;
    }
}
