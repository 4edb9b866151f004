#include "gui/views/AM_ViewControl_BoundsUndo.h"

#include "gui/views/AM_ViewControl.h"

AM_ViewControl_BoundsUndo::AM_ViewControl_BoundsUndo(AM_ViewControl* control, const char* name,
                                                     bool resize)
    : AM_UndoObject(name), control_(control),
      oldBounds_(control != nullptr ? control->getBounds() : AM_Rect{}), resize_(resize ? 1 : 0)
{
}

bool AM_ViewControl_BoundsUndo::commit()
{
    if (control_ == nullptr) {
        return false;
    }
    newBounds_ = control_->getBounds();
    return newBounds_.x != oldBounds_.x || newBounds_.y != oldBounds_.y ||
           newBounds_.w != oldBounds_.w || newBounds_.h != oldBounds_.h;
}

void AM_ViewControl_BoundsUndo::restore(const AM_Rect& target)
{
    if (control_ == nullptr) {
        return;
    }
    const AM_Rect current = control_->getBounds();
    const float dx = target.x - current.x;
    const float dy = target.y - current.y;
    if (resize_ != 0) {
        control_->growBy(-dx, -dy, (target.w - current.w) + dx, (target.h - current.h) + dy, false);
    } else {
        control_->moveBy(dx, dy, false, false);
    }
}

void AM_ViewControl_BoundsUndo::undo()
{
    restore(oldBounds_);
}

void AM_ViewControl_BoundsUndo::redo()
{
    restore(newBounds_);
}

void AM_ViewControl_BoundsUndo::forgetControl(AM_ViewControl* control)
{
    if (control != nullptr && static_cast<AM_ViewControl*>(control_) == control) {
        control_ = nullptr;
    }
}

size_t AM_ViewControl_BoundsUndo::memoryBytes() const
{
    return sizeof(*this);
}
