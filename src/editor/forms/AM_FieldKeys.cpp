#include "editor/forms/AM_FieldKeys.h"

using namespace platform;

bool AM_applyFieldKey(AM_TextField& field, const WindowEvent& event)
{
    const bool shift = (event.modifiers & kModifierShift) != 0;
    const bool control = (event.modifiers & kModifierControl) != 0;
    switch (event.virtualKey) {
    case kVirtualKeyLeft:
        field.moveLeft(shift);
        return true;
    case kVirtualKeyRight:
        field.moveRight(shift);
        return true;
    case kVirtualKeyHome:
        field.home(shift);
        return true;
    case kVirtualKeyEnd:
        field.end(shift);
        return true;
    case kVirtualKeyUp:
        field.moveLines(-1, shift);
        return true;
    case kVirtualKeyDown:
        field.moveLines(1, shift);
        return true;
    case kVirtualKeyBack:
        field.backspace();
        return true;
    case kVirtualKeyDelete:
        field.deleteForward();
        return true;
    case kVirtualKeyNone:
        break;
    default:
        return false;
    }
    // Control+A arrives as the letter with Control held or as its control
    // character.
    if (event.character == 1 || (control && (event.character == 'a' || event.character == 'A'))) {
        field.selectAll();
        return true;
    }
    if (control || (event.modifiers & kModifierAlt) != 0) {
        return false;
    }
    if (event.character == 8) {
        field.backspace();
        return true;
    }
    if (event.character == 0x7F) {
        field.deleteForward();
        return true;
    }
    return field.insertCodePoint(event.character);
}
