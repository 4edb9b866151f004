#pragma once
// The three-button question, drawn in the middle of the editor's window: a
// title, the question wrapped to the panel's width and the buttons (the
// first is the default). ask shows it and returns; while it is open it
// takes the pointer and the keys (the editor hands it every event first),
// and the answer reaches the client when a button is pressed: Return
// presses the focused button (Left, Right and Tab move the focus); Escape,
// the window going away or cancel answer Cancel.
//
// GUI thread only.

#include "editor/forms/AM_Overlay.h"
#include "platform/EditorWindow.h"
#include "platform/ThreeWayQuestion.h"

#include <string>
#include <vector>

class AM_OverlaySurface;

class AM_QuestionOverlay final : public platform::ThreeWayQuestion, public AM_Overlay {
public:
    explicit AM_QuestionOverlay(AM_OverlaySurface& surface);
    ~AM_QuestionOverlay() override;

    bool ask(const platform::QuestionText& question,
             platform::ThreeWayQuestionClient* client) override;
    void close() override;
    bool isAsking() const override { return asking_; }
    // Ends the open question with Cancel (its client is told).
    void cancel();
    bool asking() const { return asking_; }
    // The window changed its size: the question is centred again.
    void windowResized();

    bool overlayShown() const override { return asking_; }
    AM_Rect overlayBounds() const override { return bounds_; }
    void drawOverlay(AM_AGG_Context& context, bool caretOn) override;
    bool overlayEvent(const platform::WindowEvent& event) override;

    // The buttons in the order shown: accept, other, cancel.
    const AM_Rect& button(int i) const { return buttons_[static_cast<size_t>(i)]; }
    int focus() const { return focus_; }

private:
    void layout();
    void answer(int button);
    int buttonAt(float x, float y) const;

    AM_OverlaySurface& surface_;
    platform::QuestionText text_;
    std::vector<std::string> lines_;
    AM_Rect bounds_{};
    AM_Rect buttons_[3] = {};
    platform::ThreeWayQuestionClient* client_ = nullptr;
    bool asking_ = false;
    int focus_ = 0;
    int pressed_ = -1;
};
