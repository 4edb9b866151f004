#include "gui/controls/AM_View_Rack.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_Pane.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Rack";

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kScrollBorder = 2, kScrollBar = 3 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "ScrollBorder",
                                                "ScrollBar"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"RackBackground"};

constexpr const char* kLayerKey = "layer";
constexpr const char* kMovableKey = "movable";
constexpr const char* kHideOnInitKey = "hideOnInit";
constexpr const char* kYes = "YES";

// Moves longer than this glide by the approach fraction per tick.
constexpr float kGlideDistance = 10.0f;
constexpr float kSettledApproach = 0.35f;
constexpr float kSelectApproach = 0.75f;

void frame(AM_Context* context, const AM_Rect& r, float width)
{
    const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(points, 4, width, true);
}

uint32_t checkFlags(bool on)
{
    return on ? uint32_t(kMenuChecked) : uint32_t(kMenuCheckable);
}

} // namespace

AM_View_Rack::AM_View_Rack(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Rack %u", unsigned(getId()));
    setName(name);
    for (int32_t n = 0; n < kMaxUnits; ++n) {
        std::snprintf(layerNames_[n], kUnitNameBytes, "RackUnit %d", int(n + 1));
    }
    isContainer_ = 1;
    numLayers_ = 0;
    initControl(0, 0, nullptr, 0, nullptr, 4, kColourNames, 1, kGraphicNames, true);
}

AM_View_Rack::~AM_View_Rack() = default;

AM_ViewControl* AM_View_Rack::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* rack = new AM_View_Rack(viewMan, bounds);
    rack->setFactory(&AM_View_Rack::create);
    return rack;
}

const char* AM_View_Rack::getTypeName() const
{
    return kTypeName;
}

template <class F>
void AM_View_Rack::clipped(F&& operation)
{
    if (viewMan_ != nullptr) {
        viewMan_->setClipRect(&bounds_);
    }
    operation();
    if (viewMan_ != nullptr) {
        viewMan_->setClipRect(nullptr);
    }
}

// --- Layout.

void AM_View_Rack::onTimer()
{
    if (visible_ != 0) {
        arrangeUnits(nullptr);
    }
}

void AM_View_Rack::arrangeUnits(AM_ViewControl* child)
{
    (void)child;
    const float margin = bounds_.h < columnHeight_ ? 0.0f : kMargin;
    const float top = bounds_.y;
    float y = top + scrollOffset_;
    bool moved = false;
    for (AM_ViewControl* c = getFirstChildControl(); c != nullptr; c = c->getNextControl()) {
        if ((c->getLayerMask() & shownUnits_) == 0) {
            if (c->isVisible()) {
                clipped([c] { c->setVisible(false, kAllLayers, false); });
            }
            continue;
        }
        AM_Rect b = c->getBounds();
        float dy = y - b.y;
        const float dx = bounds_.x - b.x + margin;
        if (dx != 0.0f || dy != 0.0f) {
            if (dy > kGlideDistance || dy < -kGlideDistance) {
                dy *= approach_;
            }
            dy = std::trunc(dy);
            clipped([c, dx, dy] { c->moveBy(dx, dy, false, false); });
            b.y += dy;
            moved = true;
        }
        y += b.h;
        const bool inside = top <= b.y + b.h && b.y <= top + bounds_.h;
        if (inside != c->isVisible()) {
            clipped([c, inside] { c->setVisible(inside, kAllLayers, false); });
        }
    }
    columnHeight_ = y;
    if (!moved) {
        approach_ = kSettledApproach;
    }
    const float h = columnHeight_ - (scrollOffset_ + top);
    columnHeight_ = h;
    if (h > bounds_.h) {
        scrollOffset_ = std::max(scrollOffset_, bounds_.h - h);
        if (margin == 0.0f) {
            return;
        }
    } else {
        scrollOffset_ = 0.0f;
        if (margin == kMargin) {
            return;
        }
    }
    // The column started or stopped fitting: the margin changes.
    float shift = 0.0f;
    if (h <= bounds_.h) {
        if (!contentFits_) {
            redraw();
        }
        contentFits_ = true;
        shift = kMargin;
    } else {
        shift = -kMargin;
        if (contentFits_) {
            redraw();
        }
        contentFits_ = false;
    }
    if (AM_ViewControl* first = getFirstChildControl()) {
        clipped([first, shift] { first->moveBy(shift, 0.0f, true, false); });
    }
}

