#include "gui/views/AM_MenuTable.h"

#include "foundation/AM_STD.h"

#include <string_view>
#include <utility>

AM_MenuTable::AM_MenuTable()
{
    begin(nullptr, nullptr, kRunMenuId);
}

void AM_MenuTable::begin(AM_ViewControl* control, const float* point, uint32_t menuId)
{
    items_.clear();
    AM_MenuItem menu;
    menu.text = kMenuTitle;
    menu.itemFlags = kMenuSubMenuEntry;
    menu.command = menuId;
    items_.push_back(std::move(menu));
    subMenus_ = 0;
    lastWasSeparator_ = false;
    control_ = control;
    point_[0] = point != nullptr ? point[0] : 0.0f;
    point_[1] = point != nullptr ? point[1] : 0.0f;
    menuId_ = menuId;
    initialItem_ = 0;
}

uint32_t AM_MenuTable::addItem(uint32_t subMenu, uint32_t command, const char* text, int32_t value,
                               uint32_t flags, void* userData)
{
    const bool separator = (flags & kMenuSeparator) != 0 ||
                           (text != nullptr && std::string_view(text) == kMenuSeparatorText);
    if (separator && lastWasSeparator_) {
        return 0;
    }
    if (subMenu > subMenus_) {
        AM_STD::printv("menu item '%s' dropped: there is no submenu %d\n",
                       text != nullptr ? text : "", int(subMenu));
        return 0;
    }
    if (items_.size() >= kMaxItems) {
        AM_STD::printv("WARNING: more than max MenuItems!\n");
        return 0;
    }
    lastWasSeparator_ = separator;
    AM_MenuItem item;
    item.text = text != nullptr ? text : "";
    item.itemFlags = subMenu | (flags & ~(kMenuSubMenuMask | kMenuSubMenuEntry));
    item.command = command;
    item.userData = userData;
    item.value = value;
    items_.push_back(std::move(item));
    return itemCount();
}

uint32_t AM_MenuTable::addSubMenu(uint32_t parent, const char* text, int32_t value)
{
    if (parent > subMenus_) {
        AM_STD::printv("submenu '%s' dropped: there is no submenu %d\n",
                       text != nullptr ? text : "", int(parent));
        return kNoSubMenu;
    }
    if (subMenus_ + 1 >= kMaxSubMenus) {
        AM_STD::printv("WARNING: more than max SubMenus!\n");
        return kNoSubMenu;
    }
    if (items_.size() >= kMaxItems) {
        AM_STD::printv("WARNING: more than max MenuItems!\n");
        return kNoSubMenu;
    }
    lastWasSeparator_ = false;
    AM_MenuItem entry;
    entry.text = text != nullptr ? text : "";
    entry.itemFlags = parent | kMenuSubMenuEntry;
    entry.command = ++subMenus_;
    entry.value = value;
    items_.push_back(std::move(entry));
    return subMenus_;
}

const AM_MenuItem* AM_MenuTable::item(uint32_t index) const
{
    return index < items_.size() ? &items_[index] : nullptr;
}

void AM_MenuTable::forgetControl(AM_ViewControl* control)
{
    if (control != nullptr && control_ == control) {
        control_ = nullptr;
    }
}
