#include "ImageCanvas.h"

#include "gui/graphics/image/AM_PngWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace imagemaker {

namespace {

constexpr int kCircleSteps = 96;
constexpr int kCornerSteps = 8;
constexpr float kPi = 3.14159265f;

std::vector<float> circlePoints(float cx, float cy, float r)
{
    std::vector<float> points;
    points.reserve(kCircleSteps * 2);
    for (int i = 0; i < kCircleSteps; ++i) {
        const float a = 2.0f * kPi * float(i) / float(kCircleSteps);
        points.push_back(cx + r * std::cos(a));
        points.push_back(cy + r * std::sin(a));
    }
    return points;
}

std::vector<float> roundRectPoints(float x, float y, float w, float h, float r)
{
    r = std::clamp(r, 0.0f, std::min(w, h) / 2);
    const float corners[4][3] = {{x + w - r, y + r, -90.0f},
                                 {x + w - r, y + h - r, 0.0f},
                                 {x + r, y + h - r, 90.0f},
                                 {x + r, y + r, 180.0f}};
    std::vector<float> points;
    for (const auto& c : corners) {
        for (int i = 0; i <= kCornerSteps; ++i) {
            const float a = (c[2] + 90.0f * float(i) / float(kCornerSteps)) * kPi / 180.0f;
            points.push_back(c[0] + r * std::cos(a));
            points.push_back(c[1] + r * std::sin(a));
        }
    }
    return points;
}

} // namespace

ImageCanvas::ImageCanvas(float width, float height) : width_(width), height_(height)
{
    context_.setZoom(kPixelScale, 0.0f, 0.0f);
    const AM_Rect canvas{0, 0, std::round(width * kPixelScale), std::round(height * kPixelScale)};
    context_.setCanvas(&canvas);
    context_.beginDraw();
    agg::rendering_buffer& buffer = context_.renderingBuffer();
    for (unsigned row = 0; row < buffer.height(); ++row)
        std::memset(buffer.row_ptr(int(row)), 0, size_t(buffer.width()) * 4);
}

void ImageCanvas::fillCircle(float cx, float cy, float radius, uint32_t rgba)
{
    const std::vector<float> points = circlePoints(cx, cy, radius);
    context_.setColourPacked(rgba);
    context_.fillPolygon(points.data(), int(points.size() / 2));
}

void ImageCanvas::fillCircleGradient(float cx, float cy, float radius, uint32_t top,
                                     uint32_t bottom)
{
    const std::vector<float> points = circlePoints(cx, cy, radius);
    const float p0[2] = {cx, cy - radius};
    const float p1[2] = {cx, cy + radius};
    context_.fillPolygonGradient(points.data(), int(points.size() / 2), p0, p1, top, bottom);
}

void ImageCanvas::fillRoundRect(float x, float y, float w, float h, float radius, uint32_t rgba)
{
    const std::vector<float> points = roundRectPoints(x, y, w, h, radius);
    context_.setColourPacked(rgba);
    context_.fillPolygon(points.data(), int(points.size() / 2));
}

void ImageCanvas::fillRoundRectGradient(float x, float y, float w, float h, float radius,
                                        uint32_t top, uint32_t bottom)
{
    const std::vector<float> points = roundRectPoints(x, y, w, h, radius);
    const float p0[2] = {x, y};
    const float p1[2] = {x, y + h};
    context_.fillPolygonGradient(points.data(), int(points.size() / 2), p0, p1, top, bottom);
}

void ImageCanvas::fillRectGradient(float x, float y, float w, float h, uint32_t top,
                                   uint32_t bottom)
{
    const float points[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
    const float p0[2] = {x, y};
    const float p1[2] = {x, y + h};
    context_.fillPolygonGradient(points, 4, p0, p1, top, bottom);
}

const uint8_t* ImageCanvas::straightPixels()
{
    // The renderer blends onto the transparent start as premultiplied
    // colour; PNG wants straight colour.
    if (straight_)
        return context_.pixels();
    straight_ = true;
    agg::rendering_buffer& buffer = context_.renderingBuffer();
    for (unsigned row = 0; row < buffer.height(); ++row) {
        uint8_t* p = buffer.row_ptr(int(row));
        for (unsigned x = 0; x < buffer.width(); ++x, p += 4) {
            const unsigned alpha = p[3];
            if (alpha == 0) {
                p[0] = p[1] = p[2] = 0;
            } else if (alpha < 255) {
                for (int c = 0; c < 3; ++c)
                    p[c] = uint8_t(std::min(255u, (p[c] * 255u + alpha / 2) / alpha));
            }
        }
    }
    return context_.pixels();
}

bool ImageCanvas::writePng(const std::string& path, std::string* error)
{
    const uint8_t* pixels = straightPixels();
    return AM_writePngFile(path.c_str(), pixels, pixelWidth(), pixelHeight(),
                           context_.bufferStride(), error);
}

} // namespace imagemaker
