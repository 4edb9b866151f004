#include "gui/views/AM_ViewControl_DeleteUndo.h"

#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

AM_ViewControl_DeleteUndo::AM_ViewControl_DeleteUndo(AM_ViewControl* control, const char* name)
    : AM_UndoObject(name), control_(control),
      parent_(control != nullptr ? control->getParentControl() : nullptr),
      previous_(control != nullptr ? dynamic_cast<AM_ViewControl*>(control->getPrevious())
                                   : nullptr)
{
}

AM_ViewControl_DeleteUndo::~AM_ViewControl_DeleteUndo()
{
    if (removed_ && control_ != nullptr) {
        AM_ViewControl* control = control_;
        control_ = nullptr;
        // Unlinked: only its own subtree goes with it.
        delete control;
    }
}

void AM_ViewControl_DeleteUndo::remove()
{
    if (control_ == nullptr || removed_) {
        return;
    }
    AM_ViewControl* parent = dynamic_cast<AM_ViewControl*>(control_->getParentControl());
    control_->redraw();
    control_->unlink();
    control_->setDisposeFlag(true, false);
    // A removed control is no longer part of the selection.
    const bool wasSelected = (control_->getState() & kStateSelected) != 0;
    control_->setState(control_->getState() & ~(kStateSelected | kStateInsideSelected));
    control_->setNextSelected(nullptr);
    removed_ = true;
    if (parent != nullptr) {
        parent->redraw();
    }
    if (wasSelected) {
        if (AM_ViewMan* viewMan = control_->getViewMan()) {
            viewMan->setFocus(nullptr, false);
        }
    }
}

bool AM_ViewControl_DeleteUndo::commit()
{
    remove();
    return true;
}

void AM_ViewControl_DeleteUndo::redo()
{
    remove();
}

void AM_ViewControl_DeleteUndo::undo()
{
    if (control_ == nullptr || !removed_) {
        return;
    }
    if (previous_ != nullptr) {
        control_->insertAfter(previous_);
    } else if (parent_ != nullptr) {
        if (AM_GuiObject* first = parent_->getFirstChild()) {
            control_->insertBefore(first);
        } else {
            parent_->addChild(control_);
        }
    } else {
        // Nowhere to go back to: the step keeps the control.
        return;
    }
    removed_ = false;
    control_->setDisposeFlag(false, false);
    control_->redraw();
}

void AM_ViewControl_DeleteUndo::forgetControl(AM_ViewControl* control)
{
    if (control == nullptr) {
        return;
    }
    if (static_cast<AM_ViewControl*>(control_) == control) {
        control_ = nullptr;
        removed_ = false;
    }
    if (previous_ == control) {
        previous_ = dynamic_cast<AM_ViewControl*>(control->getPrevious());
    }
    if (parent_ == control) {
        parent_ = nullptr;
        previous_ = nullptr;
    }
}

size_t AM_ViewControl_DeleteUndo::memoryBytes() const
{
    return sizeof(*this);
}
