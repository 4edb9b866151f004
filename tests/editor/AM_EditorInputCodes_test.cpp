#include "editor/AM_EditorInputCodes.h"

#include <gtest/gtest.h>

namespace {

using platform::PointerButton;

TEST(EditorInputCodes, ButtonsAndModifiersMakeTheButtonWord)
{
    struct Case {
        PointerButton button;
        int modifiers;
        int32_t word;
    };
    const Case cases[] = {
        {PointerButton::Primary, 0, 0},
        {PointerButton::Secondary, 0, 2},
        {PointerButton::Primary, platform::kModifierShift, 1},
        {PointerButton::Primary, platform::kModifierControl, 4},
        {PointerButton::Primary, platform::kModifierAlt, 8},
        {PointerButton::Secondary, platform::kModifierShift | platform::kModifierAlt, 11},
        // A secondary button held during a primary press is not the press.
        {PointerButton::Primary, platform::kModifierSecondaryButton, 0},
        {PointerButton::NoButton, platform::kModifierShift, kAM_NoButton},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AM_mouseButtonWord(c.button, c.modifiers), c.word)
            << int(c.button) << " " << c.modifiers;
    EXPECT_EQ(AM_modifierBits(0xFF), 1u | 4u | 8u);
}

TEST(EditorInputCodes, HostKeysBecomeTheCodesTheGuiTakes)
{
    struct Case {
        VstInt32 character;
        unsigned char virt;
        uint32_t code;
    };
    const Case cases[] = {
        {0, VKEY_ESCAPE, 27},  {0, VKEY_LEFT, 28},     {0, VKEY_UP, 30},
        {0, VKEY_RIGHT, 29},   {0, VKEY_DOWN, 31},     {0, VKEY_DELETE, 8},
        {0, VKEY_F1, 'g'},     {0, VKEY_F2, 'c'},      {0, VKEY_F3, 's'},
        {0, VKEY_F4, 'i'},     {0, VKEY_F5, 'h'},      {'a', 0, 'a'},
        {'Z', 0, 'Z'},         {0, VKEY_F6, 0},        {0, VKEY_RETURN, 0},
        {'x', VKEY_TAB, 0},    {'q', 58, 'q'},         {0, 0, 0},
    };
    for (const Case& c : cases) {
        VstKeyCode key{c.character, c.virt, 0};
        EXPECT_EQ(AM_guiKeyCode(key), c.code) << c.character << " " << int(c.virt);
    }
}

TEST(EditorInputCodes, WindowKeysBecomeHostKeyRecords)
{
    platform::WindowEvent event;
    event.kind = platform::WindowEventKind::KeyDown;
    event.virtualKey = platform::kVirtualKeyEscape;
    event.modifiers = platform::kModifierShift | platform::kModifierControl;
    VstKeyCode key = AM_keyCodeOfEvent(event);
    EXPECT_EQ(key.virt, VKEY_ESCAPE);
    EXPECT_EQ(key.character, 0);
    EXPECT_EQ(AM_guiKeyCode(key), 27u);
    EXPECT_EQ(AM_modifiersOfKey(key), 1u | 4u);

    event.virtualKey = platform::kVirtualKeyNone;
    event.character = 'u';
    event.modifiers = platform::kModifierAlt;
    key = AM_keyCodeOfEvent(event);
    EXPECT_EQ(key.virt, 0);
    EXPECT_EQ(AM_guiKeyCode(key), uint32_t('u'));
    EXPECT_EQ(AM_modifiersOfKey(key), 8u);
}

} // namespace
