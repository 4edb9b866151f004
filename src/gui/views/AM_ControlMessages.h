#pragma once
// Message codes that controls send and answer among themselves through the
// view manager's object host (controls have class kGuiControlBit).

#include <cstdint>

enum AM_ControlMessage : uint32_t {
    // Answer the sender with the code in the argument when selected.
    kCtlMsgAskSelected = 14,
    // Disposed controls announce their end (message 18).
    kCtlMsgAnnounceDisposed = 17,
    // The sender goes away: forget it (prototype, listener entries).
    kCtlMsgGoingAway = 18,
    // The sender (a prototype) grew; data: five words, 0 then the left,
    // top, right and bottom deltas as floats.
    kCtlMsgPrototypeGrew = 22,
    // The sender (a prototype) took a graphic / colour; arg: the slot.
    kCtlMsgPrototypeGraphic = 23,
    kCtlMsgPrototypeColour = 24,
    // Menus of layered containers, of controls of one type, of containers:
    // arg: the submenu; data: the control chosen now (for 28 an
    // AM_TypeMenuRequest).
    kCtlMsgLayerMenu = 26,
    kCtlMsgTypeMenu = 28,
    kCtlMsgContainerMenu = 29,
    // A colour offers itself to the colour choice menu; data: an
    // AM_ColourMenuRequest.
    kCtlMsgColourMenu = 30,
    // A control building its "Listeners" menu asks for ports; arg: its
    // listener entry, data: a uint32_t, the submenu to fill.
    kCtlMsgOfferPorts = 31,
    // A port of the sender changed; arg: the port, data: the value.
    kCtlMsgPortChanged = 32,
    // A graphic / colour changed; data: the object.
    kCtlMsgGraphicChanged = 33,
    kCtlMsgColourChanged = 35,
    // The name entry of a control ended; data: the control's name text.
    kCtlMsgRename = 43,
    // An indexed binding moved; arg: the base index, data: the new offset.
    kCtlMsgIndexOffset = 44,
    // A hidden control changed: the containers above may bring it into view.
    kCtlMsgBringIntoView = 67,
    // Memory query; data: a u32 count the control adds its size to.
    kCtlMsgMemoryUse = 70,
};

class AM_ViewControl;

// Data of message 28: the type name (zero-filled) of the controls that list
// themselves, then the control chosen now.
struct AM_TypeMenuRequest {
    char typeName[32];
    AM_ViewControl* chosen;
};

// Data of message 30: the colour slot's base submenu (its "standard" list;
// base + 1 holds the editor's own colours, base + 2 the "default" ones) and
// the slot.
struct AM_ColourMenuRequest {
    uint32_t baseSubMenu;
    int32_t slot;
};
