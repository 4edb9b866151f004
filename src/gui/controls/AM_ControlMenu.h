#pragma once
// The popup menus of the standard controls as lists of items, so a control
// builds its menu the same way whatever shows it, and the view manager's
// menu operations receive the items in one place.
//
// Command words: (sub << 16) | code. GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

class AM_ViewControl;
class AM_ViewMan;

// The control's own items carry code 5; the menu ids of the run-mode menu
// and of the edit menu.
constexpr uint32_t kControlMenuCode = 5;
constexpr uint32_t kControlRunMenu = 0;
constexpr uint32_t kControlEditMenu = 0x7FFFFFFF;

constexpr uint32_t AM_controlCommand(uint32_t sub, uint32_t code = kControlMenuCode)
{
    return (sub << 16) | code;
}

struct AM_ControlMenuItem {
    std::string text; // "-" is a separator
    uint32_t command = 0;
    bool checkable = false;
    bool checked = false;
};

using AM_ControlMenu = std::vector<AM_ControlMenuItem>;

// Appends a separator.
void AM_addMenuSeparator(AM_ControlMenu* menu);

// Adds the items to the top level of the menu being built; answers the
// index of the first checked item (0: none), which the menu may open on.
uint32_t AM_addControlMenuItems(AM_ViewMan* viewMan, const AM_ControlMenu& menu);

// Begins menu `menuId` of the control at the point with the items; the
// caller may add more before it shows the menu (showMenu). Answers the
// index of the first checked item (0: none).
uint32_t AM_beginControlMenu(AM_ViewMan* viewMan, AM_ViewControl* control, const float* point,
                             uint32_t menuId, const AM_ControlMenu& menu);

// A class's edit menu: when `open`, the edit menu is begun at the point with
// the control's name as its first item; then the items of every control
// (the base's buildEditMenu), the class's items, and, when `open`, the menu
// is shown.
void AM_buildClassEditMenu(AM_ViewControl* control, const float* point, bool open,
                           uint32_t extra, const AM_ControlMenu& items);

// Begins menu `menuId` of the control at the point with the items and shows
// it (opened on its first checked item when `openOnChecked`): the chosen
// item reaches the control's handleMenuCommand. Answers what the view
// manager's showMenu answers (false when nothing could be shown).
bool AM_openControlMenu(AM_ViewMan* viewMan, AM_ViewControl* control, const float* point,
                        uint32_t menuId, const AM_ControlMenu& menu, bool openOnChecked = false);
