#pragma once
// The text prompt drawn inside the editor's window over the prompting
// control's place: a single-line field (Return accepts) or a multi-line one
// with OK and Cancel buttons (Return starts a new line, Control+Return or OK
// accepts). Escape and Cancel cancel. While it is open it takes every
// pointer and key event of the window: the controls under it are blocked.
//
// GUI thread only.

#include "editor/forms/AM_Overlay.h"
#include "editor/forms/AM_TextField.h"
#include "editor/forms/AM_TextFieldView.h"
#include "platform/TextPrompt.h"

class AM_OverlaySurface;

class AM_TextPromptOverlay final : public platform::TextPrompt, public AM_Overlay {
public:
    explicit AM_TextPromptOverlay(AM_OverlaySurface& surface);
    ~AM_TextPromptOverlay() override;

    bool open(const platform::TextPromptRequest& request,
              platform::TextPromptClient* client) override;
    void close() override;
    bool isOpen() const override { return open_; }

    bool overlayShown() const override { return open_; }
    AM_Rect overlayBounds() const override { return bounds_; }
    void drawOverlay(AM_AGG_Context& context, bool caretOn) override;
    bool overlayEvent(const platform::WindowEvent& event) override;

    // For tests: the field and its place (GUI units).
    const AM_TextField& field() const { return field_; }
    const AM_Rect& fieldBox() const { return view_.box; }
    const AM_Rect& okButton() const { return ok_; }
    const AM_Rect& cancelButton() const { return cancel_; }

private:
    enum class Button { kNone, kOk, kCancel };
    void layout(const platform::PixelRect& place);
    void accept();
    void cancel();
    void changed();
    Button buttonAt(float x, float y) const;

    AM_OverlaySurface& surface_;
    AM_TextField field_;
    AM_TextFieldView view_;
    AM_Rect bounds_{};
    AM_Rect ok_{};
    AM_Rect cancel_{};
    platform::TextPromptClient* client_ = nullptr;
    bool open_ = false;
    bool selecting_ = false;
    Button pressed_ = Button::kNone;
};
