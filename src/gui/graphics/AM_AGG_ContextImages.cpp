// Images of the software renderer: graphics with a decoded image drawn by
// the paths of AM_ImageDrawing inside the current clip.
#include "gui/graphics/AM_AGG_Context.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/image/AM_PixelMap.h"

AM_ImageTarget AM_AGG_Context::imageTarget()
{
    AM_ImageTarget target;
    target.buffer = &buffer_;
    target.clip = pixelClipBox();
    target.zoom = zoom_;
    target.canvasX = canvas_.x;
    target.canvasY = canvas_.y;
    return target;
}

const AM_PixelMap* AM_AGG_Context::imageOf(AM_Graphic* graphic, bool traceMissing) const
{
    const AM_PixelMap* image = graphic != nullptr ? graphic->getPixelMap() : nullptr;
    if (image == nullptr || image->empty()) {
        if (traceMissing)
            AM_STD::printv("Graphic is NULL");
        return nullptr;
    }
    return image;
}

namespace {
AM_ImageRect imageRect(const AM_Rect& r)
{
    return {r.x, r.y, r.w, r.h};
}
} // namespace

void AM_AGG_Context::drawGraphic(AM_Graphic* graphic, const AM_Rect* rect)
{
    const AM_PixelMap* image = imageOf(graphic, false);
    if (image == nullptr || rect == nullptr || buffer_.buf() == nullptr)
        return;
    AM_drawImage(imageTarget(), *image, graphic->hasAlpha(), imageRect(*rect));
}

void AM_AGG_Context::drawGraphicRotated(AM_Graphic* graphic, const AM_Rect* rect, float angle,
                                        float alpha)
{
    const AM_PixelMap* image = imageOf(graphic, true);
    if (image == nullptr || rect == nullptr || buffer_.buf() == nullptr)
        return;
    AM_drawImageRotated(imageTarget(), *image, imageRect(*rect), angle, alpha);
}

void AM_AGG_Context::drawAGGImage(const void*, const AM_Rect*)
{
    AM_STD::printv("AM_AGG_Context::drawAGGImage ( agg::pixel_map* inImage, AM_Rect* inRect )");
}

void AM_AGG_Context::blendGraphic(AM_Graphic* graphic, const AM_Rect* rect)
{
    const AM_PixelMap* image = imageOf(graphic, false);
    if (image == nullptr || rect == nullptr || buffer_.buf() == nullptr)
        return;
    AM_blendImage(imageTarget(), *image, imageRect(*rect));
}

void AM_AGG_Context::copyGraphic(AM_Graphic* graphic, const AM_Rect* rect)
{
    const AM_PixelMap* image = imageOf(graphic, true);
    if (image == nullptr || rect == nullptr || buffer_.buf() == nullptr)
        return;
    AM_copyImage(imageTarget(), *image, imageRect(*rect), 1, 1);
}

void AM_AGG_Context::copyGraphicDouble(AM_Graphic* graphic, const AM_Rect* rect)
{
    const AM_PixelMap* image = imageOf(graphic, true);
    if (image == nullptr || rect == nullptr || buffer_.buf() == nullptr)
        return;
    AM_copyImage(imageTarget(), *image, imageRect(*rect), 2, 1);
}

void AM_AGG_Context::copyGraphicTwoAndHalf(AM_Graphic* graphic, const AM_Rect* rect)
{
    const AM_PixelMap* image = imageOf(graphic, true);
    if (image == nullptr || rect == nullptr || buffer_.buf() == nullptr)
        return;
    AM_copyImage(imageTarget(), *image, imageRect(*rect), 5, 2);
}