void AM_View_Rack::scrollTo(float offset)
{
    if (!std::isfinite(offset)) {
        return;
    }
    offset = std::min(offset, 0.0f);
    offset = std::max(offset, std::min(0.0f, bounds_.h - columnHeight_));
    scrollOffset_ = offset;
    redraw();
    approach_ = 1.0f;
}

int32_t AM_View_Rack::findUnit(const char* name) const
{
    if (name == nullptr) {
        return -1;
    }
    for (int32_t n = 0; n < kMaxUnits; ++n) {
        if (std::strncmp(layerNames_[n], name, kUnitNameBytes) == 0) {
            return n;
        }
    }
    return -1;
}

void AM_View_Rack::setUnitState(const char* name, int32_t how)
{
    approach_ = kSelectApproach;
    const int32_t unit = findUnit(name);
    if (unit < 0) {
        return;
    }
    const uint32_t bit = 1u << unit;
    switch (how) {
    case kHideUnit:
        shownUnits_ &= ~bit;
        redraw();
        break;
    case kShowUnit:
        shownUnits_ |= bit;
        redraw();
        break;
    case kSelectUnit:
        if (std::strcmp(layerNames_[unit], selectedUnit_) != 0) {
            announcing_ = true;
            if (selectedUnit_[0] != '\0') {
                char old[kUnitNameBytes];
                std::memcpy(old, selectedUnit_, sizeof old);
                sendMessage(AM_ViewManServices::kControlsClassMask, kPaneMsgModuleSelected, 0, old);
            }
            std::memcpy(selectedUnit_, layerNames_[unit], kUnitNameBytes);
            char now[kUnitNameBytes];
            std::memcpy(now, selectedUnit_, sizeof now);
            sendMessage(AM_ViewManServices::kControlsClassMask, kPaneMsgModuleSelected, 1, now);
            announcing_ = false;
        }
        bringUnitForward(unit);
        break;
    default:
        break;
    }
}

void AM_View_Rack::bringUnitForward(int32_t unit)
{
    if (scrollMode_ == kNoScroll || unit < 0 || unit >= kMaxUnits) {
        return;
    }
    const uint32_t bit = 1u << unit;
    AM_ViewControl* c = getFirstChildControl();
    while (c != nullptr) {
        AM_ViewControl* next = c->getNextControl();
        if ((c->getLayerMask() & bit) != 0) {
            const AM_Rect b = c->getBounds();
            if (scrollMode_ == kAutoScroll) {
                const bool inside = b.y >= bounds_.y && b.y + b.h <= bounds_.y + bounds_.h;
                if (!inside && overflows()) {
                    scrollTo(scrollOffset_ + (bounds_.h - b.h) * 0.5f + (bounds_.y - b.y));
                }
            } else if (scrollMode_ == kSelectedOnTop) {
                scrollOffset_ = 0.0f;
                c->moveToFirst();
                redraw();
            }
        }
        c = next;
    }
}

// --- Children and visibility.

void AM_View_Rack::addControl(AM_ViewControl* child, uint32_t layerMask, bool offset)
{
    if (child == nullptr || child == this) {
        return;
    }
    uint32_t mask = layerMask;
    if (mask == kAllLayers) {
        addLayer(nullptr);
        mask = 1u << currentLayer_;
    }
    AM_ViewControl::addControl(child, mask, offset);
    if (visible_ != 0 && (mask & shownUnits_) != 0) {
        arrangeUnits(child);
    } else {
        child->setVisible(false, kAllLayers, false);
    }
}

