#pragma once
// A decoded image: 32-bit pixels with the bytes blue, green, red, alpha,
// rows from the top, rows packed (stride 4 x width). Sizes are capped so
// that no file can ask for more memory than a GUI image needs.

#include <cstddef>
#include <cstdint>
#include <memory>

constexpr uint32_t kPixelMapBytesPerPixel = 4;
// Longest side of an image, in pixels.
constexpr uint32_t kPixelMapMaxSide = 16384;
// Most pixels in one image (64 MiB of pixel data).
constexpr uint64_t kPixelMapMaxPixels = 16ull * 1024 * 1024;

// Byte offsets of the channels inside one pixel.
constexpr int kPixelBlue = 0;
constexpr int kPixelGreen = 1;
constexpr int kPixelRed = 2;
constexpr int kPixelAlpha = 3;

// GUI thread only (like every graphic resource).
class AM_PixelMap {
public:
    AM_PixelMap() = default;
    AM_PixelMap(const AM_PixelMap&) = delete;
    AM_PixelMap& operator=(const AM_PixelMap&) = delete;
    AM_PixelMap(AM_PixelMap&& other) noexcept;
    AM_PixelMap& operator=(AM_PixelMap&& other) noexcept;

    // Whether a width x height image stays within the caps (an empty size
    // does not).
    static bool sizeAllowed(uint32_t width, uint32_t height);
    // Replaces the pixels by a width x height image with every byte set to
    // fill; false (and an empty map) when the size is not allowed or the
    // memory cannot be had.
    bool create(uint32_t width, uint32_t height, uint8_t fill = 0);
    // Drops the pixels.
    void clear();

    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    size_t stride() const { return size_t(width_) * kPixelMapBytesPerPixel; }
    bool empty() const { return pixels_ == nullptr; }
    uint8_t* buffer() { return pixels_.get(); }
    const uint8_t* buffer() const { return pixels_.get(); }
    uint8_t* row(uint32_t y) { return pixels_.get() + y * stride(); }
    const uint8_t* row(uint32_t y) const { return pixels_.get() + y * stride(); }

    // True when any pixel's alpha is below 255.
    bool hasTransparency() const;

private:
    std::unique_ptr<uint8_t[]> pixels_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
};
