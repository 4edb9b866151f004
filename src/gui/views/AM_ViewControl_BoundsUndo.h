#pragma once
// The undo step of an edit-mode move or resize of one control: the bounds
// before and after. Undo and redo move (or grow) the control back to them,
// so its children follow as they did during the gesture.
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"
#include "gui/views/AM_UndoObject.h"

class AM_ViewControl;

class AM_ViewControl_BoundsUndo : public AM_UndoObject {
public:
    // Keeps the control's bounds as the old bounds.
    AM_ViewControl_BoundsUndo(AM_ViewControl* control, const char* name, bool resize);

    // Takes the control's bounds as the new bounds: true when they differ.
    bool commit() override;
    void undo() override;
    void redo() override;
    void forgetControl(AM_ViewControl* control) override;
    size_t memoryBytes() const override;

    const AM_Rect& getOldBounds() const { return oldBounds_; }
    const AM_Rect& getNewBounds() const { return newBounds_; }
    bool isResize() const { return resize_ != 0; }

private:
    void restore(const AM_Rect& target);

    AM_ViewControl* control_;
    AM_Rect oldBounds_;
    AM_Rect newBounds_{};
    uint8_t resize_;
};
