#pragma once
// Drawing tests without a window: a software drawing context of any size
// and zoom over a headless surface, pixel reads of the back buffer and of
// what reached the surface, PNG output and the comparison with reference
// pictures (GoldenImage.h).
//
//   HeadlessCanvas canvas(200, 100, 2.0f);   // 200 x 100 GUI units at zoom 2
//   canvas.begin();
//   canvas.context().fillRect(...);
//   EXPECT_EQ(canvas.compare("my_picture_z2", 2), "");

#include "GoldenImage.h"
#include "gui/graphics/AM_AGG_Context.h"
#include "platform/Surface.h"

#include <cstdint>
#include <string>

namespace testsupport {

class HeadlessCanvas {
public:
    // A back buffer and a surface of trunc(width * zoom) x trunc(height *
    // zoom) pixels, both white.
    HeadlessCanvas(float width, float height, float zoom);

    AM_AGG_Context& context() { return context_; }
    platform::HeadlessSurface& surface() { return surface_; }

    // beginDraw with the whole canvas as clip.
    void begin();
    // Fills the whole back buffer with an opaque colour (0xRRGGBBAA).
    void clear(uint32_t rgba);
    // blitToWindow of the whole canvas.
    void present();

    int width() const { return context_.bufferWidth(); }
    int height() const { return context_.bufferHeight(); }
    // A back-buffer pixel as 0xAARRGGBB (0 outside the buffer).
    uint32_t pixel(int x, int y) const;
    // Whether a back-buffer pixel is still the white it started as.
    bool isWhite(int x, int y) const { return pixel(x, y) == 0xFFFFFFFFu; }
    // The bounding box of the pixels that differ from white: x1, y1, x2, y2
    // inclusive; x1 > x2 when every pixel is white.
    struct Box {
        int x1, y1, x2, y2;
    };
    Box inkBox() const;
    int inkCount() const;

    // Writes the back buffer as a PNG; false on failure.
    bool writePng(const std::string& path) const;
    // compareWithGolden of the back buffer.
    std::string compare(const std::string& name, int tolerance, int maxOffPixels = 0) const;

private:
    platform::HeadlessSurface surface_;
    AM_AGG_Context context_;
    float width_;
    float height_;
    float zoom_;
};

} // namespace testsupport
