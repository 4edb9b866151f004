// Editing controls in edit mode: press, drag and release move or resize the
// selection on the grid, the selection walk, deletion through undo, and the
// process-wide assign module of the "Parameters" menu.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

#include <algorithm>

namespace {

constexpr uint32_t kRightButton = 2;
constexpr uint32_t kDragBits =
    kStateMoving | kStateResizeLeft | kStateResizeTop | kStateResizeRight | kStateResizeBottom;

// Drag bits by handle number (0 top-left, clockwise to 7 left-middle).
constexpr uint32_t kHandleDragBits[8] = {
    kStateResizeLeft | kStateResizeTop,   kStateResizeTop,
    kStateResizeTop | kStateResizeRight,  kStateResizeRight,
    kStateResizeRight | kStateResizeBottom, kStateResizeBottom,
    kStateResizeLeft | kStateResizeBottom, kStateResizeLeft,
};

int32_t gAssignModule = 0;

} // namespace

int32_t AM_ViewControl::getAssignModule()
{
    return gAssignModule;
}

void AM_ViewControl::setAssignModule(int32_t module)
{
    gAssignModule = module;
}

int32_t AM_ViewControl::hitHandle(const float* point) const
{
    return rectHandleAt(&bounds_, point);
}

uint32_t AM_ViewControl::handleDragBits(int32_t handle)
{
    return handle >= 0 && handle < 8 ? kHandleDragBits[handle] : 0;
}

bool AM_ViewControl::snapToGrid(const float* point, float* offset)
{
    (void)point;
    if (offset != nullptr) {
        offset[0] = 0.0f;
        offset[1] = 0.0f;
    }
    return false;
}

void AM_ViewControl::showBoundsInfo()
{
    if (viewMan_ == nullptr) {
        return;
    }
    char text[64];
    AM_STD::sprintn(text, sizeof text, "x/y %.0f/%.0f h/w %.0fx%.0f", double(bounds_.x),
                    double(bounds_.y), double(bounds_.w), double(bounds_.h));
    viewMan_->showInfoLine(1, this, "Bounds", text, true);
}

AM_ViewControl* AM_ViewControl::editTarget()
{
    AM_ViewControl* focused = viewMan_ != nullptr ? viewMan_->getFocusedControl() : nullptr;
    return focused != nullptr ? focused : this;
}

bool AM_ViewControl::handleEditMouseDown(const float* point, uint32_t buttons, uint32_t extra)
{
    if (point == nullptr) {
        return false;
    }
    downPoint_[0] = point[0];
    downPoint_[1] = point[1];
    downButtons_ = buttons;
    state_ &= 0xFFFF0000u;
    if ((buttons & kRightButton) != 0) {
        buildEditMenu(point, true, extra);
        return false;
    }
    if ((state_ & kStateOwnEditMouseDown) != 0) {
        onMouseDown(point, buttons);
    }
    showBoundsInfo();
    if ((state_ & kStateLocked) != 0) {
        return false;
    }
    savedBounds_ = bounds_;
    if ((state_ & kStateNoResizeHandles) == 0) {
        const int32_t handle = hitHandle(point);
        if (handle >= 0) {
            editTarget()->addUndo("resize", kUndoResize, false, false);
            state_ |= handleDragBits(handle);
            return true;
        }
    }
    editTarget()->addUndo("move", kUndoMove, false, false);
    state_ |= kStateMoving;
    return true;
}

