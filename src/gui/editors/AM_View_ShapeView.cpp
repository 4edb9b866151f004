#include "gui/editors/AM_View_ShapeView.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/AM_Shape.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "ShapeEditView";
constexpr uint32_t kRequestReply = 13;

constexpr uint32_t kFloatTypes[] = {k_kindFloat};
const AM_ListenerDescriptor kListeners[] = {
    {0, "Value", 1, kFloatTypes},
    {1, "Preview Width", 1, kFloatTypes},
    {2, "Preview Height", 1, kFloatTypes},
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background"};

constexpr uint32_t kFrameColour = 0xFFFFFF40u;
constexpr uint32_t kNameColour = 0xFFFFFFC0u;
constexpr float kNoShapeFontSize = 24.0f;
constexpr float kFontSize = 8.0f;
// The middle preview shrinks to this fraction of each side at size 0.
constexpr float kSmallest = 0.2f;
constexpr const char* kNoShapeLabel = "shape lab";

constexpr const char* kLinkTexts[AM_View_ShapeView::kMaxLinks] = {
    "colour 1", "colour 2", "colour 3", "colour 4", "colour 5",
    "colour 6", "colour 7", "colour 8", "colour 9", "colour 10"};

void frame(AM_Context* context, const AM_Rect& r)
{
    const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(points, 4, 1.0f, true);
}

} // namespace

AM_View_ShapeView::AM_View_ShapeView(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "ShapeView %u", unsigned(getId()));
    setName(name);
    initControl(0, 0, nullptr, 3, kListeners, 1, kColourNames, 1, kGraphicNames, false);
    layout();
}

AM_ViewControl* AM_View_ShapeView::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_ShapeView(viewMan, bounds);
    view->setFactory(&AM_View_ShapeView::create);
    return view;
}

const char* AM_View_ShapeView::getTypeName() const
{
    return kTypeName;
}

void AM_View_ShapeView::boundsChanged()
{
    AM_ViewControl::boundsChanged();
    layout();
}

void AM_View_ShapeView::layout()
{
    const AM_Rect& b = bounds_;
    float s = b.w;
    if (b.h - kStripHeight < b.w)
        s = b.h - kStripHeight;
    // A control lower than the strip has no room for previews.
    s = std::max(s, 0.0f);
    const float d = std::floor((b.w - s) / 2);
    previewA_ = AM_Rect{b.x, b.y, s, s};
    previewC_ = AM_Rect{b.x + d, b.y, s, s};
    previewB_ = AM_Rect{b.x + 2 * d, b.y, s, s};
    strip_ = AM_Rect{b.x, b.y + b.h - kStripHeight, b.w, kStripHeight};
}

// --- Messages and listeners.

