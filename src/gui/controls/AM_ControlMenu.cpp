#include "gui/controls/AM_ControlMenu.h"

#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

namespace {
constexpr uint32_t kItemCheckable = 0x20000;
constexpr uint32_t kItemChecked = 0x60000;
constexpr uint32_t kItemSeparator = 0x80000;
} // namespace

void AM_addMenuSeparator(AM_ControlMenu* menu)
{
    if (menu != nullptr) {
        menu->push_back({"-", 0, false, false});
    }
}

void AM_addControlMenuItems(AM_ViewMan* viewMan, const AM_ControlMenu& menu)
{
    if (viewMan == nullptr) {
        return;
    }
    for (const AM_ControlMenuItem& item : menu) {
        uint32_t flags = 0;
        if (item.text == "-") {
            flags = kItemSeparator;
        } else if (item.checked) {
            flags = kItemChecked;
        } else if (item.checkable) {
            flags = kItemCheckable;
        }
        viewMan->addMenuItem(0, item.command, item.text.c_str(), 0, flags);
    }
}

void AM_beginControlMenu(AM_ViewMan* viewMan, AM_ViewControl* control, const float* point,
                         uint32_t menuId, const AM_ControlMenu& menu)
{
    if (viewMan == nullptr || point == nullptr) {
        return;
    }
    viewMan->beginMenu(control, point, menuId);
    AM_addControlMenuItems(viewMan, menu);
}

void AM_buildClassEditMenu(AM_ViewControl* control, const float* point, bool open,
                           uint32_t extra, const AM_ControlMenu& items)
{
    AM_ViewMan* viewMan = control != nullptr ? control->getViewMan() : nullptr;
    if (viewMan == nullptr) {
        return;
    }
    if (open) {
        if (point == nullptr) {
            return;
        }
        viewMan->beginMenu(control, point, kControlEditMenu);
        viewMan->addMenuItem(0, 0, control->getName());
    }
    control->AM_ViewControl::buildEditMenu(point, false, extra);
    AM_addControlMenuItems(viewMan, items);
    if (open) {
        viewMan->showMenu();
    }
}

bool AM_openControlMenu(AM_ViewMan* viewMan, AM_ViewControl* control, const float* point,
                        uint32_t menuId, const AM_ControlMenu& menu)
{
    if (viewMan == nullptr || point == nullptr || menu.empty()) {
        return false;
    }
    AM_beginControlMenu(viewMan, control, point, menuId, menu);
    return viewMan->showMenu();
}

int32_t AM_showControlMenu(AM_ViewMan* viewMan, const float* point, const AM_ControlMenu& menu)
{
    if (viewMan == nullptr || point == nullptr || menu.empty()) {
        return -1;
    }
    viewMan->beginMenu(nullptr, point, kControlRunMenu);
    AM_addControlMenuItems(viewMan, menu);
    const AM_MenuItem* chosen = viewMan->getMenuTable().item(viewMan->chooseFromMenu());
    return chosen != nullptr && !chosen->isSubMenuEntry() ? static_cast<int32_t>(chosen->command)
                                                          : -1;
}
