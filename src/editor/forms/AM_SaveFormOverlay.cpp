#include "editor/forms/AM_SaveFormOverlay.h"

#include "editor/forms/AM_FieldKeys.h"
#include "editor/forms/AM_FontSizeScope.h"
#include "editor/forms/AM_FormsDrawing.h"
#include "editor/forms/AM_FormsLook.h"
#include "editor/forms/AM_OverlaySurface.h"
#include "gui/graphics/text/AM_TextWrap.h"

#include <algorithm>

using namespace AM_FormsLook;
using platform::WindowEvent;
using platform::WindowEventKind;

namespace {
constexpr float kFormWidth = 400;
constexpr float kLabelWidth = 84;
constexpr float kTitleHeight = 20;
constexpr float kSingleHeight = kLineHeight + 8;
constexpr float kFieldHeights[4] = {kSingleHeight, kSingleHeight, 4 * kLineHeight + 6,
                                    3 * kLineHeight + 6};
constexpr const char* kLabels[4] = {"Name", "Author", "Description", "Usage"};
// An error takes as many lines as its words need, up to this many.
constexpr int kMaxErrorLines = 4;
} // namespace

AM_SaveFormOverlay::AM_SaveFormOverlay(AM_OverlaySurface& surface) : surface_(surface)
{
    surface_.addOverlay(this);
}

AM_SaveFormOverlay::~AM_SaveFormOverlay() = default;

bool AM_SaveFormOverlay::open(const platform::SaveFormFields& fields,
                              const platform::SaveFormLimits& limits,
                              platform::SaveFormClient* client)
{
    if (open_) {
        close();
    }
    fields_[0].reset(fields.name, false, limits.name);
    fields_[1].reset(fields.author, false, limits.author);
    fields_[2].reset(fields.description, true, limits.description);
    fields_[3].reset(fields.usage, true, limits.usage);
    for (int i = 1; i < kFieldCount; ++i) {
        // Only the focused field starts selected; each shows its beginning.
        fields_[static_cast<size_t>(i)].setCaret(0, false);
    }
    for (AM_TextFieldView& v : views_) {
        v.scrollX = 0;
        v.scrollY = 0;
    }
    error_.clear();
    client_ = client;
    focus_ = 0;
    pressed_ = -1;
    selecting_ = false;
    layout();
    open_ = true;
    for (int i = 0; i < kFieldCount; ++i) {
        views_[static_cast<size_t>(i)].keepCaretVisible(surface_.context(),
                                                        fields_[static_cast<size_t>(i)]);
    }
    surface_.setCaretOn(true);
    surface_.refresh(bounds_);
    return true;
}

void AM_SaveFormOverlay::layout()
{
    const float winW = surface_.widthUnits();
    const float winH = surface_.heightUnits();
    const float w = std::min(kFormWidth, winW);
    AM_AGG_Context& c = surface_.context();
    errorLines_.clear();
    if (!error_.empty()) {
        AM_FontSizeScope font(c, kFontSize);
        errorLines_ = AM_wrapText(error_, w - 2 * kMargin - kLabelWidth, kMaxErrorLines,
                                  [&c](const std::string& line) {
                                      return AM_TextFieldView::measure(c, line);
                                  });
    }
    const float errorHeight =
        static_cast<float>(std::max<size_t>(errorLines_.size(), 1)) * kLineHeight;
    float height = kMargin + kTitleHeight + kGap;
    for (float h : kFieldHeights) {
        height += h + kGap;
    }
    height += errorHeight + kGap + kButtonHeight + kMargin;
    bounds_ = AM_Rect{std::max(0.0f, (winW - w) * 0.5f), std::max(0.0f, (winH - height) * 0.5f), w,
                      height};
    float y = bounds_.y + kMargin + kTitleHeight + kGap;
    const float fieldX = bounds_.x + kMargin + kLabelWidth;
    const float fieldW = bounds_.w - 2 * kMargin - kLabelWidth;
    for (int i = 0; i < kFieldCount; ++i) {
        views_[static_cast<size_t>(i)].box = AM_Rect{fieldX, y, fieldW, kFieldHeights[i]};
        y += kFieldHeights[i] + kGap;
    }
    errorLine_ = AM_Rect{fieldX, y, fieldW, kLineHeight};
    y += errorHeight + kGap;
    const float wSave = AM_FormsDrawing::buttonWidth(c, "Save");
    const float wCancel = AM_FormsDrawing::buttonWidth(c, "Cancel");
    cancel_ = AM_Rect{bounds_.x + bounds_.w - kMargin - wCancel, y, wCancel, kButtonHeight};
    save_ = AM_Rect{cancel_.x - kGap - wSave, y, wSave, kButtonHeight};
}

platform::SaveFormFields AM_SaveFormOverlay::values() const
{
    return platform::SaveFormFields{fields_[0].text(), fields_[1].text(), fields_[2].text(),
                                    fields_[3].text()};
}

void AM_SaveFormOverlay::showError(const std::string& text)
{
    error_ = text;
    if (open_) {
        // The form grows or shrinks with the error's lines.
        const AM_Rect before = bounds_;
        layout();
        surface_.refresh(before);
        surface_.refresh(bounds_);
    }
}

void AM_SaveFormOverlay::close()
{
    if (!open_) {
        return;
    }
    open_ = false;
    client_ = nullptr;
    surface_.refresh(bounds_);
}

void AM_SaveFormOverlay::save()
{
    // The client closes the form or shows why it did not save.
    if (client_ != nullptr) {
        client_->saveFormAccepted(values());
    }
}

void AM_SaveFormOverlay::cancel()
{
    platform::SaveFormClient* client = client_;
    close();
    if (client != nullptr) {
        client->saveFormCancelled();
    }
}

