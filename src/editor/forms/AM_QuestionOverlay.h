#pragma once
// The three-button question, modal, drawn in the middle of the editor's
// window: a title, the question wrapped to the panel's width and the
// buttons (the first is the default). ask pumps the editor's window in a
// loop of its own until a button is pressed: Return presses the focused
// button (Left, Right and Tab move the focus), Escape, the window going
// away or closeAll answer Cancel. Events it does not take (exposure,
// resizing, focus) go on to the editor's sink meanwhile.
//
// GUI thread only.

#include "editor/forms/AM_Overlay.h"
#include "platform/EditorWindow.h"
#include "platform/ThreeWayQuestion.h"

#include <functional>
#include <string>
#include <vector>

class AM_OverlaySurface;

class AM_QuestionOverlay final : public platform::ThreeWayQuestion,
                                 public AM_Overlay,
                                 private platform::WindowEventSink {
public:
    explicit AM_QuestionOverlay(AM_OverlaySurface& surface);
    ~AM_QuestionOverlay() override;

    platform::QuestionAnswer ask(const platform::QuestionText& question) override;
    // Ends a question being asked with Cancel.
    void cancel();
    bool asking() const { return asking_; }

    // Where events the question does not take go during ask (may be null).
    void setEventSink(platform::WindowEventSink* sink) { sink_ = sink; }
    // Called on every turn of ask's loop, after the pump (tests inject
    // input there; the editor's forms blink the caret).
    void setLoopHook(std::function<void()> hook) { hook_ = std::move(hook); }
    // Milliseconds the loop sleeps between pumps.
    static constexpr int kPumpIntervalMs = 10;

    bool overlayShown() const override { return asking_; }
    AM_Rect overlayBounds() const override { return bounds_; }
    void drawOverlay(AM_AGG_Context& context, bool caretOn) override;
    bool overlayEvent(const platform::WindowEvent& event) override;

    // The buttons in the order shown: accept, other, cancel.
    const AM_Rect& button(int i) const { return buttons_[static_cast<size_t>(i)]; }
    int focus() const { return focus_; }

private:
    void onWindowEvent(const platform::WindowEvent& event) override;
    void layout();
    void answer(int button);
    int buttonAt(float x, float y) const;

    AM_OverlaySurface& surface_;
    platform::QuestionText text_;
    std::vector<std::string> lines_;
    AM_Rect bounds_{};
    AM_Rect buttons_[3] = {};
    platform::WindowEventSink* sink_ = nullptr;
    std::function<void()> hook_;
    platform::QuestionAnswer answer_ = platform::QuestionAnswer::kCancel;
    bool asking_ = false;
    bool answered_ = false;
    int focus_ = 0;
    int pressed_ = -1;
};
