#include "gui/graphics/image/AM_PixelMap.h"

#include <cstring>
#include <new>
#include <utility>

namespace {
constexpr uint8_t kOpaque = 255;
}

AM_PixelMap::AM_PixelMap(AM_PixelMap&& other) noexcept
{
    *this = std::move(other);
}

AM_PixelMap& AM_PixelMap::operator=(AM_PixelMap&& other) noexcept
{
    if (this != &other) {
        pixels_ = std::move(other.pixels_);
        width_ = other.width_;
        height_ = other.height_;
        other.width_ = 0;
        other.height_ = 0;
    }
    return *this;
}

bool AM_PixelMap::sizeAllowed(uint32_t width, uint32_t height)
{
    return width > 0 && height > 0 && width <= kPixelMapMaxSide && height <= kPixelMapMaxSide &&
           uint64_t(width) * height <= kPixelMapMaxPixels;
}

bool AM_PixelMap::create(uint32_t width, uint32_t height, uint8_t fill)
{
    clear();
    if (!sizeAllowed(width, height))
        return false;
    const size_t bytes = size_t(width) * height * kPixelMapBytesPerPixel;
    pixels_.reset(new (std::nothrow) uint8_t[bytes]);
    if (pixels_ == nullptr)
        return false;
    std::memset(pixels_.get(), fill, bytes);
    width_ = width;
    height_ = height;
    return true;
}

void AM_PixelMap::clear()
{
    pixels_.reset();
    width_ = 0;
    height_ = 0;
}

bool AM_PixelMap::hasTransparency() const
{
    if (empty())
        return false;
    const size_t count = size_t(width_) * height_;
    const uint8_t* pixel = pixels_.get();
    for (size_t i = 0; i < count; ++i, pixel += kPixelMapBytesPerPixel)
        if (pixel[kPixelAlpha] < kOpaque)
            return true;
    return false;
}
