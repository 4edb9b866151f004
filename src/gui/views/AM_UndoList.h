#pragma once
// The view manager's undo list: the groups of steps that the gestures left,
// oldest first, and the group of the gesture in progress.
//
// A gesture opens a group with its first step and closes it at its end
// (close): a group in which nothing changed is dropped; a group that changed
// something drops the groups that were undone before it (the redo tail) and
// joins the list. Done groups always come before undone ones, so undo takes
// the last done group and redo the first undone one.
//
// The list is bounded: past kMaxGroups groups, or past kMaxBytes of memory
// kept by its steps, the oldest groups are dropped (their changes stay; they
// can no longer be undone), with one line on the trace per list. The newest
// group is always kept. Adding, closing, undoing and redoing take the same
// time however long the list is.
//
// The list owns its steps; a step that keeps a deleted control owns that
// control while the deletion is in effect.
//
// GUI thread only.

#include "gui/views/AM_UndoObject.h"

#include <cstddef>
#include <cstdint>

class AM_UndoList {
public:
    // Most groups the list keeps.
    static constexpr int32_t kMaxGroups = 1000;
    // Most memory its steps may keep (a block editor's stroke keeps its
    // block twice).
    static constexpr size_t kMaxBytes = size_t(16) << 20;

    AM_UndoList() = default;
    ~AM_UndoList();
    AM_UndoList(const AM_UndoList&) = delete;
    AM_UndoList& operator=(const AM_UndoList&) = delete;

    // The step becomes the open group, or the open group's last child, and
    // is prepared. A null step does nothing.
    void add(AM_UndoObject* step);
    // Ends the gesture: clears the gesture flag and commits the open group.
    // Answers true when the group changed something and joined the list.
    bool close();
    // Undoes the last done group (true), or does nothing (false).
    bool undo();
    // Redoes the first undone group (true), or does nothing (false).
    bool redo();
    // Deletes the open group and every group of the list.
    void clear();

    // The group undo would take: the last of the unbroken run of done
    // groups at the head of the list; null when the first group is undone
    // or there is none.
    AM_UndoObject* lastDone() const { return lastDone_; }
    // The group redo would take: the first group that is not done.
    AM_UndoObject* firstUndone() const;
    bool canUndo() const { return lastDone() != nullptr; }
    bool canRedo() const { return firstUndone() != nullptr; }

    // The first group of the list; the open group (null when none).
    AM_UndoObject* first() const { return list_; }
    AM_UndoObject* openGroup() const { return openGroup_; }
    int32_t groupCount() const { return count_; }
    // The memory the steps of the list keep.
    size_t bytes() const { return bytes_; }

    // Whether a gesture is open (set by the one who starts the gesture,
    // cleared by close).
    bool isGestureOpen() const { return gestureOpen_; }
    void setGestureOpen(bool open) { gestureOpen_ = open; }

    // A control that goes away: no step keeps referring to it.
    void forgetControl(AM_ViewControl* control);

private:
    // Deletes the groups from `from` to the end of the list.
    void dropTail(AM_UndoObject* from);
    // Deletes the oldest groups while the list is past a bound.
    void dropOldest();
    // Takes the memory of a group that leaves the list off the count.
    void forget(const AM_UndoObject* group);
    // Deletes a chain of groups that is no longer reachable from the list.
    static void deleteGroups(AM_UndoObject* first);

    AM_UndoObject* list_ = nullptr;
    AM_UndoObject* last_ = nullptr;
    AM_UndoObject* lastDone_ = nullptr;
    AM_UndoObject* openGroup_ = nullptr;
    int32_t count_ = 0;
    size_t bytes_ = 0;
    bool gestureOpen_ = false;
    bool dropTraced_ = false;
};
