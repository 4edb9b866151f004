#pragma once
// A transparent picture drawn with the project's renderer in GUI units at a
// pixel scale (2: every unit two pixels, so that an image is sharp at the
// largest usual zoom and filtered down at zoom 1), written as a PNG with
// straight (not premultiplied) alpha.

#include "gui/graphics/AM_AGG_Context.h"

#include <cstdint>
#include <string>

namespace imagemaker {

// Pixels per GUI unit of every generated image.
constexpr float kPixelScale = 2.0f;

class ImageCanvas {
public:
    // A canvas of width x height GUI units, fully transparent.
    ImageCanvas(float width, float height);

    AM_AGG_Context& context() { return context_; }
    float width() const { return width_; }
    float height() const { return height_; }

    // A filled circle; a circle filled with a vertical gradient from `top`
    // to `bottom` (packed 0xRRGGBBAA).
    void fillCircle(float cx, float cy, float radius, uint32_t rgba);
    void fillCircleGradient(float cx, float cy, float radius, uint32_t top, uint32_t bottom);
    // A rectangle with rounded corners, filled flat or with a vertical
    // gradient.
    void fillRoundRect(float x, float y, float w, float h, float radius, uint32_t rgba);
    void fillRoundRectGradient(float x, float y, float w, float h, float radius, uint32_t top,
                               uint32_t bottom);
    // A vertical gradient over a plain rectangle.
    void fillRectGradient(float x, float y, float w, float h, uint32_t top, uint32_t bottom);

    // Writes the picture; false with a reason.
    bool writePng(const std::string& path, std::string* error);
    // The picture's bytes as written (straight alpha, top-down BGRA); the
    // picture is finished by the first call (draw nothing after it).
    const uint8_t* straightPixels();
    int pixelWidth() const { return context_.bufferWidth(); }
    int pixelHeight() const { return context_.bufferHeight(); }

private:
    AM_AGG_Context context_{nullptr};
    bool straight_ = false;
    float width_;
    float height_;
};

} // namespace imagemaker