void AM_View_ShapeView::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                       void* ptr)
{
    switch (message) {
    case kCtlMsgGraphicChanged:
        if (shape_ != nullptr && ptr == static_cast<AM_Graphic*>(shape_))
            redraw();
        break;
    case kGuiMsgColourReply:
        if (auto* colour = dynamic_cast<AM_Colour*>(sender);
            colour != nullptr && shape_ != nullptr && ptr != nullptr && viewMan_ != nullptr) {
            uint32_t first = 0;
            std::memcpy(&first, ptr, sizeof first);
            const int links = std::min(shape_->getLinkCount(), kMaxLinks);
            for (int i = 0; i < links; ++i)
                viewMan_->addMenuItem(first + uint32_t(i),
                                      AM_menuCommand(uint32_t(i), kColourLinkCode),
                                      colour->getName(), 0, 0, colour);
        }
        break;
    case kGuiMsgGraphicReply:
        if (auto* graphic = dynamic_cast<AM_Graphic*>(sender);
            graphic != nullptr && graphic->getKind() == AM_Graphic::kShape && ptr != nullptr &&
            viewMan_ != nullptr) {
            uint32_t subMenu = 0;
            std::memcpy(&subMenu, ptr, sizeof subMenu);
            viewMan_->addMenuItem(subMenu, kSelectShapeCode, graphic->getName(), 0, 0, graphic);
        }
        break;
    default:
        break;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_ShapeView::listenerValueChanged(int32_t i, const void* value)
{
    float v = 0.0f;
    if (value == nullptr)
        return;
    std::memcpy(&v, value, sizeof v);
    if (!std::isfinite(v))
        return;
    // The previews lie between the shape's two states and inside their
    // square: values are held to 0..1.
    v = std::clamp(v, 0.0f, 1.0f);
    const float s = side();
    const float size = std::trunc(((1.0f - kSmallest) * v + kSmallest) * s + 0.5f);
    switch (i) {
    case kValue:
        value_ = v;
        break;
    case kPreviewWidth:
        previewWidth_ = v;
        if (shape_ != nullptr)
            shape_->setWidth(size);
        break;
    case kPreviewHeight:
        previewHeight_ = v;
        if (shape_ != nullptr)
            shape_->setHeight(size);
        break;
    default:
        return;
    }
    redraw();
}

// --- Gestures.

bool AM_View_ShapeView::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr)
        return false;
    const AM_Rect& r = strip_;
    const bool inStrip = point[0] >= r.x && point[0] <= r.x + r.w && point[1] >= r.y &&
                         point[1] <= r.y + r.h;
    if (shape_ != nullptr && valueCount_ > 0 && inStrip) {
        last_[0] = point[0];
        last_[1] = point[1];
        const float cell = r.w > 0.0f ? (point[0] - r.x) / r.w * float(valueCount_) : 0.0f;
        selected_ = int(std::clamp(cell, 0.0f, float(valueCount_ - 1)));
        shape_->editParameters(selected_, 0.0f);
        return true;
    }
    selected_ = -1;
    showMenu(point);
    return false;
}

void AM_View_ShapeView::dragTo(const float* point)
{
    if (point == nullptr || selected_ < 0)
        return;
    const float change = last_[1] - point[1];
    if (change != 0.0f && shape_ != nullptr) {
        shape_->editParameters(selected_, change);
        redraw();
    }
    last_[0] = point[0];
    last_[1] = point[1];
}

void AM_View_ShapeView::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    dragTo(point);
}

void AM_View_ShapeView::onMouseUp(const float* point, uint32_t buttons)
{
    (void)buttons;
    dragTo(point);
}

// --- Menu.

void AM_View_ShapeView::showMenu(const float* point)
{
    if (viewMan_ == nullptr)
        return;
    viewMan_->beginMenu(this, point, kRunMenuId);
    const uint32_t create = viewMan_->addSubMenu(0, "create new");
    viewMan_->addMenuItem(create, AM_menuCommand(kCreateCirc, kMenuCodeOwnCommand), "Circ Shape");
    viewMan_->addMenuItem(create, AM_menuCommand(kCreateBox, kMenuCodeOwnCommand), "Box Shape");
    viewMan_->addMenuItem(create, AM_menuCommand(kCreateRoundRect, kMenuCodeOwnCommand),
                          "Rounded Rect");
    uint32_t select = viewMan_->addSubMenu(0, "select shape");
    sendMessage(kGuiGraphicBit, kRequestReply, kGuiMsgGraphicReply, &select);
    const int links = shape_ != nullptr ? std::min(shape_->getLinkCount(), kMaxLinks) : 0;
    if (links > 0) {
        const uint32_t named = viewMan_->addSubMenu(0, shape_->getName());
        uint32_t first = 0;
        for (int i = 0; i < links; ++i) {
            const uint32_t link = viewMan_->addSubMenu(named, kLinkTexts[i]);
            if (i == 0)
                first = link;
        }
        sendMessage(kGuiColourBit, kRequestReply, kGuiMsgColourReply, &first);
    }
    // The chosen item comes back through handleMenuCommand.
    viewMan_->showMenu();
}

AM_Shape* AM_View_ShapeView::ownShape(const void* graphic) const
{
    if (viewMan_ == nullptr || graphic == nullptr)
        return nullptr;
    for (AM_GuiObject* g = viewMan_->getGraphics(); g != nullptr; g = g->getNext())
        if (static_cast<const void*>(g) == graphic)
            return dynamic_cast<AM_Shape*>(g);
    return nullptr;
}