void AM_View_Rack::setVisible(bool visible, uint32_t layers, bool withSiblings)
{
    if ((layerMask_ & layers) != 0) {
        if (visible_ != 0 && !visible) {
            redraw();
        }
        if (!visible) {
            state_ &= ~kStateSelected;
        }
        visible_ = visible ? 1 : 0;
        showChildrenOnLayers(shownUnits_, visible);
    }
    if (withSiblings) {
        setSiblingsVisible(visible, layers);
    }
    redraw();
}

void AM_View_Rack::selectLayer(int32_t layer)
{
    if (layer < 0 || layer >= kMaxUnits) {
        AM_STD::printv("%s: unit %d refused (units 0 to %d)\n", getName(), int(layer),
                       int(kMaxUnits - 1));
        return;
    }
    currentLayer_ = static_cast<uint8_t>(layer);
    sendMessage(AM_ViewManServices::kControlsClassMask, kPaneMsgLayerChanged,
                static_cast<uint32_t>(layer), nullptr);
    redraw();
}

const char* AM_View_Rack::getLayerName(int32_t layer)
{
    return layer >= 0 && layer < kMaxUnits ? layerNames_[layer] : nullptr;
}

void AM_View_Rack::addLayer(const char* name)
{
    if (numLayers_ >= kMaxUnits) {
        AM_STD::printv("%s: no unit added, it has %d already\n", getName(), int(kMaxUnits));
        return;
    }
    ++numLayers_;
    if (name != nullptr && name[0] != '\0') {
        std::snprintf(layerNames_[numLayers_ - 1], kUnitNameBytes, "%s", name);
    }
    selectLayer(numLayers_ - 1);
}

// --- Messages.

void AM_View_Rack::embed(AM_ViewControl* sender, uint32_t mask)
{
    if (sender == nullptr || sender == this || (state_ & kStateInsideSelected) != 0) {
        return;
    }
    for (AM_ViewControl* up = this; up != nullptr; up = up->getParentControl()) {
        if (up == sender) {
            AM_STD::printv("%s cannot take %s: it lies inside it\n", getName(),
                           sender->getName());
            return;
        }
    }
    sender->redraw();
    sender->unlink();
    addControl(sender, mask, true);
}

void AM_View_Rack::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case kPaneMsgRackUnit:
        if (ptr != nullptr) {
            char name[kUnitNameBytes];
            std::snprintf(name, sizeof name, "%s", static_cast<const char*>(ptr));
            setUnitState(name, static_cast<int32_t>(arg));
        }
        break;
    case kPaneMsgEmbed:
        embed(dynamic_cast<AM_ViewControl*>(sender), arg);
        break;
    case kCtlMsgRename:
        if (ptr != nullptr && ptr == static_cast<void*>(layerNames_[currentLayer_]) &&
            !AM_isWritableScriptName(layerNames_[currentLayer_])) {
            AM_STD::printv("%s: unit name refused, a script line cannot hold it\n", getName());
            std::memcpy(layerNames_[currentLayer_], renameBackup_, kUnitNameBytes);
        }
        redraw();
        break;
    case kPaneMsgGuiLoaded:
        if (hideOnInit_) {
            setVisible(false, kAllLayers, false);
        }
        break;
    case kPaneMsgModuleSelected:
        if (!announcing_ && arg > 0 && scrollMode_ > 0 && ptr != nullptr) {
            char name[kUnitNameBytes];
            std::snprintf(name, sizeof name, "%s", static_cast<const char*>(ptr));
            bringUnitForward(findUnit(name));
        }
        break;
    case kPaneMsgRackMemberUnit:
        if (auto* member = dynamic_cast<AM_ViewControl*>(sender); member != nullptr && ptr) {
            char name[kUnitNameBytes];
            std::snprintf(name, sizeof name, "%s", static_cast<const char*>(ptr));
            const int32_t unit = findUnit(name);
            if (unit >= 0) {
                member->setLayerMask(1u << unit);
            } else {
                AM_STD::printv("%s has no unit %s for %s\n", getName(), name,
                               member->getName());
            }
        }
        break;
    default:
        break;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

