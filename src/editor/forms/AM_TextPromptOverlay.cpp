#include "editor/forms/AM_TextPromptOverlay.h"

#include "editor/forms/AM_FieldKeys.h"
#include "editor/forms/AM_FormsDrawing.h"
#include "editor/forms/AM_FormsLook.h"
#include "editor/forms/AM_OverlaySurface.h"

#include <algorithm>
#include <string>

using namespace AM_FormsLook;
using platform::WindowEvent;
using platform::WindowEventKind;

namespace {
constexpr float kSingleLineHeight = kLineHeight + 8;
constexpr float kMinSingleWidth = 90;
constexpr float kMinMultiWidth = 240;
constexpr float kMinMultiHeight = 96;
constexpr float kFrameMargin = 6;
} // namespace

AM_TextPromptOverlay::AM_TextPromptOverlay(AM_OverlaySurface& surface) : surface_(surface)
{
    surface_.addOverlay(this);
}

AM_TextPromptOverlay::~AM_TextPromptOverlay() = default;

bool AM_TextPromptOverlay::open(const platform::TextPromptRequest& request,
                                platform::TextPromptClient* client)
{
    if (open_) {
        close();
    }
    field_.reset(request.text, request.multiLine, request.maxBytes);
    client_ = client;
    view_.scrollX = 0;
    view_.scrollY = 0;
    layout(request.place);
    open_ = true;
    selecting_ = false;
    pressed_ = Button::kNone;
    view_.keepCaretVisible(surface_.context(), field_);
    surface_.setCaretOn(true);
    surface_.refresh(bounds_);
    return true;
}

void AM_TextPromptOverlay::layout(const platform::PixelRect& place)
{
    const float z = surface_.zoom();
    AM_Rect p{static_cast<float>(place.x) / z, static_cast<float>(place.y) / z,
              static_cast<float>(place.w) / z, static_cast<float>(place.h) / z};
    const float winW = surface_.widthUnits();
    const float winH = surface_.heightUnits();
    if (!field_.multiLine()) {
        AM_Rect box{p.x, p.y, std::max(p.w, kMinSingleWidth), kSingleLineHeight};
        if (p.h > kSingleLineHeight) {
            box.y = p.y + (p.h - kSingleLineHeight) * 0.5f;
        }
        box.w = std::min(box.w, winW);
        box.x = std::clamp(box.x, 0.0f, std::max(0.0f, winW - box.w));
        box.y = std::clamp(box.y, 0.0f, std::max(0.0f, winH - box.h));
        view_.box = box;
        bounds_ = box;
        ok_ = cancel_ = AM_Rect{};
        return;
    }
    // The field with a row of buttons below, on a panel.
    AM_Rect box{p.x, p.y, std::max(p.w, kMinMultiWidth), std::max(p.h, kMinMultiHeight)};
    box.w = std::min(box.w, winW - 2 * kFrameMargin);
    const float total = box.h + kGap + kButtonHeight + 2 * kFrameMargin;
    if (total > winH) {
        box.h = std::max(kSingleLineHeight, winH - (kGap + kButtonHeight + 2 * kFrameMargin));
    }
    AM_Rect frame{box.x - kFrameMargin, box.y - kFrameMargin, box.w + 2 * kFrameMargin,
                  box.h + kGap + kButtonHeight + 2 * kFrameMargin};
    frame.x = std::clamp(frame.x, 0.0f, std::max(0.0f, winW - frame.w));
    frame.y = std::clamp(frame.y, 0.0f, std::max(0.0f, winH - frame.h));
    box.x = frame.x + kFrameMargin;
    box.y = frame.y + kFrameMargin;
    view_.box = box;
    bounds_ = frame;
    AM_AGG_Context& c = surface_.context();
    const float wOk = AM_FormsDrawing::buttonWidth(c, "OK");
    const float wCancel = AM_FormsDrawing::buttonWidth(c, "Cancel");
    const float y = box.y + box.h + kGap;
    cancel_ = AM_Rect{box.x + box.w - wCancel, y, wCancel, kButtonHeight};
    ok_ = AM_Rect{cancel_.x - kGap - wOk, y, wOk, kButtonHeight};
}

