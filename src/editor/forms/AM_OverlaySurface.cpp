#include "editor/forms/AM_OverlaySurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::FrameView;
using platform::PixelRect;

namespace {

PixelRect intersect(const PixelRect& a, const PixelRect& b)
{
    const int x1 = std::max(a.x, b.x);
    const int y1 = std::max(a.y, b.y);
    const int x2 = std::min(a.x + a.w, b.x + b.w);
    const int y2 = std::min(a.y + a.h, b.y + b.h);
    if (x2 <= x1 || y2 <= y1) {
        return PixelRect{};
    }
    return PixelRect{x1, y1, x2 - x1, y2 - y1};
}

} // namespace

AM_OverlaySurface::AM_OverlaySurface(platform::EditorWindow& window, float zoom)
    : window_(window), zoom_(std::isfinite(zoom) && zoom > 0 ? zoom : 1.0f)
{
    context_.setZoom(zoom_, 0, 0);
    fitToWindow();
}

void AM_OverlaySurface::setZoom(float zoom)
{
    if (std::isfinite(zoom) && zoom > 0) {
        zoom_ = zoom;
        context_.setZoom(zoom_, 0, 0);
    }
}

float AM_OverlaySurface::widthUnits() const
{
    return static_cast<float>(window_.width()) / zoom_;
}

float AM_OverlaySurface::heightUnits() const
{
    return static_cast<float>(window_.height()) / zoom_;
}

void AM_OverlaySurface::fitToWindow()
{
    const int w = std::max(1, window_.width());
    const int h = std::max(1, window_.height());
    if (w == width_ && h == height_) {
        return;
    }
    // The kept picture keeps what fits of it; the rest starts white.
    std::vector<uint8_t> kept(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 0xFF);
    for (int y = 0; y < std::min(h, height_); ++y) {
        std::memcpy(&kept[static_cast<size_t>(y) * static_cast<size_t>(w) * 4],
                    &kept_[static_cast<size_t>(y) * static_cast<size_t>(width_) * 4],
                    static_cast<size_t>(std::min(w, width_)) * 4);
    }
    kept_.swap(kept);
    width_ = w;
    height_ = h;
    const AM_Rect canvas{0, 0, static_cast<float>(w), static_cast<float>(h)};
    context_.setCanvas(&canvas);
}

PixelRect AM_OverlaySurface::pixelsOf(const AM_Rect& area) const
{
    if (!(area.w > 0 && area.h > 0)) {
        return PixelRect{};
    }
    // One pixel more on each side for the smoothing of edges.
    const int x1 = static_cast<int>(std::floor(area.x * zoom_)) - 1;
    const int y1 = static_cast<int>(std::floor(area.y * zoom_)) - 1;
    const int x2 = static_cast<int>(std::ceil((area.x + area.w) * zoom_)) + 1;
    const int y2 = static_cast<int>(std::ceil((area.y + area.h) * zoom_)) + 1;
    return intersect(PixelRect{x1, y1, x2 - x1, y2 - y1}, PixelRect{0, 0, width_, height_});
}

bool AM_OverlaySurface::anyShownOver(const PixelRect& r) const
{
    for (const AM_Overlay* o : overlays_) {
        if (o->overlayShown() && intersect(pixelsOf(o->overlayBounds()), r).w > 0) {
            return true;
        }
    }
    return false;
}

void AM_OverlaySurface::present(const FrameView& frame, const PixelRect& source, int destX,
                                int destY)
{
    fitToWindow();
    if (frame.pixels == nullptr) {
        return;
    }
    // Keep what reaches the window.
    const PixelRect dest =
        intersect(PixelRect{destX, destY, source.w, source.h}, PixelRect{0, 0, width_, height_});
    for (int y = 0; y < dest.h; ++y) {
        const int sy = source.y + (dest.y - destY) + y;
        const int sx = source.x + (dest.x - destX);
        if (sy < 0 || sy >= frame.height || sx < 0 || sx + dest.w > frame.width) {
            continue;
        }
        std::memcpy(&kept_[(static_cast<size_t>(dest.y + y) * static_cast<size_t>(width_) +
                            static_cast<size_t>(dest.x)) *
                           4],
                    frame.pixels + static_cast<size_t>(sy) * static_cast<size_t>(frame.stride) +
                        static_cast<size_t>(sx) * 4,
                    static_cast<size_t>(dest.w) * 4);
    }
    if (dest.w > 0 && anyShownOver(dest)) {
        compose(dest);
        return;
    }
    window_.surface().present(frame, source, destX, destY);
}

void AM_OverlaySurface::refresh(const AM_Rect& area)
{
    fitToWindow();
    const PixelRect r = pixelsOf(area);
    if (r.w > 0) {
        compose(r);
    }
}

void AM_OverlaySurface::setCaretOn(bool on)
{
    if (on == caretOn_) {
        return;
    }
    caretOn_ = on;
    for (AM_Overlay* o : overlays_) {
        if (o->overlayShown()) {
            refresh(o->overlayBounds());
        }
    }
}

void AM_OverlaySurface::compose(const PixelRect& r)
{
    agg::rendering_buffer& buffer = context_.renderingBuffer();
    for (int y = r.y; y < r.y + r.h; ++y) {
        std::memcpy(buffer.row_ptr(y) + static_cast<size_t>(r.x) * 4,
                    &kept_[(static_cast<size_t>(y) * static_cast<size_t>(width_) +
                            static_cast<size_t>(r.x)) *
                           4],
                    static_cast<size_t>(r.w) * 4);
    }
    context_.beginDraw();
    const AM_Rect clip{static_cast<float>(r.x) / zoom_, static_cast<float>(r.y) / zoom_,
                       static_cast<float>(r.w) / zoom_, static_cast<float>(r.h) / zoom_};
    context_.intersectClip(&clip);
    for (AM_Overlay* o : overlays_) {
        if (o->overlayShown()) {
            context_.pushClip();
            o->drawOverlay(context_, caretOn_);
            context_.popClip();
        }
    }
    window_.surface().present(context_.frame(), r, r.x, r.y);
}
