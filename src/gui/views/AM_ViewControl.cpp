#include "gui/views/AM_ViewControl.h"

#include "foundation/AM_STD.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewMan.h"
#include "presets/AM_View_Interface.h"

AM_ViewControl::AM_ViewControl(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_GuiObject(viewMan), viewMan_(viewMan)
{
    mask_ |= kGuiControlBit;
    if (bounds != nullptr) {
        bounds_ = *bounds;
    }
    char name[kGuiNameBytes];
    AM_STD::sprintn(name, sizeof name, "Control %d", int(id_));
    AM_GuiObject::setName(name);
    if (viewMan_ != nullptr) {
        viewMan_->countControl(1);
        viewMan_->controlNames().add(this, getName());
    }
}

void AM_ViewControl::setName(const char* name)
{
    if (name != nullptr && !AM_isWritableScriptName(name)) {
        AM_STD::printv("Control name refused (a quote, tab, '=' or line break): %s", name);
        return;
    }
    if (viewMan_ != nullptr) {
        viewMan_->controlNames().remove(this, getName());
    }
    AM_GuiObject::setName(name);
    if (viewMan_ != nullptr) {
        viewMan_->controlNames().add(this, getName());
    }
}

AM_ViewControl::~AM_ViewControl()
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    for (AM_PortRecord& port : ports_) {
        if (port.parameter != nullptr && host != nullptr) {
            host->registerParameterListener(&port, -1, false);
        }
        port.parameter = nullptr;
    }
    for (size_t i = 0; i < listeners_.size(); ++i) {
        setListener(static_cast<int32_t>(i), nullptr);
    }
    // Every control that links to this one (listener entries, prototype,
    // selection chain) forgets it now, disposed or not.
    sendMessage(0, kCtlMsgGoingAway, 0, nullptr);
    if (viewMan_ != nullptr) {
        viewMan_->forgetControl(this);
        viewMan_->countControl(-1);
        viewMan_->controlNames().remove(this, getName());
    }
}

void AM_ViewControl::initControl(uint32_t maskBits, int32_t portCount,
                                 const AM_PortDescriptor* ports, int32_t listenerCount,
                                 const AM_ListenerDescriptor* listeners, int32_t colourCount,
                                 const char (*colourNames)[kGuiNameBytes], int32_t graphicCount,
                                 const char (*graphicNames)[kGuiNameBytes], bool timer)
{
    mask_ |= maskBits;
    if (timer) {
        mask_ |= kControlHasTimerBit;
    }
    initSlots(colourCount, colourNames, graphicCount, graphicNames);
    initPorts(portCount, ports, listenerCount, listeners);
}

const char* AM_ViewControl::getTypeName() const
{
    return nullptr;
}

bool AM_ViewControl::hasTimer() const
{
    return (mask_ & kControlHasTimerBit) != 0;
}

void AM_ViewControl::onTimer() {}


void AM_ViewControl::draw(AM_Context* context)
{
    (void)context;
}

void AM_ViewControl::setVisible(bool visible, uint32_t layers, bool withSiblings)
{
    if ((layerMask_ & layers) != 0) {
        if (!visible) {
            if (visible_ != 0) {
                redraw();
            }
            state_ &= ~kStateSelected;
        }
        visible_ = visible ? 1 : 0;
        if (AM_ViewControl* child = getFirstChildControl()) {
            child->setVisible(visible, kAllLayers, true);
        }
    }
    if (withSiblings) {
        setSiblingsVisible(visible, layers);
    }
    redraw();
}

void AM_ViewControl::showChildrenOnLayers(uint32_t layers, bool visible)
{
    for (AM_ViewControl* c = getFirstChildControl(); c != nullptr; c = c->getNextControl()) {
        const uint32_t mask = c->getLayerMask();
        if ((mask & layers) != 0) {
            c->setVisible(visible, layers, false);
        } else if ((mask & ~layers) != 0) {
            c->setVisible(false, ~layers, false);
        }
    }
}

void AM_ViewControl::setSiblingsVisible(bool visible, uint32_t layers)
{
    // One sibling after the other: a long list does not deepen the stack.
    for (AM_ViewControl* next = getNextControl(); next != nullptr; next = next->getNextControl()) {
        next->setVisible(visible, layers, false);
    }
}

void AM_ViewControl::offsetBy(float dx, float dy, bool withSiblings)
{
    bounds_.x += dx;
    bounds_.y += dy;
    if (AM_ViewControl* child = getFirstChildControl()) {
        child->offsetBy(dx, dy, true);
    }
    if (withSiblings) {
        for (AM_ViewControl* next = getNextControl(); next != nullptr;
             next = next->getNextControl()) {
            next->offsetBy(dx, dy, false);
        }
    }
}

void AM_ViewControl::addControl(AM_ViewControl* child, uint32_t layerMask, bool offset)
{
    if (child == nullptr || child == this) {
        return;
    }
    addChild(child);
    if (offset) {
        child->offsetBy(bounds_.x, bounds_.y, false);
    }
    child->setLayerMask(layerMask);
    if (viewMan_ != nullptr) {
        viewMan_->registerControl(child, this);
    }
    child->setVisible(visible_ != 0, kAllLayers, false);
}

float AM_ViewControl::getRelativeX() const
{
    const AM_ViewControl* parent = getParentControl();
    return parent != nullptr ? bounds_.x - parent->bounds_.x : bounds_.x;
}

float AM_ViewControl::getRelativeY() const
{
    const AM_ViewControl* parent = getParentControl();
    return parent != nullptr ? bounds_.y - parent->bounds_.y : bounds_.y;
}

void AM_ViewControl::setEditMode(bool on)
{
    for (AM_ViewControl* c = this; c != nullptr; c = c->getNextControl()) {
        const bool wasOn = (c->state_ & kStateEditMode) != 0;
        if (wasOn != on && c->hasTimer() && c->viewMan_ != nullptr) {
            // Only controls out of edit mode run on the timer.
            c->viewMan_->invalidateTimerChain();
        }
        if (on) {
            c->state_ |= kStateEditMode;
        } else {
            c->state_ &= ~kStateEditMode;
        }
        if (AM_ViewControl* child = c->getFirstChildControl()) {
            child->setEditMode(on);
        }
        c->redraw();
    }
}

AM_ViewControl* AM_ViewControl::getParentControl() const
{
    return dynamic_cast<AM_ViewControl*>(getParent());
}

AM_ViewControl* AM_ViewControl::getFirstChildControl() const
{
    return dynamic_cast<AM_ViewControl*>(getFirstChild());
}

AM_ViewControl* AM_ViewControl::getNextControl() const
{
    return dynamic_cast<AM_ViewControl*>(getNext());
}

bool AM_isWritableScriptName(const char* name)
{
    if (name == nullptr) {
        return false;
    }
    for (const char* p = name; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || c == '\'' || c == '=') {
            return false;
        }
    }
    return true;
}
