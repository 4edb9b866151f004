// Geometry, visibility and the disposed, edit-mode and selection walks of
// controls.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_PortedControl.h"
#include "gui/views/AM_ViewControl_BoundsUndo.h"
#include "gui/views/AM_ViewControl_DeleteUndo.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_Messages.h"

void AM_PortedControl::redrawIfVisible()
{
    if (isVisible()) {
        redraw();
    }
}

void AM_PortedControl::boundsChanged() {}

void AM_PortedControl::moveBy(float dx, float dy, bool withSiblings, bool withSelection)
{
    redrawIfVisible();
    bounds_.x += dx;
    bounds_.y += dy;
    if (auto* child = dynamic_cast<AM_PortedControl*>(getFirstChild())) {
        child->moveBy(dx, dy, true, withSelection);
    }
    redrawIfVisible();
    boundsChanged();
    if (withSiblings) {
        if (auto* next = dynamic_cast<AM_PortedControl*>(getNext())) {
            next->moveBy(dx, dy, true, withSelection);
        }
    }
    if (withSelection && (state_ & kStateSelected) != 0 && nextSelected_ != nullptr) {
        nextSelected_->moveBy(dx, dy, false, true);
    }
}

void AM_PortedControl::moveTo(const float* point, bool withSelection)
{
    if (point != nullptr) {
        moveBy(point[0] - bounds_.x, point[1] - bounds_.y, false, withSelection);
    }
}

void AM_PortedControl::growBy(float dLeft, float dTop, float dRight, float dBottom,
                              bool withSelection)
{
    redrawIfVisible();
    bounds_.x -= dLeft;
    bounds_.y -= dTop;
    bounds_.w += dLeft + dRight;
    bounds_.h += dTop + dBottom;
    if (bounds_.w < kMinimumSide) {
        bounds_.w = kMinimumSide;
    }
    if (bounds_.h < kMinimumSide) {
        bounds_.h = kMinimumSide;
    }
    redrawIfVisible();
    boundsChanged();
    if (withSelection && nextSelected_ != nullptr) {
        nextSelected_->growBy(dLeft, dTop, dRight, dBottom, true);
    }
    // Five words: 0, then the four deltas.
    float deltas[5] = {0.0f, dLeft, dTop, dRight, dBottom};
    tellClones(kCtlMsgPrototypeGrew, 0, deltas);
}

void AM_PortedControl::scaleBy(float fx, float fy, bool withSiblings, bool withSelection)
{
    redrawIfVisible();
    bounds_.w *= fx;
    bounds_.h *= fy;
    for (AM_ViewControl* c = getFirstChildControl(); c != nullptr; c = c->getNextControl()) {
        auto* child = dynamic_cast<AM_PortedControl*>(c);
        if (child == nullptr) {
            continue;
        }
        const AM_Rect b = child->getBounds();
        child->scaleBy(fx, fy, false, false);
        child->moveBy((fx - 1.0f) * (b.x - bounds_.x), (fy - 1.0f) * (b.y - bounds_.y), false,
                      false);
    }
    redrawIfVisible();
    boundsChanged();
    if (withSiblings) {
        if (auto* next = dynamic_cast<AM_PortedControl*>(getNext())) {
            next->scaleBy(fx, fy, true, withSelection);
        }
    }
    if (withSelection && (state_ & kStateSelected) != 0 && nextSelected_ != nullptr) {
        nextSelected_->scaleBy(fx, fy, false, true);
    }
}

void AM_PortedControl::alignTo(const float* point, int32_t mode, bool withSelection)
{
    if (point == nullptr) {
        return;
    }
    AM_Rect aligned = bounds_;
    const AM_Rect target{point[0], point[1], 0.0f, 0.0f};
    alignRect(&aligned, &target, mode);
    moveBy(aligned.x - bounds_.x, aligned.y - bounds_.y, false, false);
    if (withSelection && (state_ & kStateSelected) != 0 && nextSelected_ != nullptr) {
        nextSelected_->alignTo(point, mode, true);
    }
}

void AM_PortedControl::setVisible(bool visible, uint32_t layers, bool withSiblings)
{
    if ((layerMask_ & layers) != 0 && isVisible() && !visible) {
        redraw();
    }
    AM_ViewControl::setVisible(visible, layers, false);
    if (withSiblings) {
        if (AM_ViewControl* next = getNextControl()) {
            next->setVisible(visible, layers, true);
        }
    }
    redraw();
}

void AM_PortedControl::setEditMode(bool on)
{
    AM_ViewControl::setEditMode(on);
    redraw();
}

void AM_PortedControl::setDisposeFlagTree(bool disposed)
{
    if (disposed) {
        state_ |= kStateDisposed;
    } else {
        state_ &= ~kStateDisposed;
    }
    for (AM_ViewControl* c = getFirstChildControl(); c != nullptr; c = c->getNextControl()) {
        if (auto* child = dynamic_cast<AM_PortedControl*>(c)) {
            child->setDisposeFlagTree(disposed);
        } else {
            const uint32_t state = c->getState();
            c->setState(disposed ? (state | kStateDisposed) : (state & ~kStateDisposed));
        }
    }
}