void AM_TextPromptOverlay::close()
{
    if (!open_) {
        return;
    }
    open_ = false;
    client_ = nullptr;
    surface_.refresh(bounds_);
}

void AM_TextPromptOverlay::accept()
{
    platform::TextPromptClient* client = client_;
    const std::string text = field_.text();
    close();
    if (client != nullptr) {
        client->textPromptAccepted(text);
    }
}

void AM_TextPromptOverlay::cancel()
{
    platform::TextPromptClient* client = client_;
    close();
    if (client != nullptr) {
        client->textPromptCancelled();
    }
}

void AM_TextPromptOverlay::changed()
{
    view_.keepCaretVisible(surface_.context(), field_);
    surface_.setCaretOn(true);
    surface_.refresh(bounds_);
}

AM_TextPromptOverlay::Button AM_TextPromptOverlay::buttonAt(float x, float y) const
{
    if (!field_.multiLine()) {
        return Button::kNone;
    }
    if (AM_rectContains(ok_, x, y)) {
        return Button::kOk;
    }
    if (AM_rectContains(cancel_, x, y)) {
        return Button::kCancel;
    }
    return Button::kNone;
}

void AM_TextPromptOverlay::drawOverlay(AM_AGG_Context& c, bool caretOn)
{
    using AM_FormsDrawing::ButtonLook;
    if (field_.multiLine()) {
        AM_FormsDrawing::panel(c, bounds_);
        AM_FormsDrawing::button(
            c, ok_, "OK", pressed_ == Button::kOk ? ButtonLook::kPressed : ButtonLook::kDefault,
            false);
        AM_FormsDrawing::button(
            c, cancel_, "Cancel",
            pressed_ == Button::kCancel ? ButtonLook::kPressed : ButtonLook::kNormal, false);
    }
    view_.draw(c, field_, true, caretOn);
}

bool AM_TextPromptOverlay::overlayEvent(const WindowEvent& event)
{
    if (!open_) {
        return false;
    }
    const float z = surface_.zoom();
    const float x = static_cast<float>(event.x) / z;
    const float y = static_cast<float>(event.y) / z;
    switch (event.kind) {
    case WindowEventKind::ButtonDown:
        if (event.button != platform::PointerButton::Primary) {
            return true;
        }
        if (view_.contains(x, y)) {
            const size_t at = view_.hit(surface_.context(), field_, x, y);
            if (event.doubleClick) {
                field_.selectWord(at);
            } else {
                field_.setCaret(at, (event.modifiers & platform::kModifierShift) != 0);
                selecting_ = true;
            }
            changed();
        } else {
            pressed_ = buttonAt(x, y);
            if (pressed_ != Button::kNone) {
                surface_.refresh(bounds_);
            }
        }
        return true;
    case WindowEventKind::PointerMove:
        if (selecting_) {
            field_.setCaret(view_.hit(surface_.context(), field_, x, y), true);
            changed();
        }
        return true;
    case WindowEventKind::ButtonUp: {
        selecting_ = false;
        const Button was = pressed_;
        pressed_ = Button::kNone;
        if (was != Button::kNone) {
            if (buttonAt(x, y) == was) {
                was == Button::kOk ? accept() : cancel();
            } else {
                surface_.refresh(bounds_);
            }
        }
        return true;
    }
    case WindowEventKind::Wheel:
    case WindowEventKind::KeyUp:
        return true;
    case WindowEventKind::KeyDown:
        if (event.virtualKey == platform::kVirtualKeyEscape) {
            cancel();
        } else if (event.virtualKey == platform::kVirtualKeyReturn) {
            if (field_.multiLine() && (event.modifiers & platform::kModifierControl) == 0) {
                field_.insert("\n");
                changed();
            } else {
                accept();
            }
        } else if (AM_applyFieldKey(field_, event)) {
            changed();
        }
        return true;
    default:
        return false;
    }
}
