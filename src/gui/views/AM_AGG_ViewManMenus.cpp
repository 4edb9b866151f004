// The editor's popup menus: the view manager's item table turned into the
// platform's menu tree, shown at the opening point, and the chosen item
// handed to the opening control.

#include "foundation/AM_STD.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "platform/MenuPresenter.h"

#include <cmath>
#include <vector>

namespace {

// The entries of submenu `subMenu`; children[s] lists the table indices of
// submenu s's items in order.
void buildEntries(const AM_MenuTable& table, const std::vector<std::vector<uint32_t>>& children,
                  uint32_t subMenu, std::vector<platform::MenuEntry>& out, int depth)
{
    for (const uint32_t index : children[subMenu]) {
        const AM_MenuItem& item = *table.item(index);
        platform::MenuEntry entry;
        entry.text = item.text;
        if (item.isSubMenuEntry()) {
            entry.kind = platform::MenuEntry::Kind::kSubmenu;
            // A submenu's index is always above its parent's, so the walk
            // ends; the depth bound only guards the table's invariant.
            if (item.command < children.size() && item.command != subMenu &&
                depth < int(AM_MenuTable::kMaxSubMenus)) {
                buildEntries(table, children, item.command, entry.children, depth + 1);
            }
        } else if (item.isSeparator()) {
            entry.kind = platform::MenuEntry::Kind::kSeparator;
            entry.text.clear();
        } else {
            entry.id = index;
            entry.checkable = item.isCheckable() || item.isChecked();
            entry.checked = item.isChecked();
        }
        out.push_back(std::move(entry));
    }
}

} // namespace

bool AM_AGG_ViewMan::showMenu()
{
    platform::MenuPresenter* menus = dialogs_.menus;
    if (menus == nullptr) {
        AM_STD::printv("no menu presenter: the menu is not shown\n");
        return false;
    }
    if (menuShown_ || menus->isOpen()) {
        AM_STD::printv("a menu is up already: the new one is not shown\n");
        return false;
    }
    // What the user chooses is read from this copy, whatever menus are
    // begun before the answer comes.
    shownMenu_ = menuTable_;
    const AM_MenuTable& table = shownMenu_;
    std::vector<std::vector<uint32_t>> children(table.subMenuCount() + 1);
    for (uint32_t index = 1; index <= table.itemCount(); ++index) {
        const uint32_t parent = table.item(index)->subMenu();
        if (parent < children.size()) {
            children[parent].push_back(index);
        }
    }
    platform::PopupMenu menu;
    buildEntries(table, children, 0, menu.entries, 0);
    menu.initialId = table.initialItem();
    const float zoom = getZoom();
    const int x = int(std::floor(table.point()[0] * zoom));
    const int y = int(std::floor(table.point()[1] * zoom));
    // A presenter that answers at once calls menuClosed before open returns.
    menuShown_ = true;
    if (!menus->open(menu, x, y, this)) {
        menuShown_ = false;
        AM_STD::printv("the menu could not be shown\n");
    }
    return false;
}

void AM_AGG_ViewMan::menuClosed(uint32_t chosen)
{
    if (!menuShown_) {
        return;
    }
    menuShown_ = false;
    // The control may show another menu while it handles this one.
    const AM_MenuTable shown = std::move(shownMenu_);
    shownMenu_ = AM_MenuTable();
    const AM_MenuItem* item = shown.item(chosen);
    if (chosen == platform::kNoMenuChoice || item == nullptr || item->isSubMenuEntry() ||
        item->isSeparator()) {
        return;
    }
    deliverMenuCommand(shown, chosen);
}

void AM_AGG_ViewMan::closeShownMenu()
{
    if (!menuShown_) {
        return;
    }
    menuShown_ = false;
    shownMenu_ = AM_MenuTable();
    if (dialogs_.menus != nullptr && dialogs_.menus->isOpen()) {
        dialogs_.menus->close();
    }
}
