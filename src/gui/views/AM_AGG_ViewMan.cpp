#include "gui/views/AM_AGG_ViewMan.h"

#include "gui/graphics/AM_AGG_Graphic.h"

#include <cmath>

AM_AGG_ViewMan::AM_AGG_ViewMan(AM_View_Interface* interface, void* owner, void* ownerWindow,
                               platform::Surface* window)
    : AM_ViewMan(interface, owner, ownerWindow), window_(window)
{
    context_ = std::make_unique<AM_AGG_Context>(window);
}

AM_AGG_ViewMan::~AM_AGG_ViewMan()
{
    // Nothing may answer to this view manager once it is gone.
    closeShownMenu();
    closeQuestion();
    if (dialogs_.prompt != nullptr && dialogs_.prompt->isOpen()) {
        dialogs_.prompt->close();
    }
    if (dialogs_.saveForm != nullptr && dialogs_.saveForm->isOpen()) {
        dialogs_.saveForm->close();
    }
}

void AM_AGG_ViewMan::setDialogs(const AM_PlatformDialogs& dialogs)
{
    if (dialogs.menus != dialogs_.menus) {
        closeShownMenu();
    }
    if (dialogs.question != dialogs_.question) {
        closeQuestion();
    }
    dialogs_ = dialogs;
}

bool AM_AGG_ViewMan::init(const AM_Rect* bounds)
{
    const bool ok = AM_ViewMan::init(bounds);
    if (bounds != nullptr) {
        canvasBounds_ = *bounds;
    }
    // An opened GUI sets the canvas: its size at the zoom.
    if (AM_ViewControl* top = getTopControl(); top != nullptr && bounds != nullptr) {
        const AM_Rect size = top->getBounds();
        canvasBounds_.w = std::trunc(std::trunc(size.w) * getZoom());
        canvasBounds_.h = std::trunc(std::trunc(size.h) * getZoom());
    }
    applyCanvas();
    return ok;
}

void AM_AGG_ViewMan::setZoom(float zoom)
{
    AM_ViewMan::setZoom(zoom);
    if (AM_ViewControl* top = getTopControl(); top != nullptr && getZoom() == zoom) {
        const AM_Rect size = top->getBounds();
        canvasBounds_.w = std::trunc(std::trunc(size.w) * zoom);
        canvasBounds_.h = std::trunc(std::trunc(size.h) * zoom);
    }
}

bool AM_AGG_ViewMan::handleMouseDown(float x, float y, uint32_t buttons)
{
    return AM_ViewMan::handleMouseDown(x, y, buttons);
}

AM_Context* AM_AGG_ViewMan::getContext()
{
    return context_.get();
}

void AM_AGG_ViewMan::applyCanvas()
{
    if (!context_) {
        return;
    }
    AM_Rect canvas = canvasBounds_;
    canvas.w = std::trunc(canvas.w);
    canvas.h = std::trunc(canvas.h);
    context_->setCanvas(&canvas);
    if (const char* fonts = getPath(kPathFonts)) {
        context_->setFontFolder(fonts);
    }
}

AM_Graphic* AM_AGG_ViewMan::createGraphic(const char* fullPath, const char* fileName,
                                          uint32_t alternative)
{
    if (fullPath == nullptr || fileName == nullptr) {
        return nullptr;
    }
    return new AM_AGG_Graphic(this, fullPath, fileName, alternative);
}
