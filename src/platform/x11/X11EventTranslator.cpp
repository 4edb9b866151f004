#include "platform/x11/X11EventTranslator.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace platform::x11 {

namespace {

constexpr unsigned int kWheelUpButton = 4;
constexpr unsigned int kWheelDownButton = 5;
constexpr int kLookupBytes = 16;
constexpr unsigned char kFirstPrintable = 0x20;

struct KeysymEntry {
    unsigned long keysym;
    int virtualKey;
};

constexpr KeysymEntry kKeysyms[] = {
    {XK_BackSpace, kVirtualKeyBack},
    {XK_Tab, kVirtualKeyTab},
    {XK_Return, kVirtualKeyReturn},
    {XK_KP_Enter, kVirtualKeyReturn},
    {XK_Escape, kVirtualKeyEscape},
    {XK_End, kVirtualKeyEnd},
    {XK_Home, kVirtualKeyHome},
    {XK_Left, kVirtualKeyLeft},
    {XK_Up, kVirtualKeyUp},
    {XK_Right, kVirtualKeyRight},
    {XK_Down, kVirtualKeyDown},
    {XK_Page_Up, kVirtualKeyPageUp},
    {XK_Page_Down, kVirtualKeyPageDown},
    {XK_Delete, kVirtualKeyDelete},
    {XK_KP_Delete, kVirtualKeyDelete},
    {XK_KP_Left, kVirtualKeyLeft},
    {XK_KP_Up, kVirtualKeyUp},
    {XK_KP_Right, kVirtualKeyRight},
    {XK_KP_Down, kVirtualKeyDown},
    {XK_F1, kVirtualKeyF1},
    {XK_F2, kVirtualKeyF2},
    {XK_F3, kVirtualKeyF3},
    {XK_F4, kVirtualKeyF4},
    {XK_F5, kVirtualKeyF5},
};

} // namespace

ButtonMeaning meaningOfButton(unsigned int xButton)
{
    switch (xButton) {
    case Button1:
        return {PointerButton::Primary, 0};
    case Button3:
        return {PointerButton::Secondary, 0};
    case kWheelUpButton:
        return {PointerButton::NoButton, +1};
    case kWheelDownButton:
        return {PointerButton::NoButton, -1};
    default:
        return {};
    }
}

int modifiersOfState(unsigned int state)
{
    int bits = 0;
    if (state & ShiftMask)
        bits |= kModifierShift;
    if (state & Button3Mask)
        bits |= kModifierSecondaryButton;
    if (state & ControlMask)
        bits |= kModifierControl;
    if (state & Mod1Mask)
        bits |= kModifierAlt;
    return bits;
}

KeyMeaning meaningOfKey(unsigned long keysym, const char* text, int length)
{
    for (const KeysymEntry& entry : kKeysyms)
        if (entry.keysym == keysym)
            return {entry.virtualKey, 0};
    if (length == 1 && text != nullptr) {
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (c >= kFirstPrintable && c != 0x7f)
            return {kVirtualKeyNone, c};
    }
    return {};
}

bool translateEvent(XEvent& event, DoubleClickDetector& doubleClicks, WindowEvent* out)
{
    WindowEvent e;
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease: {
        const XButtonEvent& b = event.xbutton;
        const ButtonMeaning meaning = meaningOfButton(b.button);
        e.x = b.x;
        e.y = b.y;
        e.time = static_cast<uint32_t>(b.time);
        // The state is the one before this event: the button itself is added
        // (or, for a release, taken away) here.
        e.modifiers = modifiersOfState(b.state & ~Button3Mask);
        if (meaning.wheel != 0) {
            if (event.type == ButtonRelease)
                return false;
            e.kind = WindowEventKind::Wheel;
            e.wheel = meaning.wheel;
            break;
        }
        if (meaning.button == PointerButton::NoButton)
            return false;
        e.button = meaning.button;
        if (event.type == ButtonPress) {
            e.kind = WindowEventKind::ButtonDown;
            if (meaning.button == PointerButton::Secondary)
                e.modifiers |= kModifierSecondaryButton;
            e.doubleClick = doubleClicks.press(e.time, e.x, e.y);
        } else {
            e.kind = WindowEventKind::ButtonUp;
        }
        break;
    }
    case MotionNotify:
        e.kind = WindowEventKind::PointerMove;
        e.x = event.xmotion.x;
        e.y = event.xmotion.y;
        e.time = static_cast<uint32_t>(event.xmotion.time);
        e.modifiers = modifiersOfState(event.xmotion.state);
        break;
    case KeyPress:
    case KeyRelease: {
        char text[kLookupBytes] = {};
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&event.xkey, text, sizeof text - 1, &keysym, nullptr);
        const KeyMeaning meaning = meaningOfKey(keysym, text, length);
        if (meaning.virtualKey == kVirtualKeyNone && meaning.character == 0)
            return false;
        e.kind = event.type == KeyPress ? WindowEventKind::KeyDown : WindowEventKind::KeyUp;
        e.virtualKey = meaning.virtualKey;
        e.character = meaning.character;
        e.x = event.xkey.x;
        e.y = event.xkey.y;
        e.time = static_cast<uint32_t>(event.xkey.time);
        e.modifiers = modifiersOfState(event.xkey.state);
        break;
    }
    case Expose:
        e.kind = WindowEventKind::Exposed;
        e.area =
            PixelRect{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height};
        break;
    case FocusIn:
        e.kind = WindowEventKind::FocusGained;
        break;
    case FocusOut:
        e.kind = WindowEventKind::FocusLost;
        break;
    case ConfigureNotify:
        e.kind = WindowEventKind::Resized;
        e.area = PixelRect{0, 0, event.xconfigure.width, event.xconfigure.height};
        break;
    case DestroyNotify:
        e.kind = WindowEventKind::Destroyed;
        break;
    default:
        return false;
    }
    *out = e;
    return true;
}

} // namespace platform::x11
