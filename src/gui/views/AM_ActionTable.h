#pragma once
// The named actions that buttons and menus trigger through the view
// manager's performAction: four-character codes with their labels.
//
// Pure data; GUI thread.

#include <cstdint>

// A four-character code with the first character in the most significant
// byte ('undo' is 0x756E646F).
constexpr uint32_t AM_fourCC(const char (&code)[5])
{
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
           (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

enum AM_ActionCode : uint32_t {
    kActionNextPreset = AM_fourCC("nepr"),
    kActionPreviousPreset = AM_fourCC("pvpr"),
    kActionUndo = AM_fourCC("undo"),
    kActionRedo = AM_fourCC("redo"),
    kActionTransform = AM_fourCC("xfrm"),
    kActionArray = AM_fourCC("xarr"),
    kActionAlignTop = AM_fourCC("alnt"),
    kActionAlignLeft = AM_fourCC("alnl"),
    kActionAlignRight = AM_fourCC("alnr"),
    kActionAlignBottom = AM_fourCC("alnb"),
    kActionWebSite = AM_fourCC("_web"),
};

struct AM_ActionTableEntry {
    uint32_t code;
    char label[32];
};

// The actions in menu order, ended by the row {0, "EOL"}.
extern const AM_ActionTableEntry AM_actionTable[];

// The row of a code; null for a code that is not in the table.
const AM_ActionTableEntry* AM_findAction(uint32_t code);
