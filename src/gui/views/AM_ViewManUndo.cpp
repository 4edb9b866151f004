// The undo operations of the view manager over its undo list.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"

void AM_ViewMan::addUndo(AM_GuiObject* record)
{
    auto* step = dynamic_cast<AM_UndoObject*>(record);
    if (step == nullptr) {
        if (record != nullptr) {
            AM_STD::printv("addUndo: %s is no undo step\n", record->getName());
            delete record;
        }
        return;
    }
    undoList_.add(step);
}

void AM_ViewMan::closeUndo()
{
    undoList_.close();
    updateUndoButtons();
}

void AM_ViewMan::undo()
{
    AM_STD::printv("undo!\n");
    closeUndo();
    const AM_UndoObject* group = undoList_.lastDone();
    // Each clone has its own step: restored changes must not reach the
    // clones a second time.
    const uint8_t selectionOption = selectionOption_;
    if (group != nullptr && group->getFirstChild() != nullptr) {
        selectionOption_ = 0;
    }
    undoList_.undo();
    selectionOption_ = selectionOption;
    if (repaintAfterUndo_ != 0) {
        repaintAll();
    }
    updateUndoButtons();
}

void AM_ViewMan::redo()
{
    AM_STD::printv("redo!\n");
    closeUndo();
    const AM_UndoObject* group = undoList_.firstUndone();
    const uint8_t selectionOption = selectionOption_;
    if (group != nullptr && group->getFirstChild() != nullptr) {
        selectionOption_ = 0;
    }
    undoList_.redo();
    selectionOption_ = selectionOption;
    if (repaintAfterUndo_ != 0) {
        repaintAll();
    }
    updateUndoButtons();
}

void AM_ViewMan::clearUndo()
{
    undoList_.clear();
    updateUndoButtons();
}

void AM_ViewMan::updateUndoButtons()
{
    if (topControl_ == nullptr) {
        return;
    }
    const struct {
        const char* button;
        const char* highlight;
        bool active;
    } buttons[] = {{"UndoButton", "UndoHighlight", undoList_.canUndo()},
                   {"RedoButton", "RedoHighlight", undoList_.canRedo()}};
    for (const auto& b : buttons) {
        AM_ViewControl* control = findControl(topControl_, b.button);
        if (control == nullptr) {
            continue;
        }
        if (b.active) {
            if (AM_Graphic* highlight = getGraphic(b.highlight)) {
                control->setGraphic(highlight, 0);
            }
        } else {
            control->setGraphic(nullptr, 0);
        }
        control->redraw();
    }
}
