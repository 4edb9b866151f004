#include "gui/views/AM_UndoObject.h"

AM_UndoObject::AM_UndoObject(const char* name) : AM_GuiObject(nullptr)
{
    setName(name);
}

void AM_UndoObject::prepare() {}

bool AM_UndoObject::commit()
{
    return false;
}

void AM_UndoObject::undo() {}

void AM_UndoObject::redo() {}

void AM_UndoObject::forgetControl(AM_ViewControl* control)
{
    (void)control;
}

size_t AM_UndoObject::memoryBytes() const
{
    return sizeof(AM_UndoObject);
}

size_t AM_UndoObject::treeBytes() const
{
    size_t bytes = memoryBytes();
    for (const AM_UndoObject* step = getFirstChildStep(); step != nullptr;
         step = step->getNextStep()) {
        bytes += step->treeBytes();
    }
    return bytes;
}

AM_UndoObject* AM_UndoObject::getNextStep() const
{
    return static_cast<AM_UndoObject*>(getNext());
}

AM_UndoObject* AM_UndoObject::getFirstChildStep() const
{
    return static_cast<AM_UndoObject*>(getFirstChild());
}

void AM_UndoObject::prepareTree(AM_UndoObject* node, bool nodeOnly)
{
    for (; node != nullptr; node = nodeOnly ? nullptr : node->getNextStep()) {
        node->prepare();
        prepareTree(node->getFirstChildStep(), false);
    }
}

bool AM_UndoObject::commitTree(AM_UndoObject* node, bool nodeOnly)
{
    bool changed = false;
    for (; node != nullptr; node = nodeOnly ? nullptr : node->getNextStep()) {
        // Every step commits, even after one has answered true.
        changed = node->commit() || changed;
        changed = commitTree(node->getFirstChildStep(), false) || changed;
    }
    return changed;
}

void AM_UndoObject::undoTree(AM_UndoObject* node, bool nodeOnly)
{
    for (; node != nullptr; node = nodeOnly ? nullptr : node->getNextStep()) {
        node->undo();
        node->done_ = 0;
        undoTree(node->getFirstChildStep(), false);
    }
}

void AM_UndoObject::redoTree(AM_UndoObject* node, bool nodeOnly)
{
    for (; node != nullptr; node = nodeOnly ? nullptr : node->getNextStep()) {
        node->redo();
        node->done_ = 1;
        redoTree(node->getFirstChildStep(), false);
    }
}

void AM_UndoObject::forgetControlTree(AM_UndoObject* node, AM_ViewControl* control)
{
    for (; node != nullptr; node = node->getNextStep()) {
        node->forgetControl(control);
        forgetControlTree(node->getFirstChildStep(), control);
    }
}
