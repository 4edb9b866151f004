#include "gui/views/AM_UndoList.h"

#include "foundation/AM_STD.h"

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
        dropTail(tail);
    }
    if (last_ == nullptr) {
        list_ = group;
    } else {
        group->insertAfter(last_);
    }
    last_ = group;
    lastDone_ = group;
    ++count_;
    bytes_ += group->treeBytes();
    dropOldest();
    return true;
}

bool AM_UndoList::undo()
{
    if (openGroup_ != nullptr || gestureOpen_) {
        close();
    }
    AM_UndoObject* group = lastDone_;
    if (group == nullptr) {
        return false;
    }
    AM_UndoObject::undoTree(group, true);
    lastDone_ = static_cast<AM_UndoObject*>(group->getPrevious());
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
    lastDone_ = group;
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
    last_ = nullptr;
    lastDone_ = nullptr;
    count_ = 0;
    bytes_ = 0;
    gestureOpen_ = false;
    dropTraced_ = false;
    deleteGroups(open);
    deleteGroups(list);
}

AM_UndoObject* AM_UndoList::firstUndone() const
{
    return lastDone_ != nullptr ? lastDone_->getNextStep() : list_;
}

void AM_UndoList::forgetControl(AM_ViewControl* control)
{
    AM_UndoObject::forgetControlTree(list_, control);
    AM_UndoObject::forgetControlTree(openGroup_, control);
}

void AM_UndoList::dropTail(AM_UndoObject* from)
{
    for (const AM_UndoObject* group = from; group != nullptr; group = group->getNextStep()) {
        --count_;
        forget(group);
    }
    last_ = static_cast<AM_UndoObject*>(from->getPrevious());
    if (from == list_) {
        list_ = nullptr;
    }
    // The deleted node cuts the list off before itself.
    deleteGroups(from);
}

void AM_UndoList::dropOldest()
{
    while (list_ != last_ && (count_ > kMaxGroups || bytes_ > kMaxBytes)) {
        if (!dropTraced_) {
            dropTraced_ = true;
            AM_STD::printv("Undo list full (%d steps, %d kB at most): the oldest steps are "
                           "dropped",
                           int(kMaxGroups), int(kMaxBytes >> 10));
        }
        AM_UndoObject* oldest = list_;
        list_ = oldest->getNextStep();
        if (lastDone_ == oldest) {
            lastDone_ = nullptr;
        }
        oldest->unlink();
        --count_;
        forget(oldest);
        deleteGroups(oldest);
    }
}

void AM_UndoList::forget(const AM_UndoObject* group)
{
    const size_t bytes = group->treeBytes();
    bytes_ = bytes < bytes_ ? bytes_ - bytes : 0;
}

void AM_UndoList::deleteGroups(AM_UndoObject* first)
{
    // A node deletes its children and the siblings after it.
    delete first;
}
