#pragma once
// The view manager that the editor window creates: it draws with the
// software context (AM_AGG_Context) into a canvas shown on the window's
// surface, and makes PNG graphics that the software context draws.
//
// GUI thread only.

#include "gui/graphics/AM_AGG_Context.h"
#include "gui/views/AM_PlatformDialogs.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/MenuPresenter.h"
#include "platform/SaveForm.h"
#include "platform/TextPrompt.h"
#include "platform/ThreeWayQuestion.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class Surface;
}

class AM_AGG_ViewMan : public AM_ViewMan,
                       private platform::MenuClient,
                       private platform::TextPromptClient,
                       private platform::SaveFormClient,
                       private platform::ThreeWayQuestionClient {
public:
    // The base construction, then cleared canvas bounds and a new software
    // context for the window's surface (which may be null).
    AM_AGG_ViewMan(AM_View_Interface* interface, void* owner, void* ownerWindow,
                   platform::Surface* window);
    ~AM_AGG_ViewMan() override;

    // The base init, then the canvas takes the given bounds (applyCanvas).
    bool init(const AM_Rect* bounds) override;
    // The base zoom; the canvas bounds follow (the top control's size at
    // the zoom).
    void setZoom(float zoom) override;
    bool handleMouseDown(float x, float y, uint32_t buttons) override;
    AM_Context* getContext() override;

    // The base tick, preceded by a pending re-send of every parameter value
    // (set at construction, so the first tick after opening shows the
    // engine's state on every bound control).
    void onTimer() override;
    // The next tick re-sends every parameter value; the undo lists are
    // cleared (the values they hold are no longer the engine's).
    void requestParameterRefresh() override;
    // The first control of the display chain gets message 40 with the
    // current preset name.
    void parametersRefreshed() override;
    bool isParameterRefreshPending() const { return refreshAllParameters_ != 0; }
    // Parameters re-sent by the last refresh.
    uint32_t getRefreshedParameters() const { return refreshedParameters_; }

    // The platform's menus and dialogs (AM_PlatformDialogs.h); a menu of
    // this view manager that is up on the old presenter goes down.
    void setDialogs(const AM_PlatformDialogs& dialogs);
    const AM_PlatformDialogs& getDialogs() const { return dialogs_; }

    // Shows the menu table through the presenter at the opening point and
    // returns; the chosen item reaches the opening control when the user
    // chose it (a copy of the table taken now says what it is). A menu
    // asked for while one is up is not shown. False.
    bool showMenu() override;
    // A menu of this view manager is up.
    bool isMenuShown() const { return menuShown_; }
    // Opens the platform prompt over the control's place (true when shown).
    bool beginTextEntry(AM_ViewControl* control, uint32_t id, char* text, uint32_t textBytes,
                        void* userData, bool multiLine = false) override;
    // Closes the platform prompt when it is still open, then delivers.
    void endTextEntry() override;
    // The base step (the module to save), then the preset-save form with the
    // current preset name and the author, description and usage texts of the
    // patch. True when the form opened.
    bool presetSaveDialog(const char* modulePath, const char* title, const char* name) override;
    // The "Preset exists" question: k_answerBackupAndSave, k_answerOverwrite,
    // or k_answerCancel (also when it was closed without a button). The
    // question never holds the caller: when it is not answered at once,
    // this answers k_answerCancel (the save in hand writes nothing), and a
    // save asked for by the save form runs again with the user's answer
    // when it comes; a Cancel then leaves the form open with a note.
    int32_t askThreeWay(const char* name) override;
    // The question is up.
    bool isQuestionShown() const { return questionShown_; }
    // The image-folder scan (AM_ImageFolderScan.h).
    void loadImages(const char* folder, uint32_t alternative) override;

    // Hands the canvas bounds to the context and the font folder (path slot
    // kPathFonts) to its text.
    virtual void applyCanvas();
    // A new PNG graphic of an image file (null without a path or name).
    virtual AM_Graphic* createGraphic(const char* fullPath, const char* fileName,
                                      uint32_t alternative);

    const AM_Rect& getCanvasBounds() const { return canvasBounds_; }
    platform::Surface* getWindow() const { return window_; }

protected:
    void cancelTextEntry() override;
    void closeShownMenu() override;

private:
    void menuClosed(uint32_t chosen) override;
    void questionAnswered(platform::QuestionAnswer answer) override;
    void closeQuestion();
    void textPromptAccepted(const std::string& text) override;
    void textPromptCancelled() override;
    void saveFormAccepted(const platform::SaveFormFields& fields) override;
    void saveFormCancelled() override;

    AM_PlatformDialogs dialogs_;
    AM_Rect canvasBounds_{};
    std::unique_ptr<AM_AGG_Context> context_;
    platform::Surface* window_;
    uint8_t refreshAllParameters_ = 1;
    uint32_t refreshedParameters_ = 0;
    // The index of "PCore" "MetaA" while the save form is open (-1: none).
    int32_t metaAuthorIndex_ = -1;
    // The open save form saves the whole patch (opened without a module).
    bool saveFormForPatch_ = false;
    // A menu shown through the presenter has not answered yet.
    bool menuShown_ = false;
    // The question is up; it was asked for a save that waits for it (it
    // did not answer at once); the answer it gave at once.
    bool questionShown_ = false;
    bool questionPending_ = false;
    std::optional<platform::QuestionAnswer> immediateAnswer_;
    // The preset name asked about, and the form's fields of the save that
    // waits for the answer.
    std::string questionName_;
    std::optional<platform::SaveFormFields> waitingSave_;
    // The user's answer for the save run again, for that name only.
    std::optional<int32_t> givenAnswer_;
};
