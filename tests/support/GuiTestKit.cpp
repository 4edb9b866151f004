#include "GuiTestKit.h"

#include <algorithm>

namespace testsupport {

HeadlessCanvas::HeadlessCanvas(float width, float height, float zoom)
    : surface_(static_cast<int>(width * zoom), static_cast<int>(height * zoom)),
      context_(&surface_), width_(width), height_(height), zoom_(zoom)
{
    context_.setZoom(zoom, width * zoom, height * zoom);
    context_.beginDraw();
}

void HeadlessCanvas::begin()
{
    context_.beginDraw();
}

void HeadlessCanvas::clear(uint32_t rgba)
{
    context_.beginDraw();
    context_.setColourPacked(rgba);
    const AM_Rect all{0, 0, width_ + 1, height_ + 1};
    context_.fillRect(&all);
}

void HeadlessCanvas::present()
{
    const AM_Rect all{0, 0, width_, height_};
    context_.blitToWindow(&all);
}

uint32_t HeadlessCanvas::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return 0;
    const uint8_t* p = context_.pixels() + static_cast<size_t>(y) * context_.bufferStride() + x * 4;
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

HeadlessCanvas::Box HeadlessCanvas::inkBox() const
{
    Box box{width(), height(), -1, -1};
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x)
            if (!isWhite(x, y)) {
                box.x1 = std::min(box.x1, x);
                box.y1 = std::min(box.y1, y);
                box.x2 = std::max(box.x2, x);
                box.y2 = std::max(box.y2, y);
            }
    return box;
}

int HeadlessCanvas::inkCount() const
{
    int count = 0;
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x)
            count += isWhite(x, y) ? 0 : 1;
    return count;
}

bool HeadlessCanvas::writePng(const std::string& path) const
{
    return testsupport::writePng(path, context_.pixels(), width(), height(),
                                 context_.bufferStride());
}

std::string HeadlessCanvas::compare(const std::string& name, int tolerance, int maxOffPixels) const
{
    return compareWithGolden(name, context_.pixels(), width(), height(), context_.bufferStride(),
                             tolerance, maxOffPixels);
}

} // namespace testsupport
