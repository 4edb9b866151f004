// The editor's input codes.

#include "editor/AM_EditorInputCodes.h"

namespace {

// The host's modifier bits of a key record.
constexpr unsigned char kVstShift = 1 << 0;
constexpr unsigned char kVstAlternate = 1 << 1;
constexpr unsigned char kVstCommand = 1 << 2;
constexpr unsigned char kVstControl = 1 << 3;

// Virtual keys past this one are taken as characters.
constexpr unsigned char kLastTableKey = 57;

struct KeyRow {
    unsigned char virtualKey;
    uint32_t code;
};

constexpr KeyRow kKeyTable[] = {
    {VKEY_ESCAPE, 27}, {VKEY_LEFT, 28}, {VKEY_UP, 30},  {VKEY_RIGHT, 29}, {VKEY_DOWN, 31},
    {VKEY_DELETE, 8},  {VKEY_F1, 'g'},  {VKEY_F2, 'c'}, {VKEY_F3, 's'},   {VKEY_F4, 'i'},
    {VKEY_F5, 'h'},
};

} // namespace

uint32_t AM_modifierBits(int modifiers)
{
    return static_cast<uint32_t>(modifiers) &
           static_cast<uint32_t>(kAM_ModifierShift | kAM_ModifierControl | kAM_ModifierAlt);
}

int32_t AM_mouseButtonWord(platform::PointerButton button, int modifiers)
{
    int32_t word = kAM_NoButton;
    switch (button) {
    case platform::PointerButton::Primary:
        word = kAM_ButtonLeft;
        break;
    case platform::PointerButton::Secondary:
        word = kAM_ButtonRight;
        break;
    case platform::PointerButton::NoButton:
        return kAM_NoButton;
    }
    return word | static_cast<int32_t>(AM_modifierBits(modifiers));
}

uint32_t AM_modifiersOfKey(const VstKeyCode& key)
{
    uint32_t bits = 0;
    if ((key.modifier & kVstShift) != 0)
        bits |= kAM_ModifierShift;
    if ((key.modifier & (kVstCommand | kVstControl)) != 0)
        bits |= kAM_ModifierControl;
    if ((key.modifier & kVstAlternate) != 0)
        bits |= kAM_ModifierAlt;
    return bits;
}

uint32_t AM_guiKeyCode(const VstKeyCode& key)
{
    if (key.virt == 0 || key.virt > kLastTableKey)
        return static_cast<uint32_t>(key.character);
    for (const KeyRow& row : kKeyTable)
        if (row.virtualKey == key.virt)
            return row.code;
    return 0;
}

VstKeyCode AM_keyCodeOfEvent(const platform::WindowEvent& event)
{
    VstKeyCode key{};
    if (event.virtualKey != platform::kVirtualKeyNone) {
        key.virt = static_cast<unsigned char>(event.virtualKey);
    } else {
        key.character = static_cast<VstInt32>(event.character);
    }
    if ((event.modifiers & platform::kModifierShift) != 0)
        key.modifier |= kVstShift;
    if ((event.modifiers & platform::kModifierControl) != 0)
        key.modifier |= kVstControl;
    if ((event.modifiers & platform::kModifierAlt) != 0)
        key.modifier |= kVstAlternate;
    return key;
}
