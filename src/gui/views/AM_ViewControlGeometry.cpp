// Geometry, visibility and the disposed, edit-mode and selection walks of
// controls.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewControl_BoundsUndo.h"
#include "gui/views/AM_ViewControl_DeleteUndo.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_Messages.h"

void AM_ViewControl::redrawIfVisible()
{
    if (isVisible()) {
        redraw();
    }
}

void AM_ViewControl::boundsChanged() {}

void AM_ViewControl::moveBy(float dx, float dy, bool withSiblings, bool withSelection)
{
    redrawIfVisible();
    bounds_.x += dx;
    bounds_.y += dy;
    if (auto* child = dynamic_cast<AM_ViewControl*>(getFirstChild())) {
        child->moveBy(dx, dy, true, withSelection);
    }
    redrawIfVisible();
    boundsChanged();
    if (withSiblings) {
        for (AM_ViewControl* next = getNextControl(); next != nullptr;
             next = next->getNextControl()) {
            next->moveBy(dx, dy, false, withSelection);
        }
    }
    if (withSelection) {
        forRestOfSelection(true, [dx, dy](AM_ViewControl* c) { c->moveBy(dx, dy, false, false); });
    }
}

void AM_ViewControl::moveTo(const float* point, bool withSelection)
{
    if (point != nullptr) {
        moveBy(point[0] - bounds_.x, point[1] - bounds_.y, false, withSelection);
    }
}

void AM_ViewControl::growBy(float dLeft, float dTop, float dRight, float dBottom,
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
    if (withSelection) {
        forRestOfSelection(
            false, [&](AM_ViewControl* c) { c->growBy(dLeft, dTop, dRight, dBottom, false); });
    }
    // Five words: 0, then the four deltas.
    float deltas[5] = {0.0f, dLeft, dTop, dRight, dBottom};
    tellClones(kCtlMsgPrototypeGrew, 0, deltas);
}

void AM_ViewControl::scaleBy(float fx, float fy, bool withSiblings, bool withSelection)
{
    redrawIfVisible();
    bounds_.w *= fx;
    bounds_.h *= fy;
    for (AM_ViewControl* c = getFirstChildControl(); c != nullptr; c = c->getNextControl()) {
        auto* child = dynamic_cast<AM_ViewControl*>(c);
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
        for (AM_ViewControl* next = getNextControl(); next != nullptr;
             next = next->getNextControl()) {
            next->scaleBy(fx, fy, false, withSelection);
        }
    }
    if (withSelection) {
        forRestOfSelection(true, [fx, fy](AM_ViewControl* c) { c->scaleBy(fx, fy, false, false); });
    }
}

void AM_ViewControl::alignTo(const float* point, int32_t mode, bool withSelection)
{
    if (point == nullptr) {
        return;
    }
    AM_Rect aligned = bounds_;
    const AM_Rect target{point[0], point[1], 0.0f, 0.0f};
    alignRect(&aligned, &target, mode);
    moveBy(aligned.x - bounds_.x, aligned.y - bounds_.y, false, false);
    if (withSelection) {
        forRestOfSelection(true,
                           [point, mode](AM_ViewControl* c) { c->alignTo(point, mode, false); });
    }
}

void AM_ViewControl::setDisposeFlagTree(bool disposed)
{
    if (disposed) {
        state_ |= kStateDisposed;
    } else {
        state_ &= ~kStateDisposed;
    }
    for (AM_ViewControl* c = getFirstChildControl(); c != nullptr; c = c->getNextControl()) {
        if (auto* child = dynamic_cast<AM_ViewControl*>(c)) {
            child->setDisposeFlagTree(disposed);
        } else {
            const uint32_t state = c->getState();
            c->setState(disposed ? (state | kStateDisposed) : (state & ~kStateDisposed));
        }
    }
}

void AM_ViewControl::setDisposeFlag(bool disposed, bool withSiblings)
{
    setDisposeFlagTree(disposed);
    if (withSiblings) {
        for (AM_ViewControl* next = getNextControl(); next != nullptr;
             next = next->getNextControl()) {
            next->setDisposeFlag(disposed, false);
        }
    }
}

