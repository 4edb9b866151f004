#include "editor/forms/AM_QuestionOverlay.h"

#include "editor/forms/AM_FontSizeScope.h"
#include "editor/forms/AM_FormsDrawing.h"
#include "editor/forms/AM_FormsLook.h"
#include "editor/forms/AM_OverlaySurface.h"
#include "editor/forms/AM_TextFieldView.h"
#include "gui/graphics/text/AM_TextWrap.h"
#include "platform/Trace.h"

#include <algorithm>

using namespace AM_FormsLook;
using platform::QuestionAnswer;
using platform::WindowEvent;
using platform::WindowEventKind;

namespace {
constexpr float kQuestionWidth = 380;
constexpr float kTitleHeight = 20;
constexpr int kMaxLines = 12;
// The buttons as shown, and what each answers.
constexpr QuestionAnswer kAnswers[3] = {QuestionAnswer::kAccept, QuestionAnswer::kOther,
                                        QuestionAnswer::kCancel};

} // namespace

AM_QuestionOverlay::AM_QuestionOverlay(AM_OverlaySurface& surface) : surface_(surface)
{
    surface_.addOverlay(this);
}

AM_QuestionOverlay::~AM_QuestionOverlay() = default;

void AM_QuestionOverlay::layout()
{
    AM_AGG_Context& c = surface_.context();
    const float winW = surface_.widthUnits();
    const float winH = surface_.heightUnits();
    const float w = std::min(kQuestionWidth, winW);
    {
        AM_FontSizeScope font(c, kFontSize);
        lines_ = AM_wrapText(text_.text, w - 2 * kMargin, kMaxLines, [&c](const std::string& line) {
            return AM_TextFieldView::measure(c, line);
        });
    }
    const float h = kMargin + kTitleHeight + kGap +
                    static_cast<float>(lines_.size()) * kLineHeight + 2 * kGap + kButtonHeight +
                    kMargin;
    bounds_ = AM_Rect{std::max(0.0f, (winW - w) * 0.5f), std::max(0.0f, (winH - h) * 0.5f), w, h};
    const char* labels[3] = {text_.acceptButton.c_str(), text_.otherButton.c_str(),
                             text_.cancelButton.c_str()};
    float x = bounds_.x + bounds_.w - kMargin;
    const float y = bounds_.y + bounds_.h - kMargin - kButtonHeight;
    for (int i = 2; i >= 0; --i) {
        const float bw = AM_FormsDrawing::buttonWidth(c, labels[i]);
        x -= bw;
        buttons_[i] = AM_Rect{x, y, bw, kButtonHeight};
        x -= kGap;
    }
}

bool AM_QuestionOverlay::ask(const platform::QuestionText& question,
                             platform::ThreeWayQuestionClient* client)
{
    if (asking_) {
        platform::debugOutput("Question: a question is open already, the new one is not shown\n");
        return false;
    }
    if (!surface_.window().alive()) {
        return false;
    }
    text_ = question;
    focus_ = 0;
    pressed_ = -1;
    client_ = client;
    layout();
    asking_ = true;
    surface_.refresh(bounds_);
    return true;
}

void AM_QuestionOverlay::close()
{
    if (!asking_) {
        return;
    }
    asking_ = false;
    client_ = nullptr;
    pressed_ = -1;
    surface_.refresh(bounds_);
}

void AM_QuestionOverlay::cancel()
{
    if (asking_) {
        answer(2);
    }
}

void AM_QuestionOverlay::answer(int button)
{
    // Down first: the client may ask again.
    platform::ThreeWayQuestionClient* client = client_;
    close();
    if (client != nullptr) {
        client->questionAnswered(kAnswers[button]);
    }
}

void AM_QuestionOverlay::windowResized()
{
    if (!asking_) {
        return;
    }
    // Centred in the new size; the frame under the old place is shown
    // again from what was kept.
    const AM_Rect old = bounds_;
    layout();
    surface_.refresh(old);
    surface_.refresh(bounds_);
}

int AM_QuestionOverlay::buttonAt(float x, float y) const
{
    for (int i = 0; i < 3; ++i) {
        if (AM_rectContains(buttons_[i], x, y)) {
            return i;
        }
    }
    return -1;
}

void AM_QuestionOverlay::drawOverlay(AM_AGG_Context& c, bool caretOn)
{
    (void)caretOn;
    using AM_FormsDrawing::ButtonLook;
    AM_FormsDrawing::panel(c, bounds_);
    {
        AM_FontSizeScope font(c, kTitleFontSize);
        c.setColourPacked(kTitle);
        const AM_Rect title{bounds_.x + kMargin, bounds_.y + kMargin, bounds_.w - 2 * kMargin,
                            kTitleHeight};
        c.drawText(text_.title.c_str(), &title, 0, true);
    }
    {
        AM_FontSizeScope font(c, kFontSize);
        c.setColourPacked(kText);
        float y = bounds_.y + kMargin + kTitleHeight + kGap;
        for (const std::string& line : lines_) {
            const AM_Rect r{bounds_.x + kMargin, y, bounds_.w - 2 * kMargin, kLineHeight};
            c.drawText(line.c_str(), &r, 0, true);
            y += kLineHeight;
        }
    }
    const char* labels[3] = {text_.acceptButton.c_str(), text_.otherButton.c_str(),
                             text_.cancelButton.c_str()};
    for (int i = 0; i < 3; ++i) {
        const ButtonLook look = pressed_ == i ? ButtonLook::kPressed
                                : i == 0      ? ButtonLook::kDefault
                                              : ButtonLook::kNormal;
        AM_FormsDrawing::button(c, buttons_[i], labels[i], look, focus_ == i);
    }
}

bool AM_QuestionOverlay::overlayEvent(const WindowEvent& event)
{
    if (!asking_) {
        return false;
    }
    const float z = surface_.zoom();
    const float x = static_cast<float>(event.x) / z;
    const float y = static_cast<float>(event.y) / z;
    switch (event.kind) {
    case WindowEventKind::ButtonDown:
        if (event.button == platform::PointerButton::Primary) {
            pressed_ = buttonAt(x, y);
            if (pressed_ >= 0) {
                focus_ = pressed_;
                surface_.refresh(bounds_);
            }
        }
        return true;
    case WindowEventKind::ButtonUp: {
        const int was = pressed_;
        pressed_ = -1;
        if (was >= 0) {
            if (buttonAt(x, y) == was) {
                answer(was);
            } else {
                surface_.refresh(bounds_);
            }
        }
        return true;
    }
    case WindowEventKind::PointerMove:
    case WindowEventKind::Wheel:
    case WindowEventKind::KeyUp:
        return true;
    case WindowEventKind::KeyDown:
        switch (event.virtualKey) {
        case platform::kVirtualKeyEscape:
            cancel();
            break;
        case platform::kVirtualKeyReturn:
            answer(focus_);
            break;
        case platform::kVirtualKeyLeft:
            focus_ = (focus_ + 2) % 3;
            surface_.refresh(bounds_);
            break;
        case platform::kVirtualKeyRight:
        case platform::kVirtualKeyTab:
            focus_ = (event.modifiers & platform::kModifierShift) != 0 &&
                             event.virtualKey == platform::kVirtualKeyTab
                         ? (focus_ + 2) % 3
                         : (focus_ + 1) % 3;
            surface_.refresh(bounds_);
            break;
        default:
            break;
        }
        return true;
    default:
        return false;
    }
}
