#pragma once
// Popup menus of the editor: a neutral menu tree and the presenter that
// shows it at a place of the editor's window and tells what the user chose.
// Showing a menu never holds the caller: the menu stays up across the
// host's idle calls and its answer comes back through a callback. The
// drawn presenter (editor/forms) shows the menu in popup windows;
// HeadlessMenuPresenter records the menus it is given and answers choices a
// test scripted.
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
    // The item the menu opens on (kNoMenuChoice: none): it is placed under
    // the pointer and highlighted, with the submenus that lead to it open.
    uint32_t initialId = kNoMenuChoice;
};

// Told how a menu ended.
class MenuClient {
public:
    virtual ~MenuClient() = default;
    // The menu is over: the chosen item's id, or kNoMenuChoice when it was
    // dismissed (Escape, a click outside it, the grab taken away).
    virtual void menuClosed(uint32_t chosen) = 0;
};

class MenuPresenter {
public:
    virtual ~MenuPresenter() = default;
    // Shows the menu with its top-left corner at (x, y), window pixels (the
    // pointer's place), and returns at once: the user's answer reaches the
    // client once, when an item is chosen or the menu dismissed, from a
    // later call of the editor's idle; a presenter whose menus are answered
    // at once (a test's) may answer before open returns. Disabled items and
    // submenu entries cannot be chosen. False when the menu cannot be shown
    // (a menu is up already, no popups here): the client hears nothing.
    virtual bool open(const PopupMenu& menu, int x, int y, MenuClient* client) = 0;
    // Takes the open menu down; its client is told nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// The menu as indented text, one entry a line: submenus as "> text",
// separators as "-", checkable items as "[ ] text" or "[x] text", disabled
// items with a trailing " (disabled)"; two spaces of indent per level.
std::string describeMenu(const PopupMenu& menu);

} // namespace platform
