#pragma once
// Popup menus of the editor: a neutral menu tree and the presenter that
// shows it at a place of the editor's window and answers what the user
// chose. The X11 presenter draws the menu itself; HeadlessMenuPresenter
// records the menus it is given and answers choices a test scripted.
//
// GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The answer of a menu that was dismissed (a click outside it, Escape).
inline constexpr uint32_t kNoMenuChoice = 0;

// One entry of a popup menu.
struct MenuEntry {
    enum class Kind : uint8_t { kItem, kSeparator, kSubmenu };

    Kind kind = Kind::kItem;
    // UTF-8; shown as it is (no mnemonics).
    std::string text;
    // Items only: what show answers when this item is chosen (never
    // kNoMenuChoice).
    uint32_t id = kNoMenuChoice;
    bool checkable = false;
    bool checked = false;
    bool enabled = true;
    // Submenus only: their entries, in order.
    std::vector<MenuEntry> children;
};

struct PopupMenu {
    std::vector<MenuEntry> entries;
};

class MenuPresenter {
public:
    virtual ~MenuPresenter() = default;
    // Shows the menu with its top-left corner at (x, y), window pixels (the
    // pointer's place), and waits until the user chooses an item or
    // dismisses the menu: the chosen item's id, or kNoMenuChoice. Disabled
    // items and submenu entries cannot be chosen.
    virtual uint32_t show(const PopupMenu& menu, int x, int y) = 0;
};

// The menu as indented text, one entry a line: submenus as "> text",
// separators as "-", checkable items as "[ ] text" or "[x] text", disabled
// items with a trailing " (disabled)"; two spaces of indent per level.
std::string describeMenu(const PopupMenu& menu);

} // namespace platform
