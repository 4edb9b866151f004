// The plug-in's editor: the window's events, the host's keys and wheel,
// and drops, turned into view-manager calls.

#include "editor/AM_EditorDialogs.h"
#include "editor/AM_EditorInputCodes.h"
#include "editor/AM_EditorViewMan.h"
#include "editor/AM_DropEffect.h"
#include "editor/AM_PrivateDataFormat.h"
#include "editor/AM_VST_Editor.h"
#include "foundation/AM_STD.h"

#include <iterator>

namespace {

// What a pointer motion carries: the modifiers and the secondary button.
uint32_t motionBits(int modifiers)
{
    return AM_modifierBits(modifiers) |
           (static_cast<uint32_t>(modifiers) & platform::kModifierSecondaryButton);
}

} // namespace

void AM_VST_Editor::onWindowEvent(const platform::WindowEvent& event)
{
    using Kind = platform::WindowEventKind;
    // Nothing that was still on its way counts once the display is gone.
    if (displayLost_)
        return;
    if (event.kind == Kind::Destroyed) {
        AM_STD::printv("Editor: the window went away");
        windowGone_ = true;
        captured_ = 0;
        return;
    }
    if (event.kind == Kind::Lost) {
        connectionLost();
        return;
    }
    if (event.kind == Kind::PointerMove || event.kind == Kind::ButtonDown ||
        event.kind == Kind::ButtonUp || event.kind == Kind::Wheel) {
        pointerX_ = event.x;
        pointerY_ = event.y;
        pointerModifiers_ = event.modifiers;
    }
    // An open menu, prompt, form or question takes its events first.
    if (dialogs_ && dialogs_->takeEvent(event))
        return;
    if (!viewManager_)
        return;
    switch (event.kind) {
    case Kind::ButtonDown:
        pressed(event);
        break;
    case Kind::ButtonUp:
        released(event);
        break;
    case Kind::PointerMove:
        viewManager_->handleMouseDrag(static_cast<float>(event.x), static_cast<float>(event.y),
                                      motionBits(event.modifiers));
        // While a control holds the press, the GUI follows at once.
        if (captured_ != 0)
            onTimer();
        break;
    case Kind::Wheel:
        viewManager_->handleMouseWheel(static_cast<float>(event.x), static_cast<float>(event.y),
                                       event.wheel < 1 ? -1.0f : 1.0f,
                                       AM_modifierBits(event.modifiers));
        break;
    case Kind::KeyDown:
        keyPressed(event);
        break;
    case Kind::KeyUp:
        if (window_)
            window_->leaveKeyToHost();
        break;
    case Kind::Exposed:
        exposed(event.area);
        break;
    case Kind::FocusGained:
    case Kind::FocusLost:
    case Kind::Resized:
    case Kind::Destroyed:
    case Kind::Lost:
        break;
    }
}

void AM_VST_Editor::pressed(const platform::WindowEvent& event)
{
    if (surface_.noticeContains(event.x, event.y)) {
        surface_.closeNotice();
        invalidateAll();
        return;
    }
    const int32_t buttons = AM_mouseButtonWord(event.button, event.modifiers);
    if (buttons == kAM_NoButton)
        return;
    mouse(event.x, event.y, buttons, event.doubleClick);
}

void AM_VST_Editor::mouse(int x, int y, int32_t buttons, bool doubleClick)
{
    AM_STD::printv("mouse");
    if (!viewManager_ || buttons == kAM_NoButton)
        return;
    const auto word = static_cast<uint32_t>(buttons);
    if (doubleClick) {
        // The press stays with whoever holds it; only the double click is told.
        viewManager_->handleDoubleClick(static_cast<float>(x), static_cast<float>(y), word);
        return;
    }
    captured_ = viewManager_->handleMouseDown(static_cast<float>(x), static_cast<float>(y), word)
                    ? 1
                    : 0;
}

void AM_VST_Editor::released(const platform::WindowEvent& event)
{
    if (captured_ == 0)
        return;
    captured_ = 0;
    viewManager_->handleMouseUp(static_cast<float>(event.x), static_cast<float>(event.y),
                                static_cast<uint32_t>(
                                    AM_mouseButtonWord(event.button, event.modifiers)));
    onTimer();
}

void AM_VST_Editor::keyPressed(const platform::WindowEvent& event)
{
    VstKeyCode key = AM_keyCodeOfEvent(event);
    if (!onKeyDown(key) && window_)
        window_->leaveKeyToHost();
}

void AM_VST_Editor::exposed(const platform::PixelRect& area)
{
    AM_Context* context = viewManager_->getContext();
    const float zoom = viewManager_->getZoom();
    if (context == nullptr || !(zoom > 0.0f))
        return;
    const AM_Rect shown{area.x / zoom, area.y / zoom, area.w / zoom, area.h / zoom};
    context->blitToWindow(&shown);
}

bool AM_VST_Editor::onKeyDown(VstKeyCode& keyCode)
{
    AM_STD::printv("onKeyDown (VstKeyCode %d)", int(keyCode.virt));
    const uint32_t code = AM_guiKeyCode(keyCode);
    if (code != 0 && handleKey(code, AM_modifiersOfKey(keyCode))) {
        AM_STD::printv("key handled by Orlen plugin");
        return true;
    }
    AM_STD::printv("Orlen plugin doesn't use key, returns false (VST) or jumps to default key "
                   "handler (WindowProc)");
    return false;
}

