#include "gui/views/AM_ControlNameIndex.h"

#include "gui/views/AM_ViewControl.h"

#include <algorithm>

namespace {

// Whether `later` follows `earlier` in their sibling list. Both lists are
// walked at once (later back, earlier on), so the answer takes as many steps
// as the shorter way to it, or to an end of the list.
bool follows(const AM_GuiObject* earlier, const AM_GuiObject* later)
{
    const AM_GuiObject* forward = earlier->getNext();
    const AM_GuiObject* backward = later->getPrevious();
    while (true) {
        if (forward == later || backward == earlier)
            return true;
        if (forward == nullptr || backward == nullptr)
            return false;
        forward = forward->getNext();
        backward = backward->getPrevious();
    }
}

} // namespace

void AM_ControlNameIndex::add(AM_ViewControl* control, const char* name)
{
    if (control == nullptr || name == nullptr)
        return;
    controls_[name].push_back(control);
}

void AM_ControlNameIndex::remove(AM_ViewControl* control, const char* name)
{
    if (control == nullptr || name == nullptr)
        return;
    const auto found = controls_.find(name);
    if (found == controls_.end())
        return;
    std::vector<AM_ViewControl*>& named = found->second;
    const auto at = std::find(named.begin(), named.end(), control);
    if (at != named.end()) {
        *at = named.back();
        named.pop_back();
    }
    if (named.empty())
        controls_.erase(found);
}

bool AM_ControlNameIndex::walkReaches(const AM_ViewControl* from, const AM_ViewControl* control)
{
    if (from == nullptr || control == nullptr)
        return false;
    const AM_GuiObject* fromParent = from->getParent();
    for (const AM_GuiObject* node = control; node != nullptr; node = node->getParent()) {
        if (node == from)
            return true;
        if (node->getParent() == fromParent)
            return follows(from, node);
    }
    return false;
}

AM_ViewControl* AM_ControlNameIndex::find(AM_ViewControl* from, const char* name,
                                          bool* walked) const
{
    if (walked != nullptr)
        *walked = false;
    if (from == nullptr || name == nullptr)
        return nullptr;
    const auto found = controls_.find(name);
    if (found == controls_.end())
        return nullptr;
    if (found->second.size() == 1) {
        AM_ViewControl* control = found->second.front();
        return walkReaches(from, control) ? control : nullptr;
    }
    if (walked != nullptr)
        *walked = true;
    return dynamic_cast<AM_ViewControl*>(from->findByName(name));
}