bool AM_ViewControl::handleEditMouseDrag(const float* point, uint32_t buttons, uint32_t extra)
{
    (void)buttons;
    (void)extra;
    if (point == nullptr || (state_ & kDragBits) == 0) {
        return false;
    }
    const float dx = point[0] - downPoint_[0];
    const float dy = point[1] - downPoint_[1];
    AM_ViewControl* target = editTarget();
    float offset[2] = {0.0f, 0.0f};
    auto snap = [&](float x, float y) {
        const float p[2] = {x, y};
        offset[0] = 0.0f;
        offset[1] = 0.0f;
        if (viewMan_ == nullptr || !viewMan_->snapToGrid(p, offset)) {
            offset[0] = 0.0f;
            offset[1] = 0.0f;
        }
    };
    if ((state_ & kStateMoving) != 0) {
        const float x = savedBounds_.x + dx;
        const float y = savedBounds_.y + dy;
        snap(x, y);
        target->moveBy(x + offset[0] - bounds_.x, y + offset[1] - bounds_.y, false, true);
    } else {
        // Each dragged edge follows the snapped corner; the left and top
        // edges stop where the control would become smaller than the
        // minimum, so the control never wanders.
        if ((state_ & kStateResizeLeft) != 0) {
            snap(savedBounds_.x + dx, savedBounds_.y + dy);
            const float right = bounds_.x + bounds_.w;
            const float x = std::min(savedBounds_.x + dx + offset[0], right - kMinimumSide);
            target->growBy(bounds_.x - x, 0.0f, 0.0f, 0.0f, true);
        }
        if ((state_ & kStateResizeTop) != 0) {
            snap(savedBounds_.x + dx, savedBounds_.y + dy);
            const float bottom = bounds_.y + bounds_.h;
            const float y = std::min(savedBounds_.y + dy + offset[1], bottom - kMinimumSide);
            target->growBy(0.0f, bounds_.y - y, 0.0f, 0.0f, true);
        }
        if ((state_ & kStateResizeRight) != 0) {
            const float x = savedBounds_.x + savedBounds_.w + dx;
            snap(x, savedBounds_.y + savedBounds_.h + dy);
            target->growBy(0.0f, 0.0f, x + offset[0] - (bounds_.x + bounds_.w), 0.0f, true);
        }
        if ((state_ & kStateResizeBottom) != 0) {
            const float y = savedBounds_.y + savedBounds_.h + dy;
            snap(savedBounds_.x + savedBounds_.w + dx, y);
            target->growBy(0.0f, 0.0f, 0.0f, y + offset[1] - (bounds_.y + bounds_.h), true);
        }
    }
    showBoundsInfo();
    return true;
}

bool AM_ViewControl::handleEditMouseUp(const float* point, uint32_t buttons, uint32_t extra)
{
    (void)point;
    (void)buttons;
    (void)extra;
    const bool dragging = (state_ & kDragBits) != 0;
    state_ &= ~kDragBits;
    return dragging;
}

void AM_ViewControl::updateSelection(AM_SelectionTail* tail, AM_ViewControl* focus,
                                     bool insideSelected, bool clearFirst)
{
    for (AM_ViewControl* c = this; c != nullptr; c = c->getNextControl()) {
        if (clearFirst && (c->state_ & (kStateSelected | kStateInsideSelected)) != 0) {
            c->redraw();
            c->state_ &= ~(kStateSelected | kStateInsideSelected);
        }
        if (c == focus && (c->state_ & kStateRootView) == 0) {
            c->state_ |= kStateSelected;
            c->redraw();
            c->fillInspector();
        }
        const bool wasInside = (c->state_ & kStateInsideSelected) != 0;
        if (wasInside != insideSelected) {
            c->state_ ^= kStateInsideSelected;
            c->redraw();
        }
        const bool selected = (c->state_ & kStateSelected) != 0;
        c->nextSelected_ = nullptr;
        if (selected && !insideSelected && tail != nullptr) {
            if (tail->last == nullptr) {
                tail->head = c;
            } else {
                tail->last->nextSelected_ = c;
            }
            tail->last = c;
        }
        if (AM_ViewControl* child = c->getFirstChildControl()) {
            child->updateSelection(tail, focus, insideSelected || selected, clearFirst);
        }
    }
}

void AM_ViewControl::deleteControl()
{
    if (getParent() == nullptr) {
        // Not in a tree (already deleted, or a lone control): a delete step
        // could neither unlink it nor give it back.
        AM_STD::printv("%s is in no tree: not deleted\n", getName());
        return;
    }
    addUndo("delete control", kUndoDelete, false, false);
    // The deleted controls leave the selection; the view manager unlinks
    // them when it closes the undo group.
    for (AM_ViewControl* c = this; c != nullptr;) {
        AM_ViewControl* next = c->nextSelected_;
        c->state_ &= ~(kStateSelected | kStateInsideSelected);
        c->nextSelected_ = nullptr;
        c->redraw();
        c = next == this ? nullptr : next;
    }
}

void AM_ViewControl::setInspectorSubject(AM_ViewControl* subject, int32_t slot)
{
    (void)subject;
    (void)slot;
}

bool AM_ViewControl::bindField(const AM_InspectorField& field)
{
    (void)field;
    return false;
}
