#pragma once
// One undo step. Steps are GUI objects, so a gesture's steps form a small
// tree: the first step of a gesture is its group, the later steps are the
// group's children, and the groups are siblings in the view manager's undo
// list (AM_UndoList).
//
// A step is done (in effect) from construction; undo clears that, redo sets
// it again. The subclasses record what a gesture changed: a parameter, the
// bounds of a control or the deletion of a control.
//
// GUI thread only.

#include "gui/graphics/AM_GuiObject.h"

#include <cstddef>
#include <cstdint>

class AM_ViewControl;

class AM_UndoObject : public AM_GuiObject {
public:
    // Mask 0x80800, object id 0 (no view manager), done.
    explicit AM_UndoObject(const char* name);

    // Called when the step joins the open group: the moment before the
    // gesture changes anything. Nothing here.
    virtual void prepare();
    // Called when the gesture ends: takes the state after the change and
    // answers whether anything changed. False here.
    virtual bool commit();
    // Puts back the state before (after) the change. Nothing here.
    virtual void undo();
    virtual void redo();

    // A control that goes away: the step stops referring to it (it then
    // undoes and redoes nothing for it). Nothing here.
    virtual void forgetControl(AM_ViewControl* control);

    // The memory the step keeps (its object and what it holds).
    virtual size_t memoryBytes() const;
    // The memory of the step and every step below it.
    size_t treeBytes() const;

    bool isDone() const { return done_ != 0; }

    // The tree walks. With nodeOnly: the node and its children; without:
    // also its following siblings (and their children). undoTree/redoTree
    // clear/set `done` on every step they reach; steps run in the order in
    // which they were recorded.
    static void prepareTree(AM_UndoObject* node, bool nodeOnly);
    static bool commitTree(AM_UndoObject* node, bool nodeOnly);
    static void undoTree(AM_UndoObject* node, bool nodeOnly);
    static void redoTree(AM_UndoObject* node, bool nodeOnly);
    static void forgetControlTree(AM_UndoObject* node, AM_ViewControl* control);

    AM_UndoObject* getNextStep() const;
    AM_UndoObject* getFirstChildStep() const;

protected:
    uint8_t done_ = 1;
};