AM_Colour* AM_View_ShapeView::ownColour(const void* colour) const
{
    if (viewMan_ == nullptr || colour == nullptr)
        return nullptr;
    for (AM_GuiObject* c = viewMan_->getColours(); c != nullptr; c = c->getNext())
        if (static_cast<const void*>(c) == colour)
            return dynamic_cast<AM_Colour*>(c);
    return nullptr;
}

void AM_View_ShapeView::edit(AM_Shape* shape)
{
    shape_ = shape;
    valueCount_ = shape != nullptr ? std::clamp(shape->getValueCount(), 0, AM_ShapeValues::kMaxValues)
                                   : 0;
    selected_ = -1;
    setLabelText(shape != nullptr ? shape->getName() : kNoShapeLabel);
    redraw();
}

bool AM_View_ShapeView::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                          const AM_MenuItem* item)
{
    if (!valid || item == nullptr || menuId != kRunMenuId || viewMan_ == nullptr)
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (code == kMenuCodeOwnCommand && sub >= kCreateCirc && sub <= kCreateRoundRect) {
        const uint32_t key = viewMan_->getAlternative();
        AM_Shape* shape = nullptr;
        if (sub == kCreateCirc)
            shape = new AM_ShapeCirc(viewMan_, key);
        else if (sub == kCreateBox)
            shape = new AM_ShapeBox(viewMan_, key);
        else
            shape = new AM_RoundRect(viewMan_, key);
        shape->setPathIndex(1);
        shape->setMarks(true, false, false);
        viewMan_->addGraphic(shape);
        edit(shape);
        return true;
    }
    if (code == kSelectShapeCode) {
        // Null clears the shape; anything that is not one of the GUI's
        // shapes is not taken.
        AM_Shape* shape = ownShape(item->userData);
        if (shape == nullptr && item->userData != nullptr)
            return true;
        edit(shape);
        return true;
    }
    if (code == kColourLinkCode) {
        AM_Colour* colour = ownColour(item->userData);
        if (shape_ != nullptr && colour != nullptr && int64_t(sub) < shape_->getLinkCount())
            shape_->setColourLink(int(sub), colour);
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

// --- Drawing.

void AM_View_ShapeView::draw(AM_Context* context)
{
    if (context == nullptr)
        return;
    const AM_Rect& b = bounds_;
    if (AM_Graphic* graphic = getGraphic(0))
        graphic->draw(context, &b, 1.0f);
    if (AM_Colour* colour = getColour(0)) {
        context->setColourFromObject(colour);
        const AM_Rect inner{b.x + 1, b.y + 1, b.w - 2, b.h - 2};
        context->fillRect(&inner);
    }
    if (shape_ == nullptr) {
        context->setFontSize(kNoShapeFontSize);
        context->setColourPacked(kFrameColour);
        context->drawText("no shape selected", &b, 1, true);
        return;
    }
    context->setFontSize(kFontSize);
    context->setColourPacked(kFrameColour);
    frame(context, previewA_);
    shape_->draw(context, &previewA_, 0.0f);
    context->setColourPacked(kFrameColour);
    frame(context, previewB_);
    shape_->draw(context, &previewB_, 1.0f);

    const float s = side();
    const float shrink = (1.0f - kSmallest) / 2 * s;
    const float dx = std::trunc(shrink - shrink * previewWidth_ + 0.5f);
    const float dy = std::trunc(shrink - shrink * previewHeight_ + 0.5f);
    const AM_Rect middle{previewC_.x + dx, previewC_.y + dy, s - 2 * dx, s - 2 * dy};
    context->setColourPacked(kFrameColour);
    frame(context, middle);
    shape_->draw(context, &middle, value_);

    if (valueCount_ <= 0)
        return;
    const float width = strip_.w / float(valueCount_);
    for (int k = 0; k < valueCount_; ++k) {
        const AM_Rect cell{strip_.x + float(k) * width, strip_.y, width, strip_.h};
        context->setColourPacked(kFrameColour);
        frame(context, cell);
        context->setColourPacked(kNameColour);
        context->drawText(shape_->getValueName(k), &cell, 1, true);
    }
}
