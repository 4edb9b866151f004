#pragma once
// The view manager's popup-menu table: every popup menu of the GUI is built
// here as a flat list of items (entry 0 is the menu itself) before the
// platform view manager shows it. An item belongs to a submenu by the low
// byte of its flags; a submenu entry's command is the submenu's index.
//
// The table holds at most kMaxItems entries and kMaxSubMenus submenus
// (index 0 is the top level); what comes past either is dropped with a
// trace line. It owns copies of the item texts.
//
// Menu commands are (sub-index << 16) | code; run-mode menus have the id
// kRunMenuId, edit menus kEditMenuId.
//
// GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

class AM_ViewControl;

// Flags of menu items.
enum AM_MenuItemFlags : uint32_t {
    kMenuSubMenuMask = 0xFF,
    kMenuSubMenuEntry = 0x10000,
    kMenuCheckable = 0x20000,
    kMenuCheckedBit = 0x40000,
    kMenuChecked = 0x60000,
    kMenuSeparator = 0x80000,
};

// Menu ids.
constexpr uint32_t kRunMenuId = 0;
constexpr uint32_t kEditMenuId = 0x7FFFFFFF;

// Command codes that several classes share.
enum AM_MenuCode : uint32_t {
    kMenuCodeOwnCommand = 5,
    // A control (a pane, a rack, ...) chosen from the controls that listed
    // themselves; user data: the control.
    kMenuCodeAttachControl = 16,
    // A colour for a colour slot (sub-index); user data: the colour.
    kMenuCodeColourChoice = 18,
    // A port for a listener entry (sub-index); user data: the port record.
    kMenuCodeListenTo = 19,
    kMenuCodeValueChoice = 23,
};
// Sub-indices of kMenuCodeOwnCommand for MIDI learn.
constexpr uint32_t kMenuSubMidiLearn = 200;
constexpr uint32_t kMenuSubMidiUnlearn = 201;

constexpr uint32_t AM_menuCommand(uint32_t subIndex, uint32_t code)
{
    return (subIndex << 16) | code;
}
constexpr uint32_t AM_menuCode(uint32_t command)
{
    return command & 0xFFFF;
}
constexpr uint32_t AM_menuSubIndex(uint32_t command)
{
    return command >> 16;
}

// The text of a separator item.
inline constexpr char kMenuSeparatorText[] = "-";

struct AM_MenuItem {
    std::string text;
    uint32_t itemFlags = 0;
    // An item's command; a submenu entry's submenu index.
    uint32_t command = 0;
    void* userData = nullptr;
    // The caller's second value.
    int32_t value = 0;

    uint32_t subMenu() const { return itemFlags & kMenuSubMenuMask; }
    bool isSubMenuEntry() const { return (itemFlags & kMenuSubMenuEntry) != 0; }
    bool isCheckable() const { return (itemFlags & kMenuCheckable) != 0; }
    bool isChecked() const { return (itemFlags & kMenuCheckedBit) != 0; }
    bool isSeparator() const
    {
        return (itemFlags & kMenuSeparator) != 0 || text == kMenuSeparatorText;
    }
};

// What a control implements to receive the item chosen from its menu.
class AM_MenuCommandTarget {
public:
    virtual ~AM_MenuCommandTarget() = default;
    // An item of the menu menuId that this control opened at point was
    // chosen (valid) or nothing was; answers whether the control used it.
    virtual bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                   const AM_MenuItem* item) = 0;
};

class AM_MenuTable {
public:
    static constexpr uint32_t kMaxItems = 8192;
    static constexpr uint32_t kMaxSubMenus = 256;
    // What addSubMenu answers when no submenu was added: items added to it
    // are dropped.
    static constexpr uint32_t kNoSubMenu = kMaxSubMenus;
    // The text of entry 0.
    static constexpr const char* kMenuTitle = "MainMenu";

    AM_MenuTable();

    // Starts a new menu of the control (which may be null) at the point:
    // no items, no submenus.
    void begin(AM_ViewControl* control, const float* point, uint32_t menuId);
    // Appends an item to submenu `subMenu` and answers its index; 0 when it
    // was dropped (a separator straight after a separator, a submenu that
    // does not exist, a full table). Flags bits of the submenu byte and the
    // submenu-entry bit are ignored.
    uint32_t addItem(uint32_t subMenu, uint32_t command, const char* text, int32_t value,
                     uint32_t flags, void* userData);
    // Appends a submenu entry under `parent` and answers the new submenu's
    // index (1, 2, ...); kNoSubMenu when it was dropped.
    uint32_t addSubMenu(uint32_t parent, const char* text, int32_t value);

    // Items, not counting entry 0.
    uint32_t itemCount() const { return static_cast<uint32_t>(items_.size()) - 1; }
    uint32_t subMenuCount() const { return subMenus_; }
    // Entry index (0 is the menu); null past the count.
    const AM_MenuItem* item(uint32_t index) const;
    AM_ViewControl* control() const { return control_; }
    const float* point() const { return point_; }
    uint32_t menuId() const { return menuId_; }
    // The item the menu opens on (0: none; a new menu starts without one).
    void setInitialItem(uint32_t index) { initialItem_ = index; }
    uint32_t initialItem() const { return initialItem_; }

    // The control goes away: the menu no longer goes to it.
    void forgetControl(AM_ViewControl* control);

private:
    std::vector<AM_MenuItem> items_;
    uint32_t subMenus_ = 0;
    bool lastWasSeparator_ = false;
    AM_ViewControl* control_ = nullptr;
    float point_[2] = {0.0f, 0.0f};
    uint32_t menuId_ = 0;
    uint32_t initialItem_ = 0;
};
