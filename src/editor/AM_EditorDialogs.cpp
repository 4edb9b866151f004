// The editor's menus and dialogs.

#include "editor/AM_EditorDialogs.h"

#ifdef KK_HAVE_EDITOR_FORMS
#include "editor/forms/AM_EditorForms.h"
#else
#include "platform/HeadlessMenuPresenter.h"
#include "platform/HeadlessSaveForm.h"
#include "platform/HeadlessTextPrompt.h"
#include "platform/HeadlessThreeWayQuestion.h"
#endif

#ifdef KK_HAVE_EDITOR_FORMS

struct AM_EditorDialogs::Parts {
    Parts(platform::EditorWindow& window, float zoom) : forms(window, zoom) {}
    AM_EditorForms forms;
};

AM_EditorDialogs::AM_EditorDialogs(platform::EditorWindow& window, float zoom)
    : parts_(std::make_unique<Parts>(window, zoom))
{
}

platform::Surface& AM_EditorDialogs::surface()
{
    return parts_->forms.surface();
}

AM_PlatformDialogs AM_EditorDialogs::dialogs()
{
    return parts_->forms.dialogs();
}

bool AM_EditorDialogs::takeEvent(const platform::WindowEvent& event)
{
    return parts_->forms.takeEvent(event);
}

void AM_EditorDialogs::tick(uint32_t nowMs)
{
    parts_->forms.tick(nowMs);
}

void AM_EditorDialogs::setZoom(float zoom)
{
    parts_->forms.setZoom(zoom);
}

bool AM_EditorDialogs::overlayOpen() const
{
    return parts_->forms.overlayOpen();
}

bool AM_EditorDialogs::menuOpen() const
{
    return parts_->forms.menuOpen();
}

void AM_EditorDialogs::closeAll()
{
    parts_->forms.closeAll();
}

#else

struct AM_EditorDialogs::Parts {
    explicit Parts(platform::EditorWindow& w) : window(w) {}
    platform::EditorWindow& window;
    platform::HeadlessMenuPresenter menus;
    platform::HeadlessTextPrompt prompt;
    platform::HeadlessSaveForm saveForm;
    platform::HeadlessThreeWayQuestion question;
};

AM_EditorDialogs::AM_EditorDialogs(platform::EditorWindow& window, float)
    : parts_(std::make_unique<Parts>(window))
{
}

platform::Surface& AM_EditorDialogs::surface()
{
    return parts_->window.surface();
}

AM_PlatformDialogs AM_EditorDialogs::dialogs()
{
    return {&parts_->menus, &parts_->prompt, &parts_->saveForm, &parts_->question};
}

bool AM_EditorDialogs::takeEvent(const platform::WindowEvent&)
{
    return false;
}

void AM_EditorDialogs::tick(uint32_t) {}

void AM_EditorDialogs::setZoom(float) {}

bool AM_EditorDialogs::overlayOpen() const
{
    return parts_->prompt.isOpen() || parts_->saveForm.isOpen() || parts_->question.isAsking();
}

bool AM_EditorDialogs::menuOpen() const
{
    return parts_->menus.isOpen();
}

void AM_EditorDialogs::closeAll()
{
    parts_->menus.close();
    parts_->question.close();
    if (parts_->prompt.isOpen())
        parts_->prompt.close();
    if (parts_->saveForm.isOpen())
        parts_->saveForm.close();
}

#endif

AM_EditorDialogs::~AM_EditorDialogs()
{
    closeAll();
}
