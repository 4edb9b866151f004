#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

constexpr int kMaxHeadlessSide = 16384;
constexpr int kBytesPerPixel = 4;
constexpr uint8_t kWhite = 255;

} // namespace

HeadlessSurface::HeadlessSurface(int width, int height)
{
    resize(width, height);
}

void HeadlessSurface::resize(int width, int height)
{
    width_ = std::clamp(width, 0, kMaxHeadlessSide);
    height_ = std::clamp(height, 0, kMaxHeadlessSide);
    pixels_.assign(static_cast<size_t>(width_) * height_ * kBytesPerPixel, kWhite);
}

uint32_t HeadlessSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    const uint8_t* p = pixels_.data() + (static_cast<size_t>(y) * width_ + x) * kBytesPerPixel;
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void HeadlessSurface::present(const FrameView& frame, const PixelRect& source, int destX, int destY)
{
    ++presentCount_;
    lastArea_ = PixelRect{destX, destY, source.w, source.h};
    if (frame.pixels == nullptr)
        return;
    // Keep the copy inside the frame and inside this window.
    int sx = source.x, sy = source.y, w = source.w, h = source.h;
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
    if (destX < 0) {
        w += destX;
        sx -= destX;
        destX = 0;
    }
    if (destY < 0) {
        h += destY;
        sy -= destY;
        destY = 0;
    }
    w = std::min({w, frame.width - sx, width_ - destX});
    h = std::min({h, frame.height - sy, height_ - destY});
    if (w <= 0 || h <= 0)
        return;
    for (int row = 0; row < h; ++row) {
        const uint8_t* from = frame.pixels + static_cast<size_t>(sy + row) * frame.stride +
                              static_cast<size_t>(sx) * kBytesPerPixel;
        uint8_t* to =
            pixels_.data() + (static_cast<size_t>(destY + row) * width_ + destX) * kBytesPerPixel;
        std::memcpy(to, from, static_cast<size_t>(w) * kBytesPerPixel);
    }
}

} // namespace platform
