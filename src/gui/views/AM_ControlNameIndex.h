#pragma once
// The controls of a view manager by name, so that the GUI-script reader finds
// a control by its name in the same time however many controls the GUI has.
// Every control joins it when it is made, follows it when it is renamed and
// leaves it when it goes, in a tree or not.
//
// A lookup answers as a walk of the tree would (AM_GuiObject::findByName from
// a node: the node, its subtree, its following siblings and theirs): a name
// that one control has is answered from the index; a name that several
// controls share is left to the walk, which knows their order.
//
// GUI thread only.

#include <string>
#include <unordered_map>
#include <vector>

class AM_ViewControl;

class AM_ControlNameIndex {
public:
    void add(AM_ViewControl* control, const char* name);
    void remove(AM_ViewControl* control, const char* name);

    // The control of that name that a walk from `from` finds first (null:
    // none); `walked` (may be null) is set when the walk had to run.
    AM_ViewControl* find(AM_ViewControl* from, const char* name, bool* walked = nullptr) const;

    // Whether `control` lies where a walk from `from` looks: `from` itself or
    // below it, or a following sibling of `from` or below one.
    static bool walkReaches(const AM_ViewControl* from, const AM_ViewControl* control);

private:
    std::unordered_map<std::string, std::vector<AM_ViewControl*>> controls_;
};
