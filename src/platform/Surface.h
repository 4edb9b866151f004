#pragma once
// Where the editor's back buffer is shown: the window surface that pixel
// rectangles of the drawn frame are copied to. The X11 window provides one;
// HeadlessSurface keeps the pixels in memory for tests and tools.
//
// GUI thread only.

#include <cstdint>
#include <vector>

namespace platform {

// A top-down 32-bit frame, 4 bytes a pixel in the order blue, green, red,
// alpha; stride bytes from one row to the next.
struct FrameView {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// A rectangle of whole pixels: left, top, width, height.
struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

class Surface {
public:
    virtual ~Surface() = default;
    // Copies source (a rectangle of frame, already inside it) to the window
    // with its top-left pixel at (destX, destY), without stretching. Parts
    // outside the window are dropped.
    virtual void present(const FrameView& frame, const PixelRect& source, int destX, int destY) = 0;
};

// A window that exists only in memory: every present is copied into its own
// top-down BGRA pixels, which start white.
class HeadlessSurface final : public Surface {
public:
    HeadlessSurface(int width, int height);

    void present(const FrameView& frame, const PixelRect& source, int destX, int destY) override;

    // A new size; the pixels start white again.
    void resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return width_ * 4; }
    const uint8_t* pixels() const { return pixels_.data(); }
    // The B, G, R, A bytes of one pixel as 0xAARRGGBB; 0 outside.
    uint32_t pixel(int x, int y) const;
    // What was presented: the count and the last window rectangle.
    int presentCount() const { return presentCount_; }
    PixelRect lastArea() const { return lastArea_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
    int presentCount_ = 0;
    PixelRect lastArea_;
};

} // namespace platform
