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

uint32_t AM_addControlMenuItems(AM_ViewMan* viewMan, const AM_ControlMenu& menu)
{
    if (viewMan == nullptr) {
        return 0;
    }
    uint32_t firstChecked = 0;
    for (const AM_ControlMenuItem& item : menu) {
        uint32_t flags = 0;
        if (item.text == "-") {
            flags = kItemSeparator;
        } else if (item.checked) {
            flags = kItemChecked;
        } else if (item.checkable) {
            flags = kItemCheckable;
        }
        const uint32_t index = viewMan->addMenuItem(0, item.command, item.text.c_str(), 0, flags);
        if (flags == kItemChecked && firstChecked == 0) {
            firstChecked = index;
        }
    }
    return firstChecked;
}

uint32_t AM_beginControlMenu(AM_ViewMan* viewMan, AM_ViewControl* control, const float* point,
                             uint32_t menuId, const AM_ControlMenu& menu)
{
    if (viewMan == nullptr || point == nullptr) {
        return 0;
    }
    viewMan->beginMenu(control, point, menuId);
    return AM_addControlMenuItems(viewMan, menu);
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
                        uint32_t menuId, const AM_ControlMenu& menu, bool openOnChecked)
{
    if (viewMan == nullptr || point == nullptr || menu.empty()) {
        return false;
    }
    const uint32_t checked = AM_beginControlMenu(viewMan, control, point, menuId, menu);
    if (openOnChecked) {
        viewMan->setMenuInitialItem(checked);
    }
    return viewMan->showMenu();
}