bool AM_VST_Editor::onKeyUp(VstKeyCode&)
{
    return false;
}

bool AM_VST_Editor::handleKey(uint32_t code, uint32_t modifiers)
{
    if (!viewManager_)
        return false;
    return viewManager_->handleKey(code, modifiers, 0);
}

bool AM_VST_Editor::onWheel(float distance)
{
    if (!viewManager_)
        return false;
    viewManager_->handleMouseWheel(static_cast<float>(pointerX_), static_cast<float>(pointerY_),
                                   distance, AM_modifierBits(pointerModifiers_));
    return true;
}

// --- Drops on the window.

namespace {

platform::DropResult dropResultOfOutcome(uint32_t outcome)
{
    switch (outcome) {
    case kDropCopied:
        return platform::DropResult::Copied;
    case kDropMoved:
        return platform::DropResult::Moved;
    case kDropPending:
        return platform::DropResult::Pending;
    default:
        return platform::DropResult::Refused;
    }
}

} // namespace

const char* AM_VST_Editor::dropRefusal(int x, int y) const
{
    if (!viewManager_ || !window_)
        return "drop refused: the editor is closed";
    // Input to the GUI is blocked while a menu, prompt, form or question is up.
    if (dialogs_ && (dialogs_->menuOpen() || dialogs_->overlayOpen()))
        return "drop refused: a menu or form is open";
    if (x < 0 || y < 0 || x >= window_->width() || y >= window_->height())
        return "drop refused: outside the window";
    return nullptr;
}

bool AM_VST_Editor::dragOver(int x, int y, int modifiers)
{
    pointerX_ = x;
    pointerY_ = y;
    pointerModifiers_ = modifiers;
    // The window offers only copies of our own data.
    const bool welcome = dropRefusal(x, y) == nullptr &&
                         AM_dropEffect(modifiers, kAM_DropEffectCopy, true) != kAM_DropEffectNone;
    if (!welcome) {
        // A drag that is no longer welcome leaves whatever it was over.
        dragLeave();
        return false;
    }
    dropWelcome_ = true;
    handleDragOver(kDragStateOver);
    return true;
}

void AM_VST_Editor::dragLeave()
{
    if (dropWelcome_)
        handleDragOver(kDragStateLeft);
    dropWelcome_ = false;
}

platform::DropResult AM_VST_Editor::drop(int x, int y, int modifiers, const uint8_t* data,
                                          size_t size)
{
    // What opened since the drag was last welcomed still turns it away.
    if (const char* refusal = dropRefusal(x, y)) {
        AM_STD::printv("%s", refusal);
        dragLeave();
        return platform::DropResult::Refused;
    }
    pointerX_ = x;
    pointerY_ = y;
    pointerModifiers_ = modifiers;
    dropWelcome_ = false;
    if (!handleDrop(data, size))
        return platform::DropResult::Refused;
    return dropResultOfOutcome(viewManager_->getDropOutcome());
}

platform::DropResult AM_VST_Editor::dropResult()
{
    return viewManager_ ? dropResultOfOutcome(viewManager_->getDropOutcome())
                        : platform::DropResult::Refused;
}

void AM_VST_Editor::dragEnded(platform::DragResult result)
{
    static constexpr const char* kOutcomes[] = {"dropped", "refused", "cancelled", "failed"};
    const auto outcome = static_cast<size_t>(result);
    AM_STD::printv("DragDrop: the drag was %s",
                   outcome < std::size(kOutcomes) ? kOutcomes[outcome] : "ended");
    // The drag took the release of the press that started it: a press a
    // control kept ends here, where the pointer was last seen.
    if (captured_ != 0 && viewManager_) {
        captured_ = 0;
        viewManager_->handleMouseUp(static_cast<float>(pointerX_), static_cast<float>(pointerY_),
                                    0);
        onTimer();
    }
}

void AM_VST_Editor::handleDragOver(uint32_t state)
{
    if (!viewManager_)
        return;
    viewManager_->handleDragOver(static_cast<float>(pointerX_), static_cast<float>(pointerY_),
                                 AM_modifierBits(pointerModifiers_), state);
}

bool AM_VST_Editor::handleDrop(const uint8_t* data, size_t size)
{
    if (!viewManager_)
        return false;
    const AM_DroppedData dropped = AM_decodePrivateData(data, size);
    if (!dropped.accepted()) {
        AM_STD::printv("%s", AM_privateDataRefusalText(dropped.refusal));
        return false;
    }
    if (dropped.kind == kAM_DragKindPatchList)
        AM_STD::printv("it is a patch list!");
    AM_STD::printv("Drop of kind %u, %u bytes at %d %d", unsigned(dropped.kind),
                   unsigned(dropped.length), pointerX_, pointerY_);
    return viewManager_->handleDrop(static_cast<float>(pointerX_), static_cast<float>(pointerY_),
                                    AM_modifierBits(pointerModifiers_), dropped.kind,
                                    dropped.length, dropped.body.c_str());
}
