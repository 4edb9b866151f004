#pragma once
// The platform's menus and dialogs that the editor's view manager shows:
// the popup-menu presenter, the text prompt, the preset-save form and the
// three-button question. The editor window hands in its X11 forms, tests
// the headless ones (platform/Headless*.h). Not owned: they outlive the
// view manager, or are taken back with setDialogs first. Any may be null,
// which the view manager reports on the trace and treats as dismissed.

namespace platform {
class MenuPresenter;
class SaveForm;
class TextPrompt;
class ThreeWayQuestion;
} // namespace platform

struct AM_PlatformDialogs {
    platform::MenuPresenter* menus = nullptr;
    platform::TextPrompt* prompt = nullptr;
    platform::SaveForm* saveForm = nullptr;
    platform::ThreeWayQuestion* question = nullptr;
};
