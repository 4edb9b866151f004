// gtest before Xlib: Xlib's macros (None, Bool) would break gtest's headers.
#include <gtest/gtest.h>

#include "platform/x11/X11EventTranslator.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstring>
#include <vector>

namespace {

using namespace platform;
using namespace platform::x11;

TEST(X11EventTranslator, ButtonTable)
{
    struct Row {
        unsigned int xButton;
        PointerButton button;
        int wheel;
    };
    const Row rows[] = {
        {Button1, PointerButton::Primary, 0},   {Button2, PointerButton::NoButton, 0},
        {Button3, PointerButton::Secondary, 0}, {Button4, PointerButton::NoButton, +1},
        {Button5, PointerButton::NoButton, -1}, {6, PointerButton::NoButton, 0},
        {7, PointerButton::NoButton, 0},        {0, PointerButton::NoButton, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.xButton);
        const ButtonMeaning m = meaningOfButton(row.xButton);
        EXPECT_EQ(m.button, row.button);
        EXPECT_EQ(m.wheel, row.wheel);
    }
}

TEST(X11EventTranslator, ModifierBitsOfTheState)
{
    struct Row {
        unsigned int state;
        int bits;
    };
    const Row rows[] = {
        {0, 0},
        {ShiftMask, kModifierShift},
        {Button3Mask, kModifierSecondaryButton},
        {ControlMask, kModifierControl},
        {Mod1Mask, kModifierAlt},
        {ShiftMask | ControlMask | Mod1Mask | Button3Mask, 15},
        // Caps Lock, Num Lock (Mod2), the primary and middle buttons add nothing.
        {LockMask | Mod2Mask | Button1Mask | Button2Mask | Mod4Mask, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        EXPECT_EQ(modifiersOfState(row.state), row.bits);
    }
}

TEST(X11EventTranslator, KeysymTable)
{
    struct Row {
        unsigned long keysym;
        const char* text;
        int virtualKey;
        uint32_t character;
    };
    const Row rows[] = {
        {XK_Escape, "\x1b", kVirtualKeyEscape, 0},
        {XK_Left, "", kVirtualKeyLeft, 0},
        {XK_Up, "", kVirtualKeyUp, 0},
        {XK_Right, "", kVirtualKeyRight, 0},
        {XK_Down, "", kVirtualKeyDown, 0},
        {XK_KP_Left, "", kVirtualKeyLeft, 0},
        {XK_Delete, "\x7f", kVirtualKeyDelete, 0},
        {XK_BackSpace, "\b", kVirtualKeyBack, 0},
        {XK_Return, "\r", kVirtualKeyReturn, 0},
        {XK_F1, "", kVirtualKeyF1, 0},
        {XK_F2, "", kVirtualKeyF2, 0},
        {XK_F3, "", kVirtualKeyF3, 0},
        {XK_F4, "", kVirtualKeyF4, 0},
        {XK_F5, "", kVirtualKeyF5, 0},
        {XK_F6, "", kVirtualKeyNone, 0},
        {XK_a, "a", kVirtualKeyNone, 'a'},
        {XK_A, "A", kVirtualKeyNone, 'A'},
        {XK_space, " ", kVirtualKeyNone, ' '},
        {XK_adiaeresis, "\xc3\xa4", kVirtualKeyNone, 0xe4},
        {0x1004E2D, "\xe4\xb8\xad", kVirtualKeyNone, 0x4e2d},
        {0x101F600, "\xf0\x9f\x98\x80", kVirtualKeyNone, 0x1f600},
        // Bytes that are no UTF-8, and two characters, are not one character.
        {XK_adiaeresis, "\xe4", kVirtualKeyNone, 0},
        {NoSymbol, "ab", kVirtualKeyNone, 0},
        // Control+C gives a control character: not a character to type.
        {XK_c, "\x03", kVirtualKeyNone, 0},
        {XK_Shift_L, "", kVirtualKeyNone, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keysym);
        const KeyMeaning m = meaningOfKey(
            row.keysym, row.text, static_cast<int>(std::char_traits<char>::length(row.text)));
        EXPECT_EQ(m.virtualKey, row.virtualKey);
        EXPECT_EQ(m.character, row.character);
    }
}

TEST(X11EventTranslator, CharactersOfCommittedText)
{
    struct Row {
        const char* text;
        std::vector<uint32_t> characters;
    };
    const Row rows[] = {
        {"", {}},
        {"abc", {'a', 'b', 'c'}},
        {"\xe6\x97\xa5\xe6\x9c\xac", {0x65e5, 0x672c}},
        // Control characters and broken sequences are left out.
        {"a\tb\x7f\xc2\x85", {'a', 'b'}},
        {"\xff\xe4\xb8x", {'x'}},
        {"\xed\xa0\x80", {}}, // an encoded surrogate
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(charactersOfText(row.text, static_cast<int>(std::strlen(row.text))),
                  row.characters);
    }
}

XEvent buttonEvent(int type, unsigned int button, unsigned int state, Time time, int x, int y)
{
    XEvent event{};
    event.xbutton.type = type;
    event.xbutton.button = button;
    event.xbutton.state = state;
    event.xbutton.time = time;
    event.xbutton.x = x;
    event.xbutton.y = y;
    return event;
}

TEST(X11EventTranslator, PressesReleasesAndWheel)
{
    DoubleClickDetector clicks;
    WindowEvent out;

    XEvent press = buttonEvent(ButtonPress, Button3, ShiftMask, 100, 12, 34);
    ASSERT_TRUE(translateEvent(press, clicks, &out));
    EXPECT_EQ(out.kind, WindowEventKind::ButtonDown);
    EXPECT_EQ(out.button, PointerButton::Secondary);
    EXPECT_EQ(out.modifiers, kModifierShift | kModifierSecondaryButton);
    EXPECT_EQ(out.x, 12);
    EXPECT_EQ(out.y, 34);
    EXPECT_FALSE(out.doubleClick);

    // The release's state still holds the button: the release itself does not.
    XEvent release = buttonEvent(ButtonRelease, Button3, Button3Mask | ControlMask, 150, 12, 34);
    ASSERT_TRUE(translateEvent(release, clicks, &out));
    EXPECT_EQ(out.kind, WindowEventKind::ButtonUp);
    EXPECT_EQ(out.modifiers, kModifierControl);

    XEvent again = buttonEvent(ButtonPress, Button1, 0, 300, 12, 34);
    ASSERT_TRUE(translateEvent(again, clicks, &out));
    EXPECT_TRUE(out.doubleClick);
    EXPECT_EQ(out.button, PointerButton::Primary);
    EXPECT_EQ(out.modifiers, 0);

    XEvent wheelDown = buttonEvent(ButtonPress, Button5, Mod1Mask, 400, 7, 8);
    ASSERT_TRUE(translateEvent(wheelDown, clicks, &out));
    EXPECT_EQ(out.kind, WindowEventKind::Wheel);
    EXPECT_EQ(out.wheel, -1);
    EXPECT_EQ(out.x, 7);
    EXPECT_EQ(out.modifiers, kModifierAlt);

    XEvent wheelRelease = buttonEvent(ButtonRelease, Button4, 0, 410, 7, 8);
    EXPECT_FALSE(translateEvent(wheelRelease, clicks, &out));
    XEvent middle = buttonEvent(ButtonPress, Button2, 0, 420, 7, 8);
    EXPECT_FALSE(translateEvent(middle, clicks, &out));
}

} // namespace
