#include "editor/forms/AM_EditorForms.h"

#include "editor/forms/AM_DrawnMenuPresenter.h"
#include "editor/forms/AM_FormsLook.h"
#include "editor/forms/AM_OverlaySurface.h"
#include "editor/forms/AM_QuestionOverlay.h"
#include "editor/forms/AM_SaveFormOverlay.h"
#include "editor/forms/AM_TextPromptOverlay.h"

using platform::WindowEvent;
using platform::WindowEventKind;

AM_EditorForms::AM_EditorForms(platform::EditorWindow& window, float zoom,
                               std::unique_ptr<platform::PopupHost> popups)
    : surface_(std::make_unique<AM_OverlaySurface>(window, zoom))
{
    prompt_ = std::make_unique<AM_TextPromptOverlay>(*surface_);
    form_ = std::make_unique<AM_SaveFormOverlay>(*surface_);
    question_ = std::make_unique<AM_QuestionOverlay>(*surface_);
    if (popups == nullptr) {
        popups = window.openPopupHost();
    }
    menus_ = std::make_unique<AM_DrawnMenuPresenter>(std::move(popups), surface_->zoom());
}

AM_EditorForms::~AM_EditorForms()
{
    closeAll();
}

platform::Surface& AM_EditorForms::surface()
{
    return *surface_;
}

platform::MenuPresenter& AM_EditorForms::menus()
{
    return *menus_;
}

platform::TextPrompt& AM_EditorForms::prompt()
{
    return *prompt_;
}

platform::SaveForm& AM_EditorForms::saveForm()
{
    return *form_;
}

platform::ThreeWayQuestion& AM_EditorForms::question()
{
    return *question_;
}

AM_PlatformDialogs AM_EditorForms::dialogs()
{
    AM_PlatformDialogs d;
    d.menus = menus_.get();
    d.prompt = prompt_.get();
    d.saveForm = form_.get();
    d.question = question_.get();
    return d;
}

bool AM_EditorForms::takeEvent(const WindowEvent& event)
{
    switch (event.kind) {
    case WindowEventKind::Exposed:
    case WindowEventKind::Resized:
    case WindowEventKind::Destroyed:
    case WindowEventKind::Lost:
    case WindowEventKind::FocusGained:
    case WindowEventKind::FocusLost:
        if (event.kind == WindowEventKind::Destroyed || event.kind == WindowEventKind::Lost) {
            question_->cancel();
        } else if (event.kind == WindowEventKind::Resized) {
            question_->windowResized();
        }
        return false;
    default:
        break;
    }
    // An open menu has the pointer and the keys grabbed; what still reaches
    // the window (the grab was refused) dismisses it: a press chooses
    // nothing, and no key goes past it.
    if (menus_->isOpen()) {
        if (event.kind == WindowEventKind::ButtonDown ||
            (event.kind == WindowEventKind::KeyDown &&
             event.virtualKey == platform::kVirtualKeyEscape)) {
            menus_->dismiss();
        }
        return true;
    }
    // The question lies over the form, the form over the prompt.
    if (question_->asking()) {
        return question_->overlayEvent(event);
    }
    if (form_->isOpen()) {
        return form_->overlayEvent(event);
    }
    if (prompt_->isOpen()) {
        return prompt_->overlayEvent(event);
    }
    return false;
}

void AM_EditorForms::tick(uint32_t nowMs)
{
    menus_->pump(nowMs);
    if (!prompt_->isOpen() && !form_->isOpen()) {
        blinkStarted_ = false;
        return;
    }
    if (!blinkStarted_) {
        blinkStarted_ = true;
        blinkStart_ = nowMs;
    }
    const uint32_t phase = ((nowMs - blinkStart_) / AM_FormsLook::kCaretBlinkMs) % 2;
    surface_->setCaretOn(phase == 0);
}

void AM_EditorForms::setZoom(float zoom)
{
    surface_->setZoom(zoom);
    menus_->setZoom(surface_->zoom());
}

bool AM_EditorForms::overlayOpen() const
{
    return prompt_->isOpen() || form_->isOpen() || question_->asking();
}

bool AM_EditorForms::menuOpen() const
{
    return menus_->isOpen();
}

void AM_EditorForms::closeAll()
{
    menus_->close();
    question_->cancel();
    form_->close();
    prompt_->close();
}
