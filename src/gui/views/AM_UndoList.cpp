#include "gui/views/AM_UndoList.h"

AM_UndoList::~AM_UndoList()
{
    clear();
}

void AM_UndoList::add(AM_UndoObject* step)
{
    if (step == nullptr) {
        return;
    }
    if (openGroup_ == nullptr) {
        openGroup_ = step;
    } else {
        openGroup_->addChild(step);
    }
    AM_UndoObject::prepareTree(step, true);
}

bool AM_UndoList::close()
{
    gestureOpen_ = false;
    AM_UndoObject* group = openGroup_;
    if (group == nullptr) {
        return false;
    }
    openGroup_ = nullptr;
    if (!AM_UndoObject::commitTree(group, true)) {
        deleteGroups(group);
        return false;
    }
    // The redo tail goes: the first undone group and every group after it.
    if (AM_UndoObject* tail = firstUndone()) {
        if (tail == list_) {
            list_ = nullptr;
        }
        // The deleted node cuts the list off before itself.
        deleteGroups(tail);
    }
    if (list_ == nullptr) {
        list_ = group;
    } else {
        list_->appendSibling(group);
    }
    return true;
}

bool AM_UndoList::undo()
{
    if (openGroup_ != nullptr || gestureOpen_) {
        close();
    }
    AM_UndoObject* group = lastDone();
    if (group == nullptr) {
        return false;
    }
    AM_UndoObject::undoTree(group, true);
    return true;
}

bool AM_UndoList::redo()
{
    if (openGroup_ != nullptr || gestureOpen_) {
        close();
    }
    AM_UndoObject* group = firstUndone();
    if (group == nullptr) {
        return false;
    }
    AM_UndoObject::redoTree(group, true);
    return true;
}

void AM_UndoList::clear()
{
    // Both chains leave the list before they are deleted: a step that owns
    // a deleted control frees it, and that control's end comes back here
    // through forgetControl.
    AM_UndoObject* open = openGroup_;
    AM_UndoObject* list = list_;
    openGroup_ = nullptr;
    list_ = nullptr;
    gestureOpen_ = false;
    deleteGroups(open);
    deleteGroups(list);
}

AM_UndoObject* AM_UndoList::lastDone() const
{
    AM_UndoObject* last = nullptr;
    for (AM_UndoObject* group = list_; group != nullptr && group->isDone();
         group = group->getNextStep()) {
        last = group;
    }
    return last;
}

AM_UndoObject* AM_UndoList::firstUndone() const
{
    for (AM_UndoObject* group = list_; group != nullptr; group = group->getNextStep()) {
        if (!group->isDone()) {
            return group;
        }
    }
    return nullptr;
}

int32_t AM_UndoList::groupCount() const
{
    int32_t count = 0;
    for (AM_UndoObject* group = list_; group != nullptr; group = group->getNextStep()) {
        ++count;
    }
    return count;
}

void AM_UndoList::forgetControl(AM_ViewControl* control)
{
    AM_UndoObject::forgetControlTree(list_, control);
    AM_UndoObject::forgetControlTree(openGroup_, control);
}

void AM_UndoList::deleteGroups(AM_UndoObject* first)
{
    // A node deletes its children and the siblings after it.
    delete first;
}
