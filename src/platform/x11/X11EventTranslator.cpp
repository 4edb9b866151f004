#include "platform/x11/X11EventTranslator.h"

#include "platform/TextConversion.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace platform::x11 {

namespace {

constexpr unsigned int kWheelUpButton = 4;
constexpr unsigned int kWheelDownButton = 5;
constexpr int kLookupBytes = 64;
constexpr uint32_t kFirstPrintable = 0x20;
constexpr uint32_t kDelete = 0x7f;
// C1 control characters.
constexpr uint32_t kFirstC1 = 0x80;
constexpr uint32_t kLastC1 = 0x9f;
// Longest text taken from one key press (an input method's commit).
constexpr int kMaxCommitBytes = 4096;

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

namespace {

bool printable(uint32_t c)
{
    return c >= kFirstPrintable && c != kDelete && (c < kFirstC1 || c > kLastC1);
}

int virtualKeyOf(unsigned long keysym)
{
    for (const KeysymEntry& entry : kKeysyms)
        if (entry.keysym == keysym)
            return entry.virtualKey;
    return kVirtualKeyNone;
}

// Latin-1 bytes as UTF-8.
std::string latin1ToUtf8(const char* text, int length)
{
    std::string utf8;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xc0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return utf8;
}

} // namespace

KeyMeaning meaningOfKey(unsigned long keysym, const char* text, int length)
{
    if (const int virtualKey = virtualKeyOf(keysym); virtualKey != kVirtualKeyNone)
        return {virtualKey, 0};
    if (text == nullptr || length <= 0)
        return {};
    char32_t c = 0;
    const size_t used = platform::decodeUtf8(text, static_cast<size_t>(length), c);
    if (used != static_cast<size_t>(length) || !printable(c))
        return {};
    return {kVirtualKeyNone, c};
}

std::vector<uint32_t> charactersOfText(const char* text, int length)
{
    std::vector<uint32_t> characters;
    size_t at = 0;
    const size_t size = text != nullptr && length > 0 ? static_cast<size_t>(length) : 0;
    while (at < size) {
        char32_t c = 0;
        const size_t used = platform::decodeUtf8(text + at, size - at, c);
        if (used == 0) {
            ++at;
            continue;
        }
        at += used;
        if (printable(c))
            characters.push_back(c);
    }
    return characters;
}

KeyText lookUpKey(XKeyEvent& key, XIC inputContext)
{
    KeyText result;
    KeySym keysym = NoSymbol;
    if (inputContext != nullptr && key.type == KeyPress) {
        std::string text(kLookupBytes, '\0');
        Status status = 0;
        int length = Xutf8LookupString(inputContext, &key, text.data(),
                                       static_cast<int>(text.size()), &keysym, &status);
        if (status == XBufferOverflow && length > 0 && length <= kMaxCommitBytes) {
            text.assign(static_cast<size_t>(length), '\0');
            length = Xutf8LookupString(inputContext, &key, text.data(),
                                       static_cast<int>(text.size()), &keysym, &status);
        }
        const bool hasText = status == XLookupChars || status == XLookupBoth;
        const bool hasKeysym = status == XLookupKeySym || status == XLookupBoth;
        if (hasText && length > 0)
            result.utf8.assign(text.data(), static_cast<size_t>(length));
        result.keysym = hasKeysym ? keysym : NoSymbol;
        return result;
    }
    char text[kLookupBytes] = {};
    const int length = XLookupString(&key, text, sizeof text - 1, &keysym, nullptr);
    result.keysym = keysym;
    result.utf8 = latin1ToUtf8(text, length);
    return result;
}

void translateEvent(XEvent& event, DoubleClickDetector& doubleClicks, XIC inputContext,
                    std::vector<WindowEvent>& out)
{
    out.clear();
    if (event.type != KeyPress && event.type != KeyRelease) {
        WindowEvent one;
        if (translateEvent(event, doubleClicks, &one))
            out.push_back(one);
        return;
    }
    WindowEvent e;
    e.kind = event.type == KeyPress ? WindowEventKind::KeyDown : WindowEventKind::KeyUp;
    e.x = event.xkey.x;
    e.y = event.xkey.y;
    e.time = static_cast<uint32_t>(event.xkey.time);
    e.modifiers = modifiersOfState(event.xkey.state);
    const KeyText key = lookUpKey(event.xkey, inputContext);
    const KeyMeaning meaning =
        meaningOfKey(key.keysym, key.utf8.data(), static_cast<int>(key.utf8.size()));
    if (meaning.virtualKey != kVirtualKeyNone || meaning.character != 0) {
        e.virtualKey = meaning.virtualKey;
        e.character = meaning.character;
        out.push_back(e);
        return;
    }
    // Text of several characters: what an input method commits at once.
    for (const uint32_t c : charactersOfText(key.utf8.data(), static_cast<int>(key.utf8.size()))) {
        e.character = c;
        out.push_back(e);
    }
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
        const KeyText key = lookUpKey(event.xkey, nullptr);
        const KeyMeaning meaning =
            meaningOfKey(key.keysym, key.utf8.data(), static_cast<int>(key.utf8.size()));
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