// --- Mouse.

bool AM_View_Rack::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    if ((buttons & 2u) != 0) {
        showRunMenu(point);
        return false;
    }
    lastPoint_[0] = point[0];
    lastPoint_[1] = point[1];
    dragFromScrollbar_ = -1;
    if (point[0] - bounds_.x - bounds_.w > -kScrollBarWidth && overflows()) {
        dragFromScrollbar_ = 0;
        return true;
    }
    return false;
}

void AM_View_Rack::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || dragFromScrollbar_ != 0 || bounds_.h <= 0.0f) {
        return;
    }
    const float delta = std::trunc((point[1] - lastPoint_[1]) * (columnHeight_ / bounds_.h));
    if (delta != 0.0f) {
        scrollTo(scrollOffset_ - delta);
    }
    lastPoint_[0] = point[0];
    lastPoint_[1] = point[1];
}

void AM_View_Rack::onMouseUp(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    dragFromScrollbar_ = -1;
}

void AM_View_Rack::onMouseWheel(float steps)
{
    if (!overflows()) {
        return;
    }
    scrollTo(scrollOffset_ + steps * kWheelStep);
    if (viewMan_ != nullptr) {
        viewMan_->setWheelControl(this);
    }
}

// --- Menus.

void AM_View_Rack::showRunMenu(const float* point)
{
    if (viewMan_ == nullptr) {
        return;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    viewMan_->addMenuItem(0, AM_menuCommand(kCmdAutoScroll, kMenuCodeOwnCommand), "auto scroll", 0,
                          checkFlags(scrollMode_ == kAutoScroll));
    viewMan_->addMenuItem(0, AM_menuCommand(kCmdSelectedOnTop, kMenuCodeOwnCommand),
                          "selected on top", 0, checkFlags(scrollMode_ == kSelectedOnTop));
    viewMan_->showMenu();
}

void AM_View_Rack::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    if (viewMan_->isEditMode()) {
        if (viewMan_->getFocusedControl() != nullptr) {
            viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
            const uint32_t selection = viewMan_->addSubMenu(0, "Selection");
            viewMan_->addMenuItem(selection, AM_menuCommand(kCmdEmbed, kMenuCodeOwnCommand),
                                  "embed to Layer");
        }
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        char rename[64];
        std::snprintf(rename, sizeof rename, "rename %s", layerNames_[currentLayer_]);
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdRenameUnit, kMenuCodeOwnCommand), rename);
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdMovable, kMenuCodeOwnCommand), "movable", 0,
                              checkFlags(movable_));
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdHideOnInit, kMenuCodeOwnCommand), "hideOnInit",
                              0, checkFlags(hideOnInit_));
    }
    if (open) {
        viewMan_->showMenu();
    }
}