void AM_PortedControl::setDisposeFlag(bool disposed, bool withSiblings)
{
    setDisposeFlagTree(disposed);
    if (withSiblings) {
        if (auto* next = dynamic_cast<AM_PortedControl*>(getNext())) {
            next->setDisposeFlag(disposed, true);
        }
    }
}

void AM_PortedControl::printSelection()
{
    for (AM_PortedControl* c = this; c != nullptr; c = c->nextSelected_) {
        AM_STD::printv("selected: %s\n", c->getName());
        if (c->nextSelected_ == this) {
            break;
        }
    }
}

void AM_PortedControl::visitSelection(AM_Object* visitor, uint32_t message, uint32_t arg,
                                      void* data)
{
    if (visitor == nullptr) {
        return;
    }
    for (AM_PortedControl* c = this; c != nullptr; c = c->nextSelected_) {
        visitor->receiveMessage(c, message, arg, data);
        if (c->nextSelected_ == this) {
            break;
        }
    }
}

void AM_PortedControl::setTimer(bool on)
{
    if (hasTimer() == on) {
        return;
    }
    if (on) {
        mask_ |= kControlHasTimerBit;
    } else {
        mask_ &= ~kControlHasTimerBit;
    }
    if (viewMan_ != nullptr) {
        viewMan_->invalidateTimerChain();
    }
}

void AM_PortedControl::runTimerChain()
{
    if (timerGuard_ != 0) {
        AM_STD::printv("circular timer!");
        return;
    }
    timerGuard_ = 1;
    onTimer();
    for (AM_ViewControl* next = nextInTimerChain; next != nullptr; next = next->nextInTimerChain) {
        if (auto* control = dynamic_cast<AM_PortedControl*>(next)) {
            control->runTimerChain();
            break;
        }
        next->onTimer();
    }
    timerGuard_ = 0;
}

void AM_PortedControl::addUndo(const char* name, int32_t kind, bool withChildren,
                               bool withSiblings)
{
    if (viewMan_ == nullptr) {
        return;
    }
    switch (kind) {
    case kUndoResize:
        viewMan_->addUndo(new AM_ViewControl_BoundsUndo(this, name, true));
        break;
    case kUndoMove:
        viewMan_->addUndo(new AM_ViewControl_BoundsUndo(this, name, false));
        break;
    case kUndoDelete:
        viewMan_->addUndo(new AM_ViewControl_DeleteUndo(this, name));
        break;
    default:
        break;
    }
    if (withChildren) {
        if (auto* child = dynamic_cast<AM_PortedControl*>(getFirstChild())) {
            child->addUndo(name, kind, true, true);
        }
    }
    if (withSiblings) {
        if (auto* next = dynamic_cast<AM_PortedControl*>(getNext())) {
            next->addUndo(name, kind, withChildren, true);
        }
    }
    if (nextSelected_ != nullptr && nextSelected_ != this) {
        nextSelected_->addUndo(name, kind, false, false);
    }
}

void AM_PortedControl::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
}

void AM_PortedControl::onMouseWheel(float steps)
{
    if (auto* parent = dynamic_cast<AM_PortedControl*>(getParent())) {
        parent->onMouseWheel(steps);
    }
}

void AM_PortedControl::onDragOver(const float* point, const char* data)
{
    (void)point;
    (void)data;
}

void AM_PortedControl::onDragLeave() {}

void AM_PortedControl::onDrop(const float* point, const char* data)
{
    (void)point;
    (void)data;
}

const char* AM_PortedControl::getDragData()
{
    return nullptr;
}

bool AM_PortedControl::onKeyDown(uint32_t key, uint32_t modifiers)
{
    (void)key;
    (void)modifiers;
    return false;
}

void AM_PortedControl::selectLayer(int32_t layer)
{
    (void)layer;
}

const char* AM_PortedControl::getLayerName(int32_t layer)
{
    (void)layer;
    return nullptr;
}

void AM_PortedControl::addLayer(const char* name)
{
    (void)name;
}

void AM_PortedControl::copyProperties(AM_PortedControl* clone)
{
    (void)clone;
}

void AM_PortedControl::addNameLabel(uint32_t alignMode)
{
    if (viewMan_ == nullptr) {
        return;
    }
    AM_ViewControl* label = viewMan_->createControl("Label", nullptr);
    if (label == nullptr) {
        AM_STD::printv("%s: no Label type for the name label\n", getName());
        return;
    }
    label->receiveMessage(this, k_msgSetLabel, 0, const_cast<char*>(getName()));
    addControl(label, kAllLayers, true);
    if (auto* aligned = dynamic_cast<AM_PortedControl*>(label)) {
        const AM_Rect own = bounds_;
        AM_Rect box = aligned->getBounds();
        alignRect(&box, &own, static_cast<int>((alignMode >> 8) & 0xFF));
        aligned->moveBy(box.x - aligned->getBounds().x, box.y - aligned->getBounds().y, false,
                        false);
    } else {
        AM_Rect box = label->getBounds();
        alignRect(&box, &bounds_, static_cast<int>((alignMode >> 8) & 0xFF));
        label->offsetBy(box.x - label->getBounds().x, box.y - label->getBounds().y, false);
    }
    label->setEditMode(true);
    label->setVisible(true, kAllLayers, false);
}
