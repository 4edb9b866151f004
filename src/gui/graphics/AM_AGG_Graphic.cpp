#include "gui/graphics/AM_AGG_Graphic.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/image/AM_ImageCache.h"
#include "gui/graphics/image/AM_PixelMap.h"
#include "gui/graphics/image/AM_PngFile.h"

#include <algorithm>

AM_AGG_Graphic::AM_AGG_Graphic(AM_GuiServices* services, const char* fullPath, const char* fileName,
                               uint32_t key)
    : AM_PngGraphic(services, fileName, key), fullPath_(fullPath != nullptr ? fullPath : "")
{
    constexpr size_t kExtensionLength = 4;
    std::string name;
    if (fileName_.size() > kExtensionLength)
        name = fileName_.substr(0, std::min(fileName_.size() - kExtensionLength, kMaxNameFromFile));
    setName(name.c_str());
}

AM_AGG_Graphic::~AM_AGG_Graphic()
{
    releaseImage();
}

bool AM_AGG_Graphic::hasImage() const
{
    return image_ != nullptr && !image_->empty();
}

void AM_AGG_Graphic::load(uint32_t argument)
{
    AM_Graphic::load(argument);
    if (image_ != nullptr)
        return;
    image_ = AM_ImageCache::acquire(fullPath_, fileName_);
    if (image_ == nullptr) {
        auto decoded = std::make_unique<AM_PixelMap>();
        AM_PngBudget budget;
        budget.maxBytes = AM_ImageCache::bytesLeft();
        if (!AM_readPngFile(fullPath_.c_str(), *decoded, &budget)) {
            if (budget.refused)
                AM_STD::printv("Image '%s' (%d x %d) is not loaded: the images would take more "
                               "than %d MiB; its control is drawn without it",
                               fullPath_.c_str(), int(budget.width), int(budget.height),
                               int(AM_ImageCache::budgetBytes() >> 20));
            failedImage_ = std::move(decoded);
            image_ = failedImage_.get();
            return;
        }
        image_ = AM_ImageCache::add(fullPath_, fileName_, std::move(decoded));
    }
    setWidth(float(image_->width()));
    setHeight(float(image_->height()));
    hasAlpha_ = image_->hasTransparency();
    if (!hasAlpha_ && services_ != nullptr && services_->isEditMode()) {
        hasAlpha_ = true;
        AM_STD::printv("overriding Alpha - %s\n", fileName_.c_str());
    }
}

void AM_AGG_Graphic::releaseImage()
{
    if (image_ == nullptr)
        return;
    if (image_ != failedImage_.get())
        AM_ImageCache::release(image_);
    failedImage_.reset();
    image_ = nullptr;
}

float AM_AGG_Graphic::getWidth() const
{
    return hasImage() ? float(image_->width()) : width_;
}

float AM_AGG_Graphic::getHeight() const
{
    return hasImage() ? float(image_->height()) : height_;
}

const AM_PixelMap* AM_AGG_Graphic::getPixelMap() const
{
    return hasImage() ? image_ : nullptr;
}

void AM_AGG_Graphic::draw(AM_Context* context, const AM_Rect* rect, float)
{
    if (context != nullptr)
        context->drawGraphic(this, rect);
}

void AM_AGG_Graphic::drawRotated(AM_Context* context, const AM_Rect* rect, float, float angle,
                                 float alpha)
{
    if (context != nullptr)
        context->drawGraphicRotated(this, rect, angle, alpha);
}