bool AM_View_Rack::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                     const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (code == kMenuCodeOwnCommand && menuId == kRunMenuId) {
        if (sub == kCmdAutoScroll || sub == kCmdSelectedOnTop) {
            const int32_t mode = sub == kCmdAutoScroll ? kAutoScroll : kSelectedOnTop;
            scrollMode_ = scrollMode_ == mode ? kNoScroll : mode;
            return true;
        }
    }
    if (code == kMenuCodeOwnCommand && menuId == kEditMenuId && viewMan_ != nullptr) {
        switch (sub) {
        case kCmdMovable:
            movable_ = !movable_;
            return true;
        case kCmdEmbed:
            if (AM_ViewControl* focused = viewMan_->getFocusedControl()) {
                focused->visitSelection(this, kPaneMsgEmbed, 1u << currentLayer_, nullptr);
            }
            return true;
        case kCmdHideOnInit:
            hideOnInit_ = !hideOnInit_;
            return true;
        case kCmdRenameUnit:
            std::memcpy(renameBackup_, layerNames_[currentLayer_], kUnitNameBytes);
            viewMan_->beginTextEntry(this, AM_View_Pane::kRenameEntryId,
                                     layerNames_[currentLayer_], kUnitNameBytes,
                                     layerNames_[currentLayer_]);
            return true;
        default:
            break;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

// --- Drawing.

void AM_View_Rack::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    if (clipPushed_ == context) {
        // The overlay of the last drawing never came: close that clip first.
        context->popClip();
    }
    context->pushClip();
    clipPushed_ = context;
    context->intersectClip(&bounds_);
    if (AM_Graphic* background = getGraphic(0)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* fill = getColour(kBackground)) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        frame(context, AM_Rect{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1},
              0.8f);
    }
    const AM_Rect track{bounds_.x + 0.5f + bounds_.w - kScrollBarWidth, bounds_.y + 0.5f,
                        kScrollBarWidth, bounds_.h - 1};
    if (AM_Colour* trackColour = getColour(kScrollBorder)) {
        context->setColourFromObject(trackColour);
        frame(context, track, 0.8f);
    }
    AM_Colour* thumbColour = getColour(kScrollBar);
    if (thumbColour != nullptr && overflows() && columnHeight_ > 0.0f) {
        const float ratio = bounds_.h / columnHeight_;
        const AM_Rect thumb{track.x + 1, (bounds_.y + 1.5f) - ratio * scrollOffset_, 10.0f,
                            (bounds_.h - 3) * ratio};
        context->setColourFromObject(thumbColour);
        context->fillRect(&thumb);
    }
}

void AM_View_Rack::drawOverlay(AM_Context* context)
{
    if (context != nullptr && clipPushed_ == context) {
        context->popClip();
        clipPushed_ = nullptr;
    }
    AM_ViewControl::drawOverlay(context);
}

void AM_View_Rack::drawEditFrame(AM_Context* context)
{
    AM_ViewControl::drawEditFrame(context);
    if (context == nullptr || (state_ & kStateEditMode) == 0) {
        return;
    }
    char caption[80];
    std::snprintf(caption, sizeof caption, "%s - Layer %d", getName(), int(currentLayer_) + 1);
    context->setFontSize(12.0f);
    context->setColour(0.0f, 0.0f, 0.4f, 0.2f);
    context->drawText(caption, &bounds_, 1, false);
}

// --- The script.

void AM_View_Rack::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    for (int32_t n = 0; n < numLayers_; ++n) {
        writer.property(getName(), kLayerKey, n, layerNames_[n]);
    }
    if (movable_) {
        writer.property(getName(), kMovableKey, 0, kYes);
    }
    if (hideOnInit_) {
        writer.property(getName(), kHideOnInitKey, 0, kYes);
    }
}

void AM_View_Rack::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr) {
        return;
    }
    if (std::strcmp(name, kLayerKey) == 0) {
        if (id < 0 || id >= kMaxUnits) {
            AM_STD::printv("%s: unit %d refused (units 0 to %d)\n", getName(), int(id),
                           int(kMaxUnits - 1));
            return;
        }
        if (id >= numLayers_) {
            numLayers_ = static_cast<uint8_t>(id + 1);
        }
        std::snprintf(layerNames_[id], kUnitNameBytes, "%s", value);
    } else if (std::strcmp(name, kMovableKey) == 0 && std::strcmp(value, kYes) == 0) {
        movable_ = true;
    } else if (std::strcmp(name, kHideOnInitKey) == 0 && std::strcmp(value, kYes) == 0) {
        hideOnInit_ = true;
    }
}