void AM_ViewControl::printSelection()
{
    for (AM_ViewControl* c = this; c != nullptr; c = c->nextSelected_) {
        AM_STD::printv("selected: %s\n", c->getName());
        if (c->nextSelected_ == this) {
            break;
        }
    }
}

void AM_ViewControl::visitSelection(AM_Object* visitor, uint32_t message, uint32_t arg, void* data)
{
    if (visitor == nullptr) {
        return;
    }
    for (AM_ViewControl* c = this; c != nullptr; c = c->nextSelected_) {
        visitor->receiveMessage(c, message, arg, data);
        if (c->nextSelected_ == this) {
            break;
        }
    }
}

void AM_ViewControl::setTimer(bool on)
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

namespace {

// Timer walks are numbered; the first walk that is still running (0: none)
// marks where the walks in progress begin (a tick may start another walk).
uint64_t g_timerWalks = 0;
uint64_t g_firstRunningWalk = 0;

} // namespace

void AM_ViewControl::runTimerChain()
{
    // One control after the other, so a long chain does not deepen the
    // stack. A control that a running walk has ticked already (a chain
    // that comes back to it) ends the walk.
    const uint64_t walk = ++g_timerWalks;
    const bool outermost = g_firstRunningWalk == 0;
    if (outermost) {
        g_firstRunningWalk = walk;
    }
    for (AM_ViewControl* c = this; c != nullptr; c = c->nextInTimerChain) {
        if (c->timerWalk_ >= g_firstRunningWalk) {
            AM_STD::printv("circular timer!");
            break;
        }
        c->timerWalk_ = walk;
        c->onTimer();
    }
    if (outermost) {
        g_firstRunningWalk = 0;
    }
}

void AM_ViewControl::addStep(const char* name, int32_t kind, bool withChildren)
{
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
    if (!withChildren) {
        return;
    }
    for (AM_ViewControl* child = getFirstChildControl(); child != nullptr;
         child = child->getNextControl()) {
        child->addStep(name, kind, true);
    }
}

void AM_ViewControl::addUndo(const char* name, int32_t kind, bool withChildren, bool withSiblings)
{
    if (viewMan_ == nullptr) {
        return;
    }
    addStep(name, kind, withChildren);
    if (withSiblings) {
        for (AM_ViewControl* next = getNextControl(); next != nullptr;
             next = next->getNextControl()) {
            next->addStep(name, kind, withChildren);
        }
    }
    forRestOfSelection(false, [name, kind](AM_ViewControl* c) {
        if (c->viewMan_ != nullptr) {
            c->addStep(name, kind, false);
        }
    });
}

void AM_ViewControl::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
}

void AM_ViewControl::onMouseWheel(float steps)
{
    if (auto* parent = dynamic_cast<AM_ViewControl*>(getParent())) {
        parent->onMouseWheel(steps);
    }
}

void AM_ViewControl::onDragOver(const float* point, uint32_t modifiers, uint32_t state)
{
    (void)point;
    (void)modifiers;
    (void)state;
}

void AM_ViewControl::onDragLeave() {}

void AM_ViewControl::onDrop(const float* point, const char* data)
{
    (void)point;
    (void)data;
}

void AM_ViewControl::dropData(const float* point, uint32_t keyFlags, uint32_t kind,
                              uint32_t length, const char* data)
{
    (void)keyFlags;
    (void)kind;
    (void)length;
    onDrop(point, data);
}

const char* AM_ViewControl::getDragData()
{
    return nullptr;
}

bool AM_ViewControl::onKeyDown(uint32_t key, uint32_t modifiers)
{
    (void)key;
    (void)modifiers;
    return false;
}

void AM_ViewControl::selectLayer(int32_t layer)
{
    (void)layer;
}

const char* AM_ViewControl::getLayerName(int32_t layer)
{
    (void)layer;
    return nullptr;
}

void AM_ViewControl::addLayer(const char* name)
{
    (void)name;
}

void AM_ViewControl::copyProperties(AM_ViewControl* clone)
{
    (void)clone;
}

void AM_ViewControl::addNameLabel(uint32_t alignMode)
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
    label->setParentLabel(true);
    addControl(label, kAllLayers, true);
    if (auto* aligned = dynamic_cast<AM_ViewControl*>(label)) {
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
    label->redraw();
}