void AM_SaveFormOverlay::changed()
{
    if (focus_ < kFieldCount) {
        views_[static_cast<size_t>(focus_)].keepCaretVisible(surface_.context(),
                                                             fields_[static_cast<size_t>(focus_)]);
    }
    surface_.setCaretOn(true);
    surface_.refresh(bounds_);
}

void AM_SaveFormOverlay::setFocus(int focus)
{
    focus_ = ((focus % (kFieldCount + 2)) + kFieldCount + 2) % (kFieldCount + 2);
    if (focus_ < kFieldCount) {
        fields_[static_cast<size_t>(focus_)].selectAll();
    }
    changed();
}

int AM_SaveFormOverlay::buttonAt(float x, float y) const
{
    if (AM_rectContains(save_, x, y)) {
        return kSave;
    }
    if (AM_rectContains(cancel_, x, y)) {
        return kCancel;
    }
    return -1;
}

void AM_SaveFormOverlay::drawOverlay(AM_AGG_Context& c, bool caretOn)
{
    using AM_FormsDrawing::ButtonLook;
    AM_FormsDrawing::panel(c, bounds_);
    {
        AM_FontSizeScope font(c, kTitleFontSize);
        c.setColourPacked(kTitle);
        const AM_Rect title{bounds_.x + kMargin, bounds_.y + kMargin, bounds_.w - 2 * kMargin,
                            kTitleHeight};
        c.drawText("Save Preset", &title, 0, true);
    }
    {
        AM_FontSizeScope font(c, kFontSize);
        for (int i = 0; i < kFieldCount; ++i) {
            const AM_Rect& box = views_[static_cast<size_t>(i)].box;
            const AM_Rect label{bounds_.x + kMargin, box.y, kLabelWidth - kGap, kSingleHeight};
            c.setColourPacked(focus_ == i ? kText : kTextDim);
            c.drawText(kLabels[i], &label, 0, true);
        }
        c.setColourPacked(kError);
        AM_Rect line = errorLine_;
        for (const std::string& text : errorLines_) {
            c.drawText(text.c_str(), &line, 0, true);
            line.y += kLineHeight;
        }
    }
    for (int i = 0; i < kFieldCount; ++i) {
        views_[static_cast<size_t>(i)].draw(c, fields_[static_cast<size_t>(i)], focus_ == i,
                                            caretOn);
    }
    AM_FormsDrawing::button(c, save_, "Save",
                            pressed_ == kSave ? ButtonLook::kPressed : ButtonLook::kDefault,
                            focus_ == kSave);
    AM_FormsDrawing::button(c, cancel_, "Cancel",
                            pressed_ == kCancel ? ButtonLook::kPressed : ButtonLook::kNormal,
                            focus_ == kCancel);
}

bool AM_SaveFormOverlay::overlayEvent(const WindowEvent& event)
{
    if (!open_) {
        return false;
    }
    const float z = surface_.zoom();
    const float x = static_cast<float>(event.x) / z;
    const float y = static_cast<float>(event.y) / z;
    const bool shift = (event.modifiers & platform::kModifierShift) != 0;
    switch (event.kind) {
    case WindowEventKind::ButtonDown:
        if (event.button != platform::PointerButton::Primary) {
            return true;
        }
        for (int i = 0; i < kFieldCount; ++i) {
            AM_TextFieldView& v = views_[static_cast<size_t>(i)];
            if (v.contains(x, y)) {
                AM_TextField& f = fields_[static_cast<size_t>(i)];
                const size_t at = v.hit(surface_.context(), f, x, y);
                focus_ = i;
                if (event.doubleClick) {
                    f.selectWord(at);
                } else {
                    f.setCaret(at, shift);
                    selecting_ = true;
                }
                changed();
                return true;
            }
        }
        pressed_ = buttonAt(x, y);
        if (pressed_ >= 0) {
            surface_.refresh(bounds_);
        }
        return true;
    case WindowEventKind::PointerMove:
        if (selecting_ && focus_ < kFieldCount) {
            AM_TextField& f = fields_[static_cast<size_t>(focus_)];
            f.setCaret(views_[static_cast<size_t>(focus_)].hit(surface_.context(), f, x, y), true);
            changed();
        }
        return true;
    case WindowEventKind::ButtonUp: {
        selecting_ = false;
        const int was = pressed_;
        pressed_ = -1;
        if (was >= 0) {
            if (buttonAt(x, y) == was) {
                was == kSave ? save() : cancel();
            }
            if (open_) {
                surface_.refresh(bounds_);
            }
        }
        return true;
    }
    case WindowEventKind::Wheel:
    case WindowEventKind::KeyUp:
        return true;
    case WindowEventKind::KeyDown:
        break;
    default:
        return false;
    }
    if (event.virtualKey == platform::kVirtualKeyEscape) {
        cancel();
        return true;
    }
    if (event.virtualKey == platform::kVirtualKeyTab) {
        setFocus(focus_ + (shift ? -1 : 1));
        return true;
    }
    if (event.virtualKey == platform::kVirtualKeyReturn) {
        const bool control = (event.modifiers & platform::kModifierControl) != 0;
        if (focus_ == kCancel) {
            cancel();
        } else if (focus_ < kFieldCount && fields_[static_cast<size_t>(focus_)].multiLine() &&
                   !control) {
            fields_[static_cast<size_t>(focus_)].insert("\n");
            changed();
        } else {
            save();
        }
        return true;
    }
    if (focus_ < kFieldCount && AM_applyFieldKey(fields_[static_cast<size_t>(focus_)], event)) {
        changed();
    }
    return true;
}
