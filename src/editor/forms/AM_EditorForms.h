#pragma once
// The editor's own menus and dialogs, one set per open editor window: the
// popup-menu presenter, the text prompt, the preset-save form and the
// three-button question, drawn with the software renderer.
//
// The editor hands surface() to its view manager in place of the window's
// surface (the overlays are composed over every frame presented), gives
// every window event to takeEvent first, calls tick from its idle call and
// closeAll before its view manager goes.
//
// GUI thread only.

#include "gui/views/AM_PlatformDialogs.h"
#include "platform/EditorWindow.h"
#include "platform/MenuPresenter.h"
#include "platform/PopupHost.h"
#include "platform/SaveForm.h"
#include "platform/TextPrompt.h"
#include "platform/ThreeWayQuestion.h"

#include <cstdint>
#include <memory>

class AM_DrawnMenuPresenter;
class AM_OverlaySurface;
class AM_QuestionOverlay;
class AM_SaveFormOverlay;
class AM_TextPromptOverlay;

class AM_EditorForms {
public:
    // window outlives this. zoom: the GUI zoom (the sizes of menus and
    // dialogs follow it). The menus are shown in the window's popups (on
    // X11 on the window's own connection) unless popups (a test's host) is
    // given; a window without popups shows no menus.
    AM_EditorForms(platform::EditorWindow& window, float zoom,
                   std::unique_ptr<platform::PopupHost> popups = nullptr);
    // closeAll first.
    ~AM_EditorForms();
    AM_EditorForms(const AM_EditorForms&) = delete;
    AM_EditorForms& operator=(const AM_EditorForms&) = delete;

    // What the view manager presents on (in place of the window's surface).
    platform::Surface& surface();

    platform::MenuPresenter& menus();
    platform::TextPrompt& prompt();
    platform::SaveForm& saveForm();
    platform::ThreeWayQuestion& question();
    // The four, for the view manager's setDialogs.
    AM_PlatformDialogs dialogs();

    // Every event of the window's pump comes here first: true when an open
    // menu, question, form or prompt took it (the view manager must not see
    // it). Exposure, resizing, focus and the window's end are never taken.
    bool takeEvent(const platform::WindowEvent& event);
    // From the editor's idle call, after the window's pump: the open
    // menu's input (its answer reaches its client here) and the caret's
    // blinking. nowMs: a millisecond clock (platform::tickCount()).
    void tick(uint32_t nowMs);
    // After a change of the GUI's zoom.
    void setZoom(float zoom);
    // A prompt, the form or a question is open.
    bool overlayOpen() const;
    // A menu is up.
    bool menuOpen() const;
    // Takes the menu down, the prompt and the form without an answer; a
    // question being asked answers Cancel.
    void closeAll();

    // The pieces, for tests.
    AM_TextPromptOverlay& promptOverlay() { return *prompt_; }
    AM_SaveFormOverlay& saveFormOverlay() { return *form_; }
    AM_QuestionOverlay& questionOverlay() { return *question_; }
    AM_DrawnMenuPresenter& menuPresenter() { return *menus_; }

private:
    std::unique_ptr<AM_OverlaySurface> surface_;
    std::unique_ptr<AM_TextPromptOverlay> prompt_;
    std::unique_ptr<AM_SaveFormOverlay> form_;
    std::unique_ptr<AM_QuestionOverlay> question_;
    std::unique_ptr<AM_DrawnMenuPresenter> menus_;
    uint32_t blinkStart_ = 0;
    bool blinkStarted_ = false;
};
