#pragma once
// The undo step of deleting a control in edit mode. Committing (and redoing)
// takes the control out of the tree and marks its subtree disposed; undoing
// links it back at its old place among its siblings. While the deletion is
// in effect the step owns the control: deleting the step deletes it.
//
// GUI thread only.

#include "gui/views/AM_UndoObject.h"

class AM_ViewControl;

class AM_ViewControl_DeleteUndo : public AM_UndoObject {
public:
    // Keeps the control's parent and previous sibling.
    AM_ViewControl_DeleteUndo(AM_ViewControl* control, const char* name);
    // Deletes the control when the deletion is in effect.
    ~AM_ViewControl_DeleteUndo() override;

    // Unlinks and disposes the control: true.
    bool commit() override;
    void undo() override;
    void redo() override;
    // A control that goes away: the step forgets it as the deleted control,
    // and as the old parent or previous sibling (the control is then put
    // back after the sibling before that one, or not at all without a
    // parent).
    void forgetControl(AM_ViewControl* control) override;
    size_t memoryBytes() const override;

    AM_ViewControl* getControl() const { return control_; }

private:
    void remove();

    AM_ViewControl* control_;
    AM_ViewControl* parent_;
    AM_ViewControl* previous_;
    // The control was unlinked by this step and waits here.
    bool removed_ = false;
};
